#include "extraction/CabinetFileNames.h"

#include "common/PlainFileName.h"
#include "common/WideText.h"

#include <windows.h>

namespace quentry {
namespace {

std::wstring Decode(std::string_view text, UINT codePage) {
    return FromCodePageExact(text, codePage);
}

} // namespace

std::wstring ExtractedFileName(std::string_view storedName, bool storedAsUtf8) {
    // Decoded before it is split: in a double-byte code page the second byte of a character can
    // have the value of a backslash.
    const std::wstring decoded = Decode(storedName, storedAsUtf8 ? CP_UTF8 : CP_ACP);
    const size_t separator = decoded.find_last_of(L"\\/");
    std::wstring name = separator == std::wstring::npos ? decoded : decoded.substr(separator + 1);
    if (!IsPlainFileName(name)) {
        return {};
    }
    return name;
}

std::wstring ExtractedFilePath(const std::wstring& folder, const std::wstring& name) {
    constexpr size_t kLongestPath = MAX_PATH - 1;
    if (folder.size() + 1 + name.size() > kLongestPath) {
        return {};
    }
    return folder + L"\\" + name;
}

} // namespace quentry
