// Files in memory for the cabinet compression library: the source file, its temporary files and
// the cabinet it writes live here, so that nothing touches the disk and no path has to pass
// through the library's narrow interface.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace quentry::bundle {

class MemoryFileStore {
public:
    void Put(const std::string& name, std::vector<BYTE> bytes);
    // The file's bytes, or null when there is no such file.
    const std::vector<BYTE>* Find(const std::string& name) const;

    // The C runtime's conventions: open takes _O_* flags and gives a handle (> 0) or -1; read and
    // write give the bytes moved; seek gives the new position or -1.
    INT_PTR Open(const std::string& name, int flags);
    UINT Read(INT_PTR handle, void* buffer, UINT count);
    UINT Write(INT_PTR handle, const void* buffer, UINT count);
    long Seek(INT_PTR handle, long distance, int origin);
    bool Close(INT_PTR handle);
    bool Delete(const std::string& name);
    // A name no file has yet.
    std::string NewTemporaryName();
    size_t OpenCount() const { return m_open.size(); }

private:
    struct OpenFile {
        std::string name;
        size_t position = 0;
    };
    std::vector<BYTE>* Content(INT_PTR handle, OpenFile*& file);

    std::map<std::string, std::vector<BYTE>> m_files;
    std::map<INT_PTR, OpenFile> m_open;
    INT_PTR m_nextHandle = 1;
    unsigned m_nextTemporary = 0;
};

} // namespace quentry::bundle
