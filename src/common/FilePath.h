// A file path as a value: the containing folder and the file name with its base name and
// extension.
#pragma once

#include "common/FolderPath.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace quentry {

class FilePath {
public:
    FilePath() = default;
    // Splits at the last "\" or "/": the part before is the folder, the rest the name.
    explicit FilePath(std::wstring_view text);
    // A file in a folder. A separator inside name moves its leading part into the folder; with an
    // extension the name becomes name + "." + extension.
    FilePath(std::wstring_view folder, std::wstring_view name, std::wstring_view extension = {});

    const std::wstring& Text() const { return m_text; }
    const std::wstring& Name() const { return m_name; }
    const std::wstring& BaseName() const { return m_baseName; }
    const std::wstring& Extension() const { return m_extension; }
    const FolderPath& Folder() const { return m_folder; }

    // The folder (with a trailing separator) followed by the name.
    std::wstring ToString() const;
    bool Exists() const;
    // The file version of the version resource as "major.minor.build.revision", "" without one.
    std::wstring Version() const;

    // The file of a loaded module (null: the running program); empty when it cannot be read.
    static FilePath ModulePath(HMODULE module);

private:
    void SetName(std::wstring_view name);

    std::wstring m_text;
    std::wstring m_name;
    std::wstring m_baseName;
    std::wstring m_extension;
    FolderPath m_folder;
};

} // namespace quentry
