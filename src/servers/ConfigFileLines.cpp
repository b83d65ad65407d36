#include "servers/ConfigFileLines.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>

namespace quentry {

namespace {

struct FileCloser {
    void operator()(FILE* file) const noexcept { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

// Text mode ("t") is the platform runtime's; elsewhere (the native fuzz build) the path is
// converted by the locale and the mode letter dropped.
FILE* OpenText(const std::wstring& path, bool write) {
#ifdef _WIN32
    return ::_wfopen(path.c_str(), write ? L"wt" : L"rt");
#else
    std::string narrow(path.size() * 4 + 1, '\0');
    const size_t length = std::wcstombs(narrow.data(), path.c_str(), narrow.size());
    if (length == static_cast<size_t>(-1)) {
        return nullptr;
    }
    narrow.resize(length);
    return std::fopen(narrow.c_str(), write ? "w" : "r");
#endif
}

} // namespace

std::optional<std::vector<std::wstring>> ReadConfigFileLines(const std::wstring& path) {
    UniqueFile file(OpenText(path, false));
    if (!file) {
        return std::nullopt;
    }
    std::vector<std::wstring> lines;
    std::wstring line;
    wchar_t buffer[1024];
    bool partial = false;
    while (std::fgetws(buffer, static_cast<int>(std::size(buffer)), file.get()) != nullptr) {
        line += buffer;
        partial = true;
        if (!line.empty() && line.back() == L'\n') {
            line.pop_back();
            lines.push_back(std::move(line));
            line.clear();
            partial = false;
        }
    }
    if (std::ferror(file.get())) {
        return std::nullopt;
    }
    if (partial) {
        lines.push_back(std::move(line));
    }
    return lines;
}

bool WriteConfigFileLines(const std::wstring& path, const std::vector<std::wstring>& lines) {
    UniqueFile file(OpenText(path, true));
    if (!file) {
        return false;
    }
    for (const std::wstring& line : lines) {
        if (std::fputws(line.c_str(), file.get()) < 0 || std::fputwc(L'\n', file.get()) == WEOF) {
            return false;
        }
    }
    return std::fclose(file.release()) == 0;
}

} // namespace quentry
