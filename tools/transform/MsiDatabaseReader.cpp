#include "MsiDatabaseReader.h"

#include "ComHandle.h"
#include "SnapshotReport.h"
#include "StreamName.h"
#include "common/UniqueHandle.h"
#include "common/WideText.h"
#include "shared/ComApartment.h"
#include "common/CompoundFile.h"
#include "shared/FileContent.h"
#include "shared/IsolatedRun.h"
#include "shared/ShortPathAccess.h"
#include "shared/ToolPaths.h"

#include <msiquery.h>

#include <algorithm>
#include <span>
#include <vector>

namespace quentry::transform {

namespace {

std::wstring RecordString(MSIHANDLE record, UINT field) {
    DWORD size = 0;
    wchar_t empty[1] = {};
    if (::MsiRecordGetStringW(record, field, empty, &size) != ERROR_MORE_DATA) {
        return {};
    }
    std::wstring text(size + 1, L'\0');
    size = static_cast<DWORD>(text.size());
    if (::MsiRecordGetStringW(record, field, text.data(), &size) != ERROR_SUCCESS) {
        return {};
    }
    text.resize(size);
    return text;
}

bool RecordStream(MSIHANDLE record, UINT field, std::string& data) {
    data.clear();
    char buffer[4096];
    for (;;) {
        DWORD size = sizeof(buffer);
        if (::MsiRecordReadStream(record, field, buffer, &size) != ERROR_SUCCESS) {
            return false;
        }
        if (size == 0) {
            return true;
        }
        data.append(buffer, size);
    }
}

bool ParseColumnType(const std::wstring& text, ColumnDef& column) {
    if (text.size() < 2) {
        return false;
    }
    const wchar_t letter = text[0];
    const wchar_t lower =
        (letter >= L'A' && letter <= L'Z') ? static_cast<wchar_t>(letter - L'A' + L'a') : letter;
    column.nullable = lower != letter;
    column.width = _wtoi(text.c_str() + 1);
    switch (lower) {
    case L's':
        column.kind = ColumnKind::String;
        return true;
    case L'l':
        column.kind = ColumnKind::String;
        column.localizable = true;
        return true;
    case L'i':
        if (column.width != 2 && column.width != 4) {
            return false;
        }
        column.kind = column.width == 2 ? ColumnKind::Int16 : ColumnKind::Int32;
        return true;
    case L'v':
        column.kind = ColumnKind::Stream;
        return true;
    default:
        return false;
    }
}

std::wstring QuoteName(const std::wstring& name) {
    return L"`" + name + L"`";
}

bool OpenView(MSIHANDLE database, const std::wstring& sql, UniqueMsiHandle& view, UINT& code) {
    MSIHANDLE handle = 0;
    code = ::MsiDatabaseOpenViewW(database, sql.c_str(), &handle);
    view.Reset(handle);
    if (code != ERROR_SUCCESS) {
        return false;
    }
    code = ::MsiViewExecute(view.Get(), 0);
    return code == ERROR_SUCCESS;
}

bool ReadTableNames(MSIHANDLE database, std::vector<std::wstring>& names, std::wstring& error) {
    UniqueMsiHandle view;
    UINT code = 0;
    if (!OpenView(database, L"SELECT `Name` FROM `_Tables`", view, code)) {
        error = Format(L"cannot list the tables (error %u)", code);
        return false;
    }
    for (;;) {
        MSIHANDLE handle = 0;
        if (::MsiViewFetch(view.Get(), &handle) != ERROR_SUCCESS) {
            break;
        }
        UniqueMsiHandle record(handle);
        names.push_back(RecordString(record.Get(), 1));
    }
    return true;
}

bool ReadTable(MSIHANDLE database, const std::wstring& name, TableData& table, std::wstring& error) {
    table.schema.name = name;
    UniqueMsiHandle view;
    UINT code = 0;
    if (!OpenView(database, L"SELECT * FROM " + QuoteName(name), view, code)) {
        error = Format(L"cannot read table %s (error %u)", name.c_str(), code);
        return false;
    }
    MSIHANDLE namesHandle = 0;
    MSIHANDLE typesHandle = 0;
    ::MsiViewGetColumnInfo(view.Get(), MSICOLINFO_NAMES, &namesHandle);
    UniqueMsiHandle names(namesHandle);
    ::MsiViewGetColumnInfo(view.Get(), MSICOLINFO_TYPES, &typesHandle);
    UniqueMsiHandle types(typesHandle);
    if (!names || !types) {
        error = Format(L"cannot read the columns of table %s", name.c_str());
        return false;
    }
    const UINT count = ::MsiRecordGetFieldCount(names.Get());
    for (UINT i = 1; i <= count; ++i) {
        ColumnDef column;
        column.name = RecordString(names.Get(), i);
        const std::wstring type = RecordString(types.Get(), i);
        if (!ParseColumnType(type, column)) {
            error = Format(L"table %s: column %s has a type (%s) that a transform cannot carry", name.c_str(),
                           column.name.c_str(), type.c_str());
            return false;
        }
        table.schema.columns.push_back(column);
    }

    MSIHANDLE keysHandle = 0;
    if (::MsiDatabaseGetPrimaryKeysW(database, name.c_str(), &keysHandle) != ERROR_SUCCESS) {
        error = Format(L"cannot read the primary key of table %s", name.c_str());
        return false;
    }
    UniqueMsiHandle keys(keysHandle);
    const UINT keyCount = ::MsiRecordGetFieldCount(keys.Get());
    for (UINT i = 1; i <= keyCount; ++i) {
        const std::wstring keyName = RecordString(keys.Get(), i);
        for (ColumnDef& column : table.schema.columns) {
            if (column.name == keyName) {
                column.key = true;
            }
        }
    }

    for (;;) {
        MSIHANDLE handle = 0;
        if (::MsiViewFetch(view.Get(), &handle) != ERROR_SUCCESS) {
            break;
        }
        UniqueMsiHandle record(handle);
        Row row;
        for (UINT i = 1; i <= count; ++i) {
            const ColumnDef& column = table.schema.columns[i - 1];
            if (::MsiRecordIsNull(record.Get(), i)) {
                row.push_back(Value::Null());
                continue;
            }
            switch (column.kind) {
            case ColumnKind::Int16:
            case ColumnKind::Int32:
                row.push_back(Value::Integer(::MsiRecordGetInteger(record.Get(), i)));
                break;
            case ColumnKind::String:
                row.push_back(Value::String(RecordString(record.Get(), i)));
                break;
            case ColumnKind::Stream: {
                std::string data;
                if (!RecordStream(record.Get(), i, data)) {
                    error = Format(L"cannot read a stream of table %s", name.c_str());
                    return false;
                }
                row.push_back(Value::Stream(std::move(data)));
                break;
            }
            }
        }
        table.rows[TableData::KeyOf(table.schema, row)] = std::move(row);
    }
    return true;
}

std::wstring SummaryString(MSIHANDLE summary, UINT property) {
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    DWORD size = 0;
    wchar_t empty[1] = {};
    if (::MsiSummaryInfoGetPropertyW(summary, property, &type, &number, &time, empty, &size) !=
        ERROR_MORE_DATA) {
        return {};
    }
    std::wstring text(size + 1, L'\0');
    size = static_cast<DWORD>(text.size());
    if (::MsiSummaryInfoGetPropertyW(summary, property, &type, &number, &time, text.data(), &size) !=
            ERROR_SUCCESS ||
        type != VT_LPSTR) {
        return {};
    }
    text.resize(size);
    return text;
}

std::optional<int> SummaryInteger(MSIHANDLE summary, UINT property) {
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    DWORD size = 0;
    if (::MsiSummaryInfoGetPropertyW(summary, property, &type, &number, &time, nullptr, &size) !=
            ERROR_SUCCESS ||
        (type != VT_I2 && type != VT_I4)) {
        return std::nullopt;
    }
    return number;
}

void ReadSummary(MSIHANDLE database, SummaryFields& fields) {
    MSIHANDLE handle = 0;
    if (::MsiGetSummaryInformationW(database, nullptr, 0, &handle) != ERROR_SUCCESS) {
        return;
    }
    UniqueMsiHandle summary(handle);
    fields.codepage = SummaryInteger(summary.Get(), 1);
    fields.title = SummaryString(summary.Get(), 2);
    fields.subject = SummaryString(summary.Get(), 3);
    fields.author = SummaryString(summary.Get(), 4);
    fields.keywords = SummaryString(summary.Get(), 5);
    fields.comments = SummaryString(summary.Get(), 6);
    fields.templateText = SummaryString(summary.Get(), 7);
    fields.pageCount = SummaryInteger(summary.Get(), 14);
}

// The code page is the first word of the string pool's header; msi.dll offers no call for it.
bool ReadStringPoolCodepage(const std::wstring& path, UINT& codepage) {
    IStorage* storage = nullptr;
    if (FAILED(::StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                                &storage))) {
        return false;
    }
    ComHandle<IStorage> owner(storage);
    IStream* stream = nullptr;
    const std::wstring name = EncodeStreamName(L"_StringPool", true);
    if (FAILED(
            owner.Get()->OpenStream(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream))) {
        return false;
    }
    ComHandle<IStream> streamOwner(stream);
    unsigned char header[4] = {};
    ULONG read = 0;
    if (FAILED(streamOwner.Get()->Read(header, sizeof(header), &read))) {
        return false;
    }
    if (read < sizeof(header)) {
        codepage = 0;
        return true;
    }
    codepage = header[0] | (header[1] << 8) | ((header[2] | ((header[3] & 0x7f) << 8)) << 16);
    return true;
}

// The reading itself, done in the child.
bool ReadDatabaseHere(const std::wstring& path, DatabaseSnapshot& snapshot, std::wstring& error) {
    MSIHANDLE handle = 0;
    const UINT code = ::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &handle);
    if (code != ERROR_SUCCESS) {
        error = Format(L"cannot open the installer database %s (error %u)", path.c_str(), code);
        return false;
    }
    UniqueMsiHandle database(handle);
    if (!ReadStringPoolCodepage(path, snapshot.codepage)) {
        error = Format(L"cannot read the string pool of %s", path.c_str());
        return false;
    }
    std::vector<std::wstring> names;
    if (!ReadTableNames(database.Get(), names, error)) {
        error = path + L": " + error;
        return false;
    }
    for (const std::wstring& name : names) {
        TableData table;
        if (!ReadTable(database.Get(), name, table, error)) {
            error = path + L": " + error;
            return false;
        }
        snapshot.tables[name] = std::move(table);
    }
    ReadSummary(database.Get(), snapshot.summary);
    return true;
}

} // namespace

