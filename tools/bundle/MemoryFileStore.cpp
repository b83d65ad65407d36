#include "MemoryFileStore.h"

#include <cstring>
#include <fcntl.h>
#include <limits>
#include <stdio.h>

namespace quentry::bundle {

void MemoryFileStore::Put(const std::string& name, std::vector<BYTE> bytes) {
    m_files[name] = std::move(bytes);
}

const std::vector<BYTE>* MemoryFileStore::Find(const std::string& name) const {
    const auto found = m_files.find(name);
    return found == m_files.end() ? nullptr : &found->second;
}

INT_PTR MemoryFileStore::Open(const std::string& name, int flags) {
    auto found = m_files.find(name);
    if (found == m_files.end()) {
        if (!(flags & _O_CREAT)) {
            return -1;
        }
        found = m_files.emplace(name, std::vector<BYTE>()).first;
    } else if ((flags & _O_CREAT) && (flags & _O_EXCL)) {
        return -1;
    } else if (flags & _O_TRUNC) {
        found->second.clear();
    }
    const INT_PTR handle = m_nextHandle++;
    m_open[handle] = OpenFile{name, 0};
    return handle;
}

std::vector<BYTE>* MemoryFileStore::Content(INT_PTR handle, OpenFile*& file) {
    const auto open = m_open.find(handle);
    if (open == m_open.end()) {
        return nullptr;
    }
    file = &open->second;
    const auto content = m_files.find(file->name);
    return content == m_files.end() ? nullptr : &content->second;
}

UINT MemoryFileStore::Read(INT_PTR handle, void* buffer, UINT count) {
    OpenFile* file = nullptr;
    std::vector<BYTE>* content = Content(handle, file);
    if (content == nullptr || file->position >= content->size()) {
        return 0;
    }
    const size_t available = content->size() - file->position;
    const UINT moved = static_cast<UINT>(std::min<size_t>(count, available));
    std::memcpy(buffer, content->data() + file->position, moved);
    file->position += moved;
    return moved;
}

UINT MemoryFileStore::Write(INT_PTR handle, const void* buffer, UINT count) {
    OpenFile* file = nullptr;
    std::vector<BYTE>* content = Content(handle, file);
    if (content == nullptr) {
        return static_cast<UINT>(-1);
    }
    if (content->size() < file->position + count) {
        content->resize(file->position + count);
    }
    std::memcpy(content->data() + file->position, buffer, count);
    file->position += count;
    return count;
}

long MemoryFileStore::Seek(INT_PTR handle, long distance, int origin) {
    OpenFile* file = nullptr;
    const std::vector<BYTE>* content = Content(handle, file);
    if (content == nullptr) {
        return -1;
    }
    long long base = 0;
    if (origin == SEEK_CUR) {
        base = static_cast<long long>(file->position);
    } else if (origin == SEEK_END) {
        base = static_cast<long long>(content->size());
    } else if (origin != SEEK_SET) {
        return -1;
    }
    const long long target = base + distance;
    if (target < 0 || target > std::numeric_limits<long>::max()) {
        return -1;
    }
    file->position = static_cast<size_t>(target);
    return static_cast<long>(target);
}

bool MemoryFileStore::Close(INT_PTR handle) {
    return m_open.erase(handle) == 1;
}

bool MemoryFileStore::Delete(const std::string& name) {
    return m_files.erase(name) == 1;
}

std::string MemoryFileStore::NewTemporaryName() {
    for (;;) {
        std::string name = "temporary-" + std::to_string(m_nextTemporary++);
        if (m_files.find(name) == m_files.end()) {
            return name;
        }
    }
}

} // namespace quentry::bundle
