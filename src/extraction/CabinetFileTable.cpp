#include "extraction/CabinetFileTable.h"

namespace quentry {

CabinetFileTable& CabinetFileTable::Process() {
    static CabinetFileTable table;
    return table;
}

int CabinetFileTable::Add(CabinetFileEntry entry) {
    std::lock_guard<std::mutex> lock(m_lock);
    for (int number = 0; number < kCapacity; ++number) {
        if (!m_entries[number]) {
            m_entries[number].emplace(std::move(entry));
            return number;
        }
    }
    return -1;
}

std::optional<CabinetFileEntry> CabinetFileTable::Remove(intptr_t number) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (number < 0 || number >= kCapacity) {
        return std::nullopt;
    }
    return std::exchange(m_entries[number], std::nullopt);
}

} // namespace quentry
