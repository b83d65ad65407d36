// A file of the tool's own that is gone when the object goes, unless it was moved into place.
#pragma once

#include <string>

namespace quentry::tools {

class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    // A new empty file named <prefix><process id>-<n><suffix> in folder (a full path of any
    // length). False with the system's error code left for GetLastError.
    bool Create(const std::wstring& folder, const std::wstring& prefix, const std::wstring& suffix = L".tmp");
    // Takes over a file the caller has made under this exact name.
    void Adopt(const std::wstring& path);

    // The full path, and its extended form for the file functions.
    const std::wstring& Path() const { return m_path; }
    std::wstring FilePath() const;

    // Moves the file onto target (replacing it); false with GetLastError when it cannot. After
    // success the object owns nothing.
    bool MoveTo(const std::wstring& target);
    // Deletes the file now.
    void Remove();

private:
    std::wstring m_path;
};

} // namespace quentry::tools
