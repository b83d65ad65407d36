#include "PackageFacts.h"

#include "InputFiles.h"
#include "common/SystemText.h"
#include "common/UniqueHandle.h"
#include "common/WideText.h"
#include "common/CompoundFile.h"
#include "shared/IsolatedRun.h"
#include "shared/ShortPathAccess.h"
#include "shared/ToolPaths.h"

#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <wtypes.h>

#include <cwctype>

namespace quentry::bundle {

namespace {

constexpr UINT kRevisionNumber = 9; // summary information property: the package code

// The value of a Property table row; empty when the table or the row is missing.
std::wstring PropertyValue(MSIHANDLE database, const wchar_t* name) {
    MSIHANDLE raw = 0;
    if (::MsiDatabaseOpenViewW(database, L"SELECT `Value` FROM `Property` WHERE `Property` = ?", &raw) !=
        ERROR_SUCCESS) {
        return {};
    }
    UniqueMsiHandle view(raw);
    UniqueMsiHandle parameter(::MsiCreateRecord(1));
    ::MsiRecordSetStringW(parameter.Get(), 1, name);
    if (::MsiViewExecute(view.Get(), parameter.Get()) != ERROR_SUCCESS) {
        return {};
    }
    MSIHANDLE rawRecord = 0;
    if (::MsiViewFetch(view.Get(), &rawRecord) != ERROR_SUCCESS) {
        return {};
    }
    UniqueMsiHandle record(rawRecord);
    DWORD length = 0;
    wchar_t empty[1] = {};
    if (::MsiRecordGetStringW(record.Get(), 1, empty, &length) != ERROR_MORE_DATA && length == 0) {
        return {};
    }
    std::wstring value(length + 1, L'\0');
    length = static_cast<DWORD>(value.size());
    if (::MsiRecordGetStringW(record.Get(), 1, value.data(), &length) != ERROR_SUCCESS) {
        return {};
    }
    value.resize(length);
    return value;
}

std::wstring RevisionNumber(MSIHANDLE database) {
    MSIHANDLE raw = 0;
    if (::MsiGetSummaryInformationW(database, nullptr, 0, &raw) != ERROR_SUCCESS) {
        return {};
    }
    UniqueMsiHandle summary(raw);
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    wchar_t empty[1] = {};
    DWORD length = 0;
    const UINT first =
        ::MsiSummaryInfoGetPropertyW(summary.Get(), kRevisionNumber, &type, &number, &time, empty, &length);
    if ((first != ERROR_MORE_DATA && first != ERROR_SUCCESS) || type != VT_LPSTR || length == 0) {
        return {};
    }
    std::wstring value(length + 1, L'\0');
    length = static_cast<DWORD>(value.size());
    if (::MsiSummaryInfoGetPropertyW(summary.Get(), kRevisionNumber, &type, &number, &time, value.data(),
                                     &length) != ERROR_SUCCESS) {
        return {};
    }
    value.resize(length);
    return value;
}

} // namespace

bool IsBracedGuid(const std::wstring& text) {
    if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') {
        return false;
    }
    for (size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != L'-' : !std::iswxdigit(text[i])) {
            return false;
        }
    }
    return true;
}

int ReadPackageFactsChild(const std::wstring& reportHandle, const std::wstring& listPath) {
    return tools::RunIsolatedReader(reportHandle, listPath, [](const std::wstring& path) {
        tools::ReportWriter report;
        MSIHANDLE raw = 0;
        const UINT opened = ::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &raw);
        report.Number(opened);
        if (opened == ERROR_SUCCESS) {
            UniqueMsiHandle database(raw);
            report.Text(PropertyValue(database.Get(), L"ProductName"));
            report.Text(PropertyValue(database.Get(), L"ProductCode"));
            report.Text(RevisionNumber(database.Get()));
        }
        return report.Data();
    });
}

bool ReadPackageFacts(const std::wstring& path, PackageFacts& facts, std::wstring& error) {
    const DWORD attributes = ::GetFileAttributesW(tools::ExtendedPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = L"cannot read package " + path + L": " + SystemText(::GetLastError());
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = L"package " + path + L" is a folder, not an installer database";
        return false;
    }
    // Only a compound file of sound structure and of the database class goes to the installer:
    // other compound files (a transform or a patch given by mistake) are not databases, and
    // installer versions fail hard on damaged ones instead of returning an error.
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(path, bytes, error)) {
        error = L"package: " + error;
        return false;
    }
    CLSID storageClass{};
    std::wstring damage;
    if (!CheckCompoundFile(bytes, storageClass, damage)) {
        error = L"package " + path + L" is not an installer database: it " + damage;
        return false;
    }
    if (!IsEqualCLSID(storageClass, kInstallerDatabaseClass)) {
        error = L"package " + path + L" is not an installer database";
        return false;
    }
    bytes = {};
    tools::ShortPathAccess access;
    if (!access.Open(path)) {
        error = L"cannot read package " + path + L": " + SystemText(::GetLastError());
        return false;
    }
    const auto outcomes = tools::ReadIsolated(tools::ThisProgramPath(), kReadFactsOption, {access.Path()});
    if (!outcomes || outcomes->size() != 1) {
        error = L"cannot read package " + path + L": no reader process: " + SystemText(::GetLastError());
        return false;
    }
    const tools::IsolatedOutcome& outcome = outcomes->front();
    if (outcome.kind != tools::IsolatedOutcome::Kind::Read) {
        error = outcome.kind == tools::IsolatedOutcome::Kind::Hung
                    ? L"package " + path + L" is not an installer database: reading it did not end"
                    : Format(L"package %s is not an installer database: the installer's database code failed "
                             L"on it (code 0x%08lx)",
                             path.c_str(), static_cast<unsigned long>(outcome.exitCode));
        return false;
    }
    const std::string& body = outcome.record;
    tools::ReportReader report(body);
    uint32_t opened = 0;
    if (!report.Number(opened) || opened != ERROR_SUCCESS) {
        error = L"package " + path + L" is not an installer database";
        return false;
    }
    if (!report.Text(facts.productName) || !report.Text(facts.productCode) ||
        !report.Text(facts.packageCode) || !report.AtEnd()) {
        error = L"package " + path + L" is not an installer database: its reader's report is incomplete";
        return false;
    }
    if (facts.productCode.empty()) {
        error = L"package " + path + L" has no ProductCode in its Property table";
        return false;
    }
    if (!IsBracedGuid(facts.productCode)) {
        error = L"package " + path + L" has a ProductCode that is not a GUID in braces: " + facts.productCode;
        return false;
    }
    if (facts.productName.empty()) {
        error = L"package " + path + L" has no ProductName in its Property table";
        return false;
    }
    if (facts.packageCode.empty()) {
        error = L"package " + path + L" has an empty package code (summary information Revision Number)";
        return false;
    }
    if (!IsBracedGuid(facts.packageCode)) {
        error =
            L"package " + path + L" has a package code that is not a GUID in braces: " + facts.packageCode;
        return false;
    }
    for (wchar_t& c : facts.productCode) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return true;
}

} // namespace quentry::bundle
