// A folder path as a value: a drive ("C:") or server ("\\server") prefix, whether it starts at the
// root, and its folder names with ".." already resolved.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quentry {

class FolderPath {
public:
    FolderPath() = default;
    // Parses the text; IsAcceptable() tells whether it was a usable path.
    explicit FolderPath(std::wstring_view text) { Set(text); }

    // Parses the text and returns whether it is acceptable: a drive path must start at the root
    // ("C:A" does not), a server path needs a server name, and ".." may not climb above the first
    // folder name. An unacceptable text leaves an empty path that names no folder.
    bool Set(std::wstring_view text);

    bool IsAcceptable() const { return m_acceptable; }
    const std::wstring& Text() const { return m_text; }
    const std::wstring& Prefix() const { return m_prefix; }
    bool IsRooted() const { return m_rooted; }
    const std::vector<std::wstring>& Components() const { return m_components; }

    // Prefix, "\" when rooted, the folder names joined by "\"; with trailingSeparator one "\" at
    // the end unless the text is empty or already ends with one.
    std::wstring ToString(bool trailingSeparator) const;

    bool Exists() const;
    // Creates the folder and any missing parents; true when the folder exists afterwards.
    bool Create() const;
    // Deletes the folder with everything in it.
    bool Delete() const;

    // Appends a relative path's folder names. False (and nothing changes) when the other path is
    // rooted, has a prefix other than this one, or either path is not acceptable.
    bool Append(const FolderPath& relative);
    FolderPath Parent() const;

    // Full paths of the files (not folders) in this folder that match the pattern, in the order
    // the platform lists them.
    std::vector<std::wstring> ListFiles(std::wstring_view pattern) const;

    static FolderPath CurrentFolder();

private:
    bool Fail();

    std::wstring m_text;
    std::wstring m_prefix;
    bool m_rooted = false;
    bool m_acceptable = true;
    std::vector<std::wstring> m_components;
};

} // namespace quentry
