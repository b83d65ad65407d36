#include "shared/FileContent.h"

#include <algorithm>

namespace quentry::tools {

bool ReadOpenFile(HANDLE file, std::string& bytes, uint64_t limit) {
    LARGE_INTEGER size{};
    const LARGE_INTEGER start{};
    if (!::GetFileSizeEx(file, &size) || !::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
        return false;
    }
    if (static_cast<uint64_t>(size.QuadPart) > limit) {
        ::SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
        if (!::ReadFile(file, bytes.data() + done, chunk, &read, nullptr)) {
            return false;
        }
        if (read == 0) {
            ::SetLastError(ERROR_HANDLE_EOF);
            return false;
        }
        done += read;
    }
    return true;
}

} // namespace quentry::tools
