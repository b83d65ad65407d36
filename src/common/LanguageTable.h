// The five wizard languages, the current one, and the localized string tables in the resources.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quentry {

struct LanguageInfo {
    std::wstring englishName;
    std::wstring displayName; // reloaded in the current language whenever it changes
    unsigned displayNameId = 0;
    LANGID langId = 0;
    std::wstring langIdText;
    std::wstring fileSuffix;
    std::wstring isoCode;
};

class LanguageTable {
public:
    // Strings are read from module's resources (the running executable by default).
    explicit LanguageTable(HMODULE module = nullptr);

    const std::vector<LanguageInfo>& Rows() const { return m_rows; }
    const LanguageInfo* Current() const { return m_current < 0 ? nullptr : &m_rows[m_current]; }

    // The first row whose English or display name equals name ignoring case; no match keeps
    // the current row. Display names are reloaded either way.
    void SelectByName(const std::wstring& name);
    // The row with exactly langId, else the first with the same primary language, else no change.
    void SelectByLangId(LANGID langId);

    // The string with that id in the current language (English before one is chosen); "" when
    // the string table has none or the module's resources are damaged.
    std::wstring LoadString(unsigned id) const;
    std::wstring FormatString(unsigned id, ...) const;

    // The language a wizard language's texts and dialogs are stored under: the Japanese ones are
    // stored language-neutral, serving 1041.
    static LANGID ResourceLanguage(LANGID langId);

    // A string of the string table of exactly that language; "" when missing.
    static std::wstring LoadStringIn(HMODULE module, unsigned id, LANGID langId);
    // A string in the language the resource loader would choose for langId: that language, else
    // its primary language (neutral, then default sublanguage, then any other region); "" when
    // the primary language has no string table.
    static std::wstring LoadStringNear(HMODULE module, unsigned id, LANGID langId);

private:
    void ReloadDisplayNames();

    HMODULE m_module;
    // False when the module's resource directory is damaged: no string is read from it then.
    bool m_stringsReadable;
    std::vector<LanguageInfo> m_rows;
    int m_current = -1;
};

} // namespace quentry
