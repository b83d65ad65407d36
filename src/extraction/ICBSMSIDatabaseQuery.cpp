#include "extraction/ICBSMSIDatabaseQuery.h"

namespace quentry {

ICBSMSIDatabaseSQLStatement::ICBSMSIDatabaseSQLStatement(MSIHANDLE database, const std::wstring& sql,
                                                         const std::wstring& format,
                                                         std::initializer_list<QueryParameter> parameters)
    : m_database(database) {
    MSIHANDLE view = 0;
    if (::MsiDatabaseOpenViewW(database, sql.c_str(), &view) != ERROR_SUCCESS) {
        return;
    }
    m_view.Reset(view);
    const UINT fields = static_cast<UINT>(format.size() / 2);
    if (fields > 0) {
        m_parameters.Reset(::MsiCreateRecord(fields));
        const QueryParameter* value = parameters.begin();
        for (UINT field = 1; field <= fields && m_parameters; ++field) {
            const std::wstring directive = format.substr((field - 1) * 2, 2);
            if (value == parameters.end()) {
                break;
            }
            // A value of the wrong kind leaves its field null.
            if (directive == L"%d" && std::holds_alternative<int>(*value)) {
                ::MsiRecordSetInteger(m_parameters.Get(), field, std::get<int>(*value));
            } else if (directive == L"%s" && std::holds_alternative<std::wstring>(*value)) {
                ::MsiRecordSetStringW(m_parameters.Get(), field, std::get<std::wstring>(*value).c_str());
            }
            ++value;
        }
    }
    m_executed = ::MsiViewExecute(m_view.Get(), m_parameters.Get()) == ERROR_SUCCESS;
}

ICBSMSIDatabaseSQLStatement::~ICBSMSIDatabaseSQLStatement() {
    m_parameters.Reset();
    m_view.Reset();
}

ICBSMSIDatabaseQuery::~ICBSMSIDatabaseQuery() {
    // The row goes before the parameters and the view.
    m_row.Reset();
}

bool ICBSMSIDatabaseQuery::Fetch() {
    m_row.Reset();
    if (!m_view) {
        return false;
    }
    MSIHANDLE row = 0;
    if (::MsiViewFetch(m_view.Get(), &row) != ERROR_SUCCESS) {
        return false;
    }
    m_row.Reset(row);
    return true;
}

std::wstring ICBSMSIDatabaseQuery::GetColumnString(UINT column) const {
    if (!m_view || !m_row) {
        return {};
    }
    constexpr DWORD kBufferSize = 4096;
    std::wstring text(kBufferSize, L'\0');
    DWORD size = kBufferSize;
    const UINT result = ::MsiRecordGetStringW(m_row.Get(), column, text.data(), &size);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) {
        return {};
    }
    text.resize(std::min<DWORD>(size, kBufferSize - 1));
    return text;
}

int ICBSMSIDatabaseQuery::GetColumnInteger(UINT column) const {
    if (!m_view || !m_row) {
        return 0;
    }
    return ::MsiRecordGetInteger(m_row.Get(), column);
}

} // namespace quentry
