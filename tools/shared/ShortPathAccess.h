// A path for the platform functions that keep paths in MAX_PATH buffers (the installer's
// database functions, loading a module as data): the file's own path when it is short enough,
// else a copy of the file in the temporary folder that is deleted with this object.
#pragma once

#include "shared/TemporaryFile.h"

#include <string>

namespace quentry::tools {

class ShortPathAccess {
public:
    // fullPath names an existing file. False with the system's error left for GetLastError when a
    // needed copy cannot be made.
    bool Open(const std::wstring& fullPath);
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
    TemporaryFile m_copy;
};

} // namespace quentry::tools
