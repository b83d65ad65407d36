// A server configuration file read into memory, whatever its format: lookups by section and key,
// or by a path that joins the two with the format's separator. Plain C++, no platform headers.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace quentry {

class ICBSIniFileBase {
public:
    virtual ~ICBSIniFileBase() = default;

    virtual bool HasContent() const = 0;
    virtual bool HasParseErrors() const = 0;
    virtual bool IsModified() const = 0;
    virtual bool HasKey(std::wstring_view section, std::wstring_view key) const = 0;
    virtual bool HasKey(std::wstring_view path) const = 0;
    virtual std::wstring GetValue(std::wstring_view section, std::wstring_view key) const = 0;
    virtual std::wstring GetValue(std::wstring_view path) const = 0;
    // Sets, adds or (with an empty value) removes a key; true when something changed.
    virtual bool SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value) = 0;
    virtual bool SetValue(std::wstring_view path, std::wstring_view value) = 0;
    // Writes the file when it holds changes; true when nothing needed writing or the file was written.
    virtual bool Save() = 0;

protected:
    ICBSIniFileBase() = default;
    ICBSIniFileBase(const ICBSIniFileBase&) = default;
    ICBSIniFileBase& operator=(const ICBSIniFileBase&) = default;

    // Section (before the first separator) and key (after it); without a separator the section is
    // empty and the key is the whole path.
    static std::pair<std::wstring_view, std::wstring_view> SplitPath(std::wstring_view path,
                                                                     std::wstring_view separator) {
        const size_t at = path.find(separator);
        if (at == std::wstring_view::npos) {
            return {std::wstring_view(), path};
        }
        return {path.substr(0, at), path.substr(at + separator.size())};
    }
};

} // namespace quentry
