#include "common/RegistryKey.h"

#include "common/WideText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quentry {
namespace {

// Keys of this test process only, below HKEY_CURRENT_USER (and HKEY_LOCAL_MACHINE for the views),
// removed at the end.
class RegistryKeyTest : public ::testing::Test {
protected:
    static std::wstring TestPath() { return Format(L"Software\\QuentryTest\\%lu", ::GetCurrentProcessId()); }

    void SetUp() override {
        RemoveTestKeys();
        ASSERT_TRUE(m_key.OpenKeyPath(L"HKEY_CURRENT_USER\\" + TestPath(), false, true, 0));
    }
    void TearDown() override {
        m_key.CloseKey();
        RemoveTestKeys();
    }

    static void RemoveTestKeys() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
                HKEY parent = nullptr;
                if (::RegOpenKeyExW(root, L"Software\\QuentryTest", 0, KEY_ALL_ACCESS | view, &parent) ==
                    ERROR_SUCCESS) {
                    ::RegDeleteTreeW(parent, Format(L"%lu", ::GetCurrentProcessId()).c_str());
                    ::RegCloseKey(parent);
                }
                // Only removed when no other test process uses it any more.
                ::RegDeleteKeyExW(root, L"Software\\QuentryTest", view, 0);
            }
        }
    }

    // Writes a value with the platform call directly, bytes as given.
    void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(::RegSetValueExW(m_key.Handle(), name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        DWORD stored = 0;
        ASSERT_EQ(::RegQueryValueExW(m_key.Handle(), name, nullptr, nullptr, nullptr, &stored),
                  ERROR_SUCCESS);
        ASSERT_EQ(stored, size) << name; // stored exactly, without a terminator added
    }

    // Whether a value is visible through a view of HKEY_LOCAL_MACHINE (0 = this process's own).
    static bool VisibleInView(const std::wstring& subkey, const wchar_t* valueName, REGSAM view) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
            return false;
        }
        const bool found =
            ::RegQueryValueExW(key, valueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        ::RegCloseKey(key);
        return found;
    }

    RegistryKey m_key;
};

