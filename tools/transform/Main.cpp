// quentry-transform: writes Windows Installer transforms (.mst) for the samples and the tests, from
// two databases or from a description of changes. Exit code 0 on success, 1 when the transform
// cannot be made, 2 for a mistake on the command line.
#include "ChangeDescription.h"
#include "DatabaseDiff.h"
#include "MsiDatabaseReader.h"
#include "ToolOptions.h"
#include "TransformWriter.h"
#include "common/WideText.h"

#include <windows.h>

#include <objbase.h>

#include <string>

using namespace quentry;
using namespace quentry::transform;

namespace {

// A console gets UTF-16; a redirected handle (pipe, file) gets UTF-8.
void Write(DWORD which, const std::wstring& text) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
        ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = ToUtf8(text);
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int Fail(int code, const std::wstring& message) {
    std::wstring line = message;
    for (wchar_t& c : line) {
        if (c == L'\r' || c == L'\n') {
            c = L' ';
        }
    }
    Write(STD_ERROR_HANDLE, L"quentry-transform: " + line + L"\r\n");
    return code;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(buffer)), buffer, nullptr);
    if (length == 0 || length >= std::size(buffer)) {
        return path;
    }
    return buffer;
}

class ComApartment {
public:
    ComApartment() : m_initialized(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (m_initialized) {
            ::CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_initialized;
};

size_t CountRows(const std::vector<TableChange>& tables) {
    size_t count = 0;
    for (const TableChange& table : tables) {
        count += table.rows.size();
    }
    return count;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    ToolOptions options;
    std::wstring error;
    if (!ParseToolOptions(argc, argv, options, error)) {
        return Fail(2, error + L" (see --help)");
    }
    if (options.help) {
        Write(STD_OUTPUT_HANDLE, kToolUsage);
        return 0;
    }
    ComApartment apartment;

    DatabaseSnapshot base;
    if (!ReadDatabase(FullPath(options.base), base, error)) {
        return Fail(1, error);
    }
    DatabaseSnapshot changed;
    if (!options.changed.empty()) {
        if (!ReadDatabase(FullPath(options.changed), changed, error)) {
            return Fail(1, error);
        }
    } else {
        changed = base;
        if (!options.changesFile.empty() && !ApplyChangeFile(FullPath(options.changesFile), changed, error)) {
            return Fail(1, error);
        }
        for (const std::wstring& property : options.properties) {
            if (!ApplyChanges(L"Property " + property, L"--property", changed, error)) {
                return Fail(1, error);
            }
        }
    }

    TransformContent content;
    if (!CompareDatabases(base, changed, content.tables, error)) {
        return Fail(1, error);
    }
    content.codepage = options.codepage ? *options.codepage : changed.codepage;
    if (content.codepage != 0 && !::IsValidCodePage(content.codepage)) {
        return Fail(1, Format(L"code page %u is not known to this system", content.codepage));
    }
    content.summary = MakeTransformSummary(base, changed);
    content.summary.validationFlags = static_cast<int>(options.validationFlags);
    content.summary.errorConditions = static_cast<int>(options.errorConditions);

    const std::wstring output = FullPath(options.output);
    if (!WriteTransform(content, output, error)) {
        return Fail(1, error);
    }
    Write(STD_OUTPUT_HANDLE, Format(L"quentry-transform: wrote %s (%u row changes in %u tables)\r\n",
                                    output.c_str(), static_cast<unsigned>(CountRows(content.tables)),
                                    static_cast<unsigned>(content.tables.size())));
    return 0;
}
