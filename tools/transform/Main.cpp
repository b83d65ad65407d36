// quentry-transform: writes Windows Installer transforms (.mst) for the samples and the tests, from
// two databases or from a description of changes. Exit code 0 on success, 1 when the transform
// cannot be made, 2 for a mistake on the command line (also an output that is one of the inputs).
#include "ChangeDescription.h"
#include "DatabaseDiff.h"
#include "MsiDatabaseReader.h"
#include "ToolOptions.h"
#include "TransformWriter.h"
#include "common/WideText.h"
#include "shared/ComApartment.h"
#include "shared/FileIdentity.h"
#include "shared/ToolPaths.h"

#include <windows.h>

#include <objbase.h>

#include <exception>
#include <new>
#include <string>
#include <utility>

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

// An output that is one of the inputs would be destroyed by the run that reads it; compared by
// the file's identity on its volume, not by the spelling of the paths.
bool OutputIsNoInput(const ToolOptions& options, std::wstring& error) {
    const auto output = tools::IdentityOf(tools::FullPath(options.output));
    if (!output) {
        return true;
    }
    const std::pair<const std::wstring*, const wchar_t*> inputs[] = {
        {&options.base, L"--base"}, {&options.changed, L"--changed"}, {&options.changesFile, L"--changes"}};
    for (const auto& [path, option] : inputs) {
        if (!path->empty() && tools::IdentityOf(tools::FullPath(*path)) == output) {
            error = L"the output " + options.output + L" is the " + option + L" file " + *path +
                    L"; writing it would destroy that input";
            return false;
        }
    }
    return true;
}

size_t CountRows(const std::vector<TableChange>& tables) {
    size_t count = 0;
    for (const TableChange& table : tables) {
        count += table.rows.size();
    }
    return count;
}

} // namespace

static int Run(int argc, wchar_t** argv) {
    // The child this program starts to read databases.
    if (argc == 4 && std::wstring(argv[1]) == kReadDatabaseOption) {
        return ReadDatabaseChild(argv[2], argv[3]);
    }
    ToolOptions options;
    std::wstring error;
    if (!ParseToolOptions(argc, argv, options, error)) {
        return Fail(2, error + L" (see --help)");
    }
    if (options.help) {
        Write(STD_OUTPUT_HANDLE, kToolUsage);
        return 0;
    }
    if (!OutputIsNoInput(options, error)) {
        return Fail(2, error);
    }
    tools::ComApartment apartment;

    DatabaseSnapshot base;
    if (!ReadDatabase(tools::FullPath(options.base), base, error)) {
        return Fail(1, error);
    }
    DatabaseSnapshot changed;
    if (!options.changed.empty()) {
        if (!ReadDatabase(tools::FullPath(options.changed), changed, error)) {
            return Fail(1, error);
        }
    } else {
        changed = base;
        if (!options.changesFile.empty() &&
            !ApplyChangeFile(tools::FullPath(options.changesFile), changed, error)) {
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

    const std::wstring output = tools::FullPath(options.output);
    if (!WriteTransform(content, output, error)) {
        return Fail(1, error);
    }
    Write(STD_OUTPUT_HANDLE, Format(L"quentry-transform: wrote %s (%u row changes in %u tables)\r\n",
                                    output.c_str(), static_cast<unsigned>(CountRows(content.tables)),
                                    static_cast<unsigned>(content.tables.size())));
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    // Nothing thrown leaves the tool as an abort: an exception is a failure like any other.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail(1, L"out of memory");
    } catch (const std::exception& exception) {
        return Fail(1, L"internal failure: " + FromUtf8(exception.what()));
    }
}