TEST_F(RegistryKeyTest, RootObjectsHoldThePredefinedKeys) {
    const struct {
        RegistryKey& root;
        const wchar_t* name;
        HKEY handle;
    } roots[] = {{RegistryKey::LocalMachine(), L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                 {RegistryKey::ClassesRoot(), L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                 {RegistryKey::CurrentUser(), L"HKEY_CURRENT_USER", HKEY_CURRENT_USER}};
    for (const auto& r : roots) {
        EXPECT_TRUE(r.root.IsOpen()) << r.name;
        EXPECT_EQ(r.root.Handle(), r.handle) << r.name;
        EXPECT_EQ(r.root.FullPath(), r.name);
        EXPECT_EQ(r.root.ParentPath(), L"");
        EXPECT_EQ(r.root.ViewFlags(), 0u);
        EXPECT_EQ(RegistryKey::Root(r.name).Handle(), r.handle) << r.name;
    }
    EXPECT_FALSE(RegistryKey::Root(L"hkey_current_user").IsOpen());
    EXPECT_FALSE(RegistryKey::Root(L"HKEY_USERS").IsOpen());
}

TEST_F(RegistryKeyTest, ClosingARootObjectLeavesThePredefinedKeyUsable) {
    RegistryKey root = RegistryKey::Root(L"HKEY_CURRENT_USER");
    root.CloseKey();
    EXPECT_FALSE(root.IsOpen());
    { RegistryKey another = RegistryKey::Root(L"HKEY_CURRENT_USER"); } // destroyed
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, TestPath().c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    ::RegCloseKey(key);
    RegistryKey child;
    EXPECT_TRUE(child.OpenKey(RegistryKey::CurrentUser(), TestPath(), true, false, 0));
    EXPECT_FALSE(child.OpenKey(root, TestPath(), true, false, 0)); // the closed object opens nothing
}

TEST_F(RegistryKeyTest, CloseKeyReleasesARealHandle) {
    RegistryKey child;
    ASSERT_TRUE(child.OpenKey(m_key, L"closing", false, true, 0));
    const HKEY handle = child.Handle();
    DWORD flags = 0;
    ASSERT_TRUE(::GetHandleInformation(handle, &flags));
    child.CloseKey();
    EXPECT_FALSE(child.IsOpen());
    EXPECT_FALSE(::GetHandleInformation(handle, &flags));
    EXPECT_FALSE(child.SetString(L"v", L"x"));
    EXPECT_EQ(child.GetString(L"v"), L"");
    EXPECT_FALSE(child.SetDword(L"v", 1));
    EXPECT_FALSE(child.DeleteValue(L"v"));

    // Destruction closes as well.
    HKEY destroyed = nullptr;
    {
        RegistryKey scoped;
        ASSERT_TRUE(scoped.OpenKey(m_key, L"closing", true, false, 0));
        destroyed = scoped.Handle();
    }
    EXPECT_FALSE(::GetHandleInformation(destroyed, &flags));
}

TEST_F(RegistryKeyTest, OpenKeyPathNamesItsRootExactly) {
    const std::wstring full = L"HKEY_CURRENT_USER\\" + TestPath();
    const struct {
        std::wstring path;
        bool opens;
    } cases[] = {
        {full, true},
        {L"HKEY_LOCAL_MACHINE\\Software", true},
        {L"HKEY_CLASSES_ROOT", true},
        {L"hkey_current_user\\" + TestPath(), false},
        {L"HKEY_USERS\\.DEFAULT", false},
        {L"HKCU\\" + TestPath(), false},
        {L"", false},
        {L"\\" + TestPath(), false},
        {full + L"\\missing\\deeper", false},
    };
    for (const auto& c : cases) {
        RegistryKey key;
        EXPECT_EQ(key.OpenKeyPath(c.path, true, false, 0), c.opens) << c.path;
        EXPECT_EQ(key.IsOpen(), c.opens) << c.path;
    }

    RegistryKey key;
    ASSERT_TRUE(key.OpenKeyPath(full, true, false, 0));
    EXPECT_EQ(key.Name(), Format(L"%lu", ::GetCurrentProcessId()));
    EXPECT_EQ(key.ParentPath(), L"HKEY_CURRENT_USER\\Software\\QuentryTest");
    EXPECT_EQ(key.FullPath(), full);
}

TEST_F(RegistryKeyTest, OpenKeyBelowAParentSplitsTheNameAndHonoursCreate) {
    RegistryKey child;
    EXPECT_FALSE(child.OpenKey(m_key, L"a\\b", false, false, 0)); // not there, no create
    EXPECT_EQ(child.Name(), L"b");
    EXPECT_EQ(child.ParentPath(), m_key.FullPath() + L"\\a");

    ASSERT_TRUE(child.OpenKey(m_key, L"a\\b", false, true, 0));
    EXPECT_EQ(child.FullPath(), m_key.FullPath() + L"\\a\\b");
    EXPECT_TRUE(child.SetString(L"v", L"below"));

    RegistryKey again;
    ASSERT_TRUE(again.OpenKeyPath(L"HKEY_CURRENT_USER\\" + TestPath() + L"\\a\\b", true, false, 0));
    EXPECT_EQ(again.GetString(L"v"), L"below");

    // A parent without handle: nothing is opened and the name stays whole.
    RegistryKey closed;
    RegistryKey orphan;
    EXPECT_FALSE(orphan.OpenKey(closed, L"a\\b", false, true, 0));
    EXPECT_EQ(orphan.Name(), L"a\\b");
    EXPECT_EQ(orphan.ParentPath(), L"");
    EXPECT_EQ(orphan.FullPath(), L"a\\b");

    // A key may open a child of itself.
    RegistryKey walker;
    ASSERT_TRUE(walker.OpenKey(m_key, L"a", true, false, 0));
    ASSERT_TRUE(walker.OpenKey(walker, L"b", true, false, 0));
    EXPECT_EQ(walker.GetString(L"v"), L"below");
    EXPECT_EQ(walker.FullPath(), m_key.FullPath() + L"\\a\\b");
}

TEST_F(RegistryKeyTest, AReadOnlyKeyCannotBeWritten) {
    ASSERT_TRUE(m_key.SetString(L"v", L"before"));
    RegistryKey reader;
    ASSERT_TRUE(reader.OpenKeyPath(L"HKEY_CURRENT_USER\\" + TestPath(), true, false, 0));
    EXPECT_FALSE(reader.SetString(L"v", L"after"));
    EXPECT_FALSE(reader.SetDword(L"d", 1));
    EXPECT_FALSE(reader.DeleteValue(L"v"));
    EXPECT_EQ(reader.GetString(L"v"), L"before");
}

TEST_F(RegistryKeyTest, WritesReadsAndDeletesValues) {
    const std::wstring longText(5000, L'\u00fc');
    EXPECT_TRUE(m_key.SetString(L"text", L"Zorvat \u65e5\u672c"));
    EXPECT_TRUE(m_key.SetString(L"empty", L""));
    EXPECT_TRUE(m_key.SetString(L"long", longText));
    EXPECT_TRUE(m_key.SetString(L"", L"default value"));
    EXPECT_EQ(m_key.GetString(L"text"), L"Zorvat \u65e5\u672c");
    EXPECT_EQ(m_key.GetString(L"empty"), L"");
    EXPECT_EQ(m_key.GetString(L"long"), longText);
    EXPECT_EQ(m_key.GetString(L""), L"default value");

    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(::RegQueryValueExW(m_key.Handle(), L"text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 10u * sizeof(wchar_t)); // nine characters and the terminator

    EXPECT_TRUE(m_key.SetDword(L"number", 0xDEADBEEF));
    DWORD number = 0;
    size = sizeof(number);
    ASSERT_EQ(::RegQueryValueExW(m_key.Handle(), L"number", nullptr, &type, reinterpret_cast<BYTE*>(&number),
                                 &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number, 0xDEADBEEFu);
    EXPECT_EQ(m_key.GetString(L"number"), L""); // a DWORD is not text

    EXPECT_TRUE(m_key.DeleteValue(L"text"));
    EXPECT_EQ(m_key.GetString(L"text"), L"");
    EXPECT_FALSE(m_key.DeleteValue(L"text"));
    EXPECT_EQ(m_key.GetString(L"never-written"), L"");
}

TEST_F(RegistryKeyTest, GetStringReadsOddAndUnterminatedValuesWhole) {
    // The character after the counted bytes is not zero, so that the platform adds no terminator.
    const wchar_t unterminated[] = L"abcX";
    SetRaw(L"unterminated", REG_SZ, unterminated, 3 * sizeof(wchar_t));
    EXPECT_EQ(m_key.GetString(L"unterminated"), L"abc");

    const wchar_t odd[] = L"abcdX";
    SetRaw(L"odd", REG_SZ, odd, 7); // three characters and the low byte of a fourth
    EXPECT_EQ(m_key.GetString(L"odd"), L"abcd");

    const char oneByte[] = "zX";
    SetRaw(L"one byte", REG_SZ, oneByte, 1);
    EXPECT_EQ(m_key.GetString(L"one byte"), L"z");

    const wchar_t embedded[] = L"first\0second";
    SetRaw(L"embedded", REG_SZ, embedded, sizeof(embedded));
    EXPECT_EQ(m_key.GetString(L"embedded"), L"first");

    const wchar_t expandable[] = L"%SystemRoot%\\x";
    SetRaw(L"expandable", REG_EXPAND_SZ, expandable, sizeof(expandable));
    EXPECT_EQ(m_key.GetString(L"expandable"), L"%SystemRoot%\\x"); // not expanded

    SetRaw(L"empty raw", REG_SZ, L"X", 0);
    EXPECT_EQ(m_key.GetString(L"empty raw"), L"");

    const wchar_t multi[] = L"one\0two\0";
    SetRaw(L"multi", REG_MULTI_SZ, multi, sizeof(multi));
    EXPECT_EQ(m_key.GetString(L"multi"), L"");
    const BYTE binary[] = {'a', 0, 'b', 0};
    SetRaw(L"binary", REG_BINARY, binary, sizeof(binary));
    EXPECT_EQ(m_key.GetString(L"binary"), L"");
    const ULONGLONG quad = 0x0041004100410041ULL;
    SetRaw(L"qword", REG_QWORD, &quad, sizeof(quad));
    EXPECT_EQ(m_key.GetString(L"qword"), L"");
}

TEST_F(RegistryKeyTest, TheSixtyFourBitViewFlagReachesTheSixtyFourBitRegistry) {
    const std::wstring subkey = TestPath();
    RegistryKey wide;
    ASSERT_TRUE(wide.OpenKeyPath(L"HKEY_LOCAL_MACHINE\\" + subkey, false, true, RegistryKey::kView64));
    EXPECT_EQ(wide.ViewFlags(), static_cast<REGSAM>(KEY_WOW64_64KEY));
    ASSERT_TRUE(wide.SetString(L"InView64", L"sixty-four"));
    ASSERT_TRUE(wide.SetDword(L"Number64", 64));

    EXPECT_TRUE(VisibleInView(subkey, L"InView64", KEY_WOW64_64KEY));
    EXPECT_FALSE(VisibleInView(subkey, L"InView64", KEY_WOW64_32KEY));
    // This process's own view is the 64-bit one exactly when the process is 64-bit.
    EXPECT_EQ(VisibleInView(subkey, L"InView64", 0), sizeof(void*) == 8);

    RegistryKey narrow;
    ASSERT_TRUE(narrow.OpenKeyPath(L"HKEY_LOCAL_MACHINE\\" + subkey, false, true, KEY_WOW64_32KEY));
    EXPECT_EQ(narrow.GetString(L"InView64"), L"");
    ASSERT_TRUE(narrow.SetString(L"InView32", L"thirty-two"));
    EXPECT_FALSE(VisibleInView(subkey, L"InView32", KEY_WOW64_64KEY));
    EXPECT_EQ(wide.GetString(L"InView32"), L"");

    RegistryKey reader;
    ASSERT_TRUE(reader.OpenKey(RegistryKey::LocalMachine(), subkey, true, false, RegistryKey::kView64));
    EXPECT_EQ(reader.GetString(L"InView64"), L"sixty-four");
    EXPECT_EQ(reader.FullPath(), L"HKEY_LOCAL_MACHINE\\" + subkey);
}

} // namespace
} // namespace quentry
