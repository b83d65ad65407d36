#include "common/LanguageTable.h"
#include "common/StringIds.h"

#include "common/ResourceReader.h"
#include "common/WideText.h"

#include <cstdarg>

namespace quentry {

namespace {

constexpr LANGID kEnglish = 1033;
constexpr LANGID kJapanese = 1041;
// The Japanese string tables are stored language-neutral (LANG_JAPANESE, SUBLANG_NEUTRAL).
constexpr LANGID kJapaneseNeutral = 17;

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<LANGID>*>(languages)->push_back(language);
    return TRUE;
}

} // namespace

LanguageTable::LanguageTable(HMODULE module)
    : m_module(module ? module : ::GetModuleHandleW(nullptr)),
      m_stringsReadable(ResourceDirectoryIsSound(m_module)) {
    m_rows = {
        {L"English", L"English", strings::kEnglishName, 1033, L"1033", L"", L"en"},
        {L"German", L"German", strings::kGermanName, 1031, L"1031", L"_de", L"de"},
        {L"Spanish", L"Spanish", strings::kSpanishName, 1034, L"1034", L"_es", L"es"},
        {L"French", L"French", strings::kFrenchName, 1036, L"1036", L"_fr", L"fr"},
        {L"Japanese", L"Japanese", strings::kJapaneseName, 1041, L"1041", L"_ja", L"ja"},
    };
}

void LanguageTable::SelectByName(const std::wstring& name) {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (EqualsNoCase(m_rows[i].englishName, name) || EqualsNoCase(m_rows[i].displayName, name)) {
            m_current = static_cast<int>(i);
            break;
        }
    }
    ReloadDisplayNames();
}

void LanguageTable::SelectByLangId(LANGID langId) {
    int found = -1;
    for (size_t i = 0; i < m_rows.size() && found < 0; ++i) {
        if (m_rows[i].langId == langId) {
            found = static_cast<int>(i);
        }
    }
    for (size_t i = 0; i < m_rows.size() && found < 0; ++i) {
        if (PRIMARYLANGID(m_rows[i].langId) == PRIMARYLANGID(langId)) {
            found = static_cast<int>(i);
        }
    }
    if (found >= 0) {
        m_current = found;
    }
    ReloadDisplayNames();
}

void LanguageTable::ReloadDisplayNames() {
    for (LanguageInfo& row : m_rows) {
        std::wstring name = LoadString(row.displayNameId);
        row.displayName = name.empty() ? row.englishName : name;
    }
}

std::wstring LanguageTable::LoadString(unsigned id) const {
    if (!m_stringsReadable) {
        return {};
    }
    return LoadStringIn(m_module, id, m_current < 0 ? kEnglish : m_rows[m_current].langId);
}

std::wstring LanguageTable::FormatString(unsigned id, ...) const {
    std::wstring format = LoadString(id);
    va_list arguments;
    va_start(arguments, id);
    std::wstring text = FormatV(format.c_str(), arguments);
    va_end(arguments);
    return text;
}

LANGID LanguageTable::ResourceLanguage(LANGID langId) {
    return langId == kJapanese ? kJapaneseNeutral : langId;
}

std::wstring LanguageTable::LoadStringNear(HMODULE module, unsigned id, LANGID langId) {
    std::vector<LANGID> candidates = {langId, MAKELANGID(PRIMARYLANGID(langId), SUBLANG_NEUTRAL),
                                      MAKELANGID(PRIMARYLANGID(langId), SUBLANG_DEFAULT)};
    std::vector<LANGID> stored;
    ::EnumResourceLanguagesW(module, RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1), AddLanguage,
                             reinterpret_cast<LONG_PTR>(&stored));
    for (LANGID language : stored) {
        if (PRIMARYLANGID(language) == PRIMARYLANGID(langId)) {
            candidates.push_back(language);
        }
    }
    for (LANGID language : candidates) {
        if (std::wstring text = LoadStringIn(module, id, language); !text.empty()) {
            return text;
        }
    }
    return {};
}

std::wstring LanguageTable::LoadStringIn(HMODULE module, unsigned id, LANGID langId) {
    langId = ResourceLanguage(langId);
    // String tables are stored in blocks of 16 counted strings; block n holds ids 16(n-1)..16n-1.
    const ResourceBytes block =
        ReadResource(module, RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1), langId, ResourceKind::Binary);
    if (!block) {
        return {};
    }
    const auto* data = reinterpret_cast<const WCHAR*>(block.bytes.data());
    const size_t available = block.bytes.size() / sizeof(WCHAR);
    size_t position = 0;
    for (unsigned index = 0; index < (id & 15); ++index) {
        if (position >= available) {
            return {};
        }
        position += 1 + data[position];
    }
    if (position >= available) {
        return {};
    }
    const size_t length = data[position];
    if (length > available - position - 1) {
        return {};
    }
    return std::wstring(data + position + 1, length);
}

} // namespace quentry
