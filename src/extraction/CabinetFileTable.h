// The files the cabinet engine has open for the decompression library, by file number. The
// numbers are the handles the library receives: 0 to 199, a new file always taking the lowest
// number not in use. One table for the process, guarded by one lock.
#pragma once

#include "common/UniqueHandle.h"
#include "extraction/CabinetImage.h"
#include "extraction/ICBSCabinetProgressCallbacks.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace quentry {

struct CabinetFileEntry {
    enum class Kind { DiskFile, ImageReader };
    Kind kind = Kind::DiskFile;

    // A file on disk.
    UniqueFileHandle file;
    // A reader over a cabinet image: the image, the read position inside the cabinet bytes, and
    // the sink that was current when the reader was opened.
    const CabinetImage* image = nullptr;
    uint32_t position = 0;
    ICBSCabinetProgressCallbacks* sink = nullptr;

    // A file extracted from the cabinet: its path, the size the cabinet announced for it, the
    // bytes written so far, and whether a write failed. An extracted file that does not reach
    // its size is removed again instead of being left behind cut short.
    std::wstring extractedPath;
    uint32_t expectedSize = 0;
    uint32_t written = 0;
    bool writeFailed = false;

    bool IsComplete() const { return !writeFailed && written == expectedSize; }
};

class CabinetFileTable {
public:
    static constexpr int kCapacity = 200;

    // The table of the process.
    static CabinetFileTable& Process();

    // Stores the entry under the lowest free number and returns it; -1 when all are in use.
    int Add(CabinetFileEntry entry);
    // Takes the entry out of the table; its number becomes free. Nothing for a number not in use.
    std::optional<CabinetFileEntry> Remove(intptr_t number);
    // Runs action(entry) under the table's lock; false when the number is not in use.
    template <typename Action> bool With(intptr_t number, Action&& action) {
        std::lock_guard<std::mutex> lock(m_lock);
        if (number < 0 || number >= kCapacity || !m_entries[number]) {
            return false;
        }
        std::forward<Action>(action)(*m_entries[number]);
        return true;
    }

private:
    std::mutex m_lock;
    std::array<std::optional<CabinetFileEntry>, kCapacity> m_entries;
};

} // namespace quentry
