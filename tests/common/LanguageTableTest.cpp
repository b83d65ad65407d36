#include "common/LanguageTable.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

TEST(LanguageTableTest, SelectsByNameIgnoringCaseAndKeepsTheCurrentRowOtherwise) {
    LanguageTable table;
    EXPECT_EQ(table.Current(), nullptr);
    table.SelectByName(L"English");
    table.SelectByName(L"german");
    ASSERT_NE(table.Current(), nullptr);
    EXPECT_EQ(table.Current()->langId, 1031);
    table.SelectByName(L"Klingon");
    EXPECT_EQ(table.Current()->englishName, L"German");
    // Display names follow the current language, and select too.
    EXPECT_EQ(table.Rows()[2].displayName, L"Spanisch");
    table.SelectByName(L"FRANZÖSISCH");
    EXPECT_EQ(table.Current()->englishName, L"French");
    EXPECT_EQ(table.Rows()[1].displayName, L"Allemand");
}

// The application title before a wizard language is chosen, in the user's language as the
// resource loader picks it: a regional variant falls back to its primary language.
TEST(LanguageTableTest, TheDefaultTitleFallsBackThroughThePrimaryLanguage) {
    const struct {
        LANGID userLanguage;
        const wchar_t* title;
    } cases[] = {
        {1033, L"Zorvat Setup Wizard"},
        {2057, L"Zorvat Setup Wizard"}, // English, United Kingdom
        {1031, L"Zorvat Setup-Assistent"},
        {3079, L"Zorvat Setup-Assistent"}, // German, Austria
        {2055, L"Zorvat Setup-Assistent"}, // German, Switzerland
        {1034, L"Asistente de instalación de Zorvat"},
        {2058, L"Asistente de instalación de Zorvat"}, // Spanish, Mexico
        {3082, L"Asistente de instalación de Zorvat"}, // Spanish, modern sort
        {4108, L"Assistant d'installation Zorvat"},    // French, Switzerland
        {1041, L"Zorvat セットアップ ウィザード"},
        {1049, L""}, // Russian: no table of that language; the caller falls back to English
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LanguageTable::LoadStringNear(::GetModuleHandleW(nullptr), 57344, c.userLanguage), c.title)
            << c.userLanguage;
    }
}

TEST(LanguageTableTest, SelectsByLanguageIdWithPrimaryLanguageFallback) {
    const struct {
        LANGID requested;
        const wchar_t* expected;
    } cases[] =
        {
            {1033, L"English"}, {2057, L"English"}, {1031, L"German"}, {3079, L"German"},
            {3082, L"Spanish"}, {1036, L"French"},  {4108, L"French"}, {1041, L"Japanese"},
            {1049, L"English"}, // Russian: no row, the current row stays
        };
    for (const auto& c : cases) {
        LanguageTable table;
        table.SelectByName(L"English");
        table.SelectByLangId(c.requested);
        EXPECT_EQ(table.Current()->englishName, c.expected) << c.requested;
    }
}

TEST(LanguageTableTest, RowsCarryIdsSuffixesAndIsoCodes) {
    LanguageTable table;
    const auto& rows = table.Rows();
    ASSERT_EQ(rows.size(), 5u);
    const wchar_t* names[] = {L"English", L"German", L"Spanish", L"French", L"Japanese"};
    const wchar_t* ids[] = {L"1033", L"1031", L"1034", L"1036", L"1041"};
    const wchar_t* suffixes[] = {L"", L"_de", L"_es", L"_fr", L"_ja"};
    const wchar_t* iso[] = {L"en", L"de", L"es", L"fr", L"ja"};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].englishName, names[i]);
        EXPECT_EQ(rows[i].langIdText, ids[i]);
        EXPECT_EQ(rows[i].fileSuffix, suffixes[i]);
        EXPECT_EQ(rows[i].isoCode, iso[i]);
    }
}

TEST(LanguageTableTest, LoadsAndFormatsStringsOfTheCurrentLanguage) {
    LanguageTable table;
    // Before a language is chosen the English texts serve.
    EXPECT_EQ(table.LoadString(57344), L"Zorvat Setup Wizard");
    table.SelectByName(L"English");
    EXPECT_EQ(table.FormatString(1, L"Brindle"), L"Brindle - Installer Wizard");
    table.SelectByName(L"German");
    EXPECT_EQ(table.FormatString(1, L"Brindle"), L"Brindle - Installationsassistent");
    // The Japanese table is stored language-neutral and serves 1041.
    table.SelectByLangId(1041);
    EXPECT_EQ(table.LoadString(53), L"日本語");
    EXPECT_EQ(table.LoadString(60000), L"");
}

TEST(LanguageTableTest, FormattingGrowsPastTheFirstBuffer) {
    LanguageTable table;
    table.SelectByName(L"English");
    const std::wstring longName(5000, L'x');
    EXPECT_EQ(table.FormatString(1, longName.c_str()), longName + L" - Installer Wizard");
}

} // namespace
} // namespace quentry