int ReadDatabaseChild(const std::wstring& reportHandle, const std::wstring& listPath) {
    tools::ComApartment apartment;
    return tools::RunIsolatedReader(reportHandle, listPath, [](const std::wstring& path) {
        DatabaseSnapshot snapshot;
        std::wstring error;
        tools::ReportWriter report;
        if (ReadDatabaseHere(path, snapshot, error)) {
            report.Number(1);
            report.Bytes(EncodeSnapshot(snapshot));
        } else {
            report.Number(0);
            report.Text(error);
        }
        return report.Data();
    });
}

bool ReadDatabase(const std::wstring& path, DatabaseSnapshot& snapshot, std::wstring& error) {
    snapshot = DatabaseSnapshot{};
    const std::wstring unreadable = L"cannot open the installer database " + path;
    UniqueFileHandle file(::CreateFileW(tools::ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = Format(L"%s (error %lu)", unreadable.c_str(), ::GetLastError());
        return false;
    }
    std::string bytes;
    if (!tools::ReadOpenFile(file.Get(), bytes, 0x7FFF0000)) {
        error = Format(L"%s (error %lu)", unreadable.c_str(), ::GetLastError());
        return false;
    }
    file.Reset();
    // The platform's code is given only a compound file of sound structure and of the database
    // class: it fails hard on damaged ones and on other compound files.
    CLSID storageClass{};
    std::wstring damage;
    if (!CheckCompoundFile(std::span(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()),
                                  storageClass, damage)) {
        error = unreadable + L": it " + damage;
        return false;
    }
    if (!IsEqualCLSID(storageClass, kInstallerDatabaseClass)) {
        error = unreadable + L": it is a compound file of another kind";
        return false;
    }
    bytes = {};
    tools::ShortPathAccess access;
    if (!access.Open(path)) {
        error = Format(L"%s (error %lu)", unreadable.c_str(), ::GetLastError());
        return false;
    }
    const auto outcomes = tools::ReadIsolated(tools::ThisProgramPath(), kReadDatabaseOption, {access.Path()});
    if (!outcomes || outcomes->size() != 1) {
        error = Format(L"%s: no reader process (error %lu)", unreadable.c_str(), ::GetLastError());
        return false;
    }
    const tools::IsolatedOutcome& outcome = outcomes->front();
    if (outcome.kind != tools::IsolatedOutcome::Kind::Read) {
        error = outcome.kind == tools::IsolatedOutcome::Kind::Hung
                    ? unreadable + L": reading it did not end"
                    : Format(L"%s: the installer's database code failed on it (code 0x%08lx)",
                             unreadable.c_str(), static_cast<unsigned long>(outcome.exitCode));
        return false;
    }
    const std::string& body = outcome.record;
    tools::ReportReader report(body);
    uint32_t success = 0;
    std::string encoded;
    if (!report.Number(success) || success > 1) {
        error = unreadable + L": its reader's report is incomplete";
        return false;
    }
    if (success == 0) {
        // The child's own reason, told with the path the user gave.
        std::wstring reason;
        report.Text(reason);
        if (access.Path() != path) {
            for (size_t at = reason.find(access.Path()); at != std::wstring::npos;
                 at = reason.find(access.Path(), at + path.size())) {
                reason.replace(at, access.Path().size(), path);
            }
        }
        error = reason.empty() ? unreadable : reason;
        return false;
    }
    if (!report.Bytes(encoded) || !report.AtEnd() || !DecodeSnapshot(encoded, snapshot)) {
        error = unreadable + L": its reader's report is incomplete";
        return false;
    }
    snapshot.path = path;
    return true;
}

} // namespace quentry::transform
