// quentry-bundle: turns installer packages into a Quentry launcher that carries them, or lists
// what a launcher carries. Exit code 0 on success, 1 when the launcher cannot be written (or
// --list finds it incomplete), 2 for a mistake on the command line (also an output that is one
// of the inputs).
#include "BundleBuilder.h"
#include "BundleListing.h"
#include "BundleOptions.h"
#include "OutputCheck.h"
#include "PackageFacts.h"
#include "ToolOutput.h"
#include "common/WideText.h"

#include <exception>
#include <new>
#include <string>
#include <vector>

using namespace quentry::bundle;

namespace {

int Fail(int code, const std::wstring& message) {
    std::wstring line = L"quentry-bundle: error: " + message;
    for (wchar_t& c : line) {
        if (c == L'\r' || c == L'\n') {
            c = L' ';
        }
    }
    WriteErrorLine(line);
    return code;
}

void WriteUsage() {
    std::wstring usage = kBundleUsage;
    size_t start = 0;
    while (start < usage.size()) {
        const size_t end = usage.find(L'\n', start);
        WriteOutputLine(
            std::wstring_view(usage).substr(start, end == std::wstring::npos ? end : end - start));
        start = end == std::wstring::npos ? usage.size() : end + 1;
    }
}

} // namespace

static int Run(int argc, wchar_t** argv) {
    // The child this program starts to read packages' databases.
    if (argc == 4 && std::wstring(argv[1]) == kReadFactsOption) {
        return ReadPackageFactsChild(argv[2], argv[3]);
    }
    BundleOptions options;
    std::wstring error;
    if (!ParseBundleOptions(argc, argv, options, error)) {
        return Fail(2, error + L" (see quentry-bundle --help)");
    }
    if (options.help) {
        WriteUsage();
        return 0;
    }
    std::vector<std::wstring> lines;
    if (!options.listPath.empty()) {
        bool complete = false;
        if (!ListBundle(FullPath(options.listPath), lines, complete, error)) {
            return Fail(1, error);
        }
        for (const std::wstring& line : lines) {
            WriteOutputLine(line);
        }
        return complete ? 0 : 1;
    }
    if (!OutputIsNoInput(options, error)) {
        return Fail(2, error);
    }
    if (!BuildBundle(options, lines, error)) {
        return Fail(1, error);
    }
    for (const std::wstring& line : lines) {
        WriteOutputLine(line);
    }
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    // Nothing thrown leaves the tool as an abort: an exception is a failure like any other.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail(1, L"out of memory");
    } catch (const std::exception& exception) {
        return Fail(1, L"internal failure: " + quentry::FromUtf8(exception.what()));
    }
}
