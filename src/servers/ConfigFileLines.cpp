#include "servers/ConfigFileLines.h"

#include <cstdio>
#include <memory>

namespace quentry {

namespace {

struct FileCloser {
    void operator()(FILE* file) const noexcept { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

} // namespace

std::optional<std::vector<std::wstring>> ReadConfigFileLines(const std::wstring& path) {
    UniqueFile file(::_wfopen(path.c_str(), L"rt"));
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
    UniqueFile file(::_wfopen(path.c_str(), L"wt"));
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
