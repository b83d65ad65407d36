#include "common/FileUtilities.h"

#include "common/UniqueHandle.h"
#include "support/TestSupport.h"

#include <aclapi.h>

#include <gtest/gtest.h>

#include <vector>

namespace quentry {
namespace {

namespace files = ICBSFileUtilities;
using test::ScratchFolder;

struct Sid {
    explicit Sid(WELL_KNOWN_SID_TYPE type) {
        DWORD size = sizeof(bytes);
        ::CreateWellKnownSid(type, nullptr, bytes, &size);
    }
    PSID Get() { return bytes; }
    BYTE bytes[SECURITY_MAX_SID_SIZE] = {};
};

struct Ace {
    BYTE type;
    BYTE flags;
    ACCESS_MASK mask;
    bool everyone;
    bool system;
};

// The folder's access list as the platform reports it, entry by entry.
std::vector<Ace> ReadAces(const std::wstring& folder) {
    std::vector<Ace> aces;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                &list, nullptr, &descriptor) != ERROR_SUCCESS) {
        return aces;
    }
    UniqueLocalMemory owner(descriptor);
    Sid everyone(WinWorldSid);
    Sid system(WinLocalSystemSid);
    for (DWORD i = 0; list != nullptr && i < list->AceCount; ++i) {
        void* raw = nullptr;
        if (!::GetAce(list, i, &raw)) {
            continue;
        }
        const auto* header = static_cast<const ACE_HEADER*>(raw);
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(raw);
            PSID sid = &allowed->SidStart;
            aces.push_back({header->AceType, header->AceFlags, allowed->Mask,
                            ::EqualSid(sid, everyone.Get()) != FALSE,
                            ::EqualSid(sid, system.Get()) != FALSE});
        }
    }
    return aces;
}

// Adds an explicit entry with the test's own calls.
bool AddEntry(const std::wstring& folder, WELL_KNOWN_SID_TYPE who, ACCESS_MASK mask, ACCESS_MODE mode) {
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                &list, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    UniqueLocalMemory owner(descriptor);
    Sid sid(who);
    EXPLICIT_ACCESS_W entry{};
    entry.grfAccessPermissions = mask;
    entry.grfAccessMode = mode;
    entry.grfInheritance = NO_INHERITANCE;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.ptstrName = reinterpret_cast<LPWSTR>(sid.Get());
    PACL updated = nullptr;
    if (::SetEntriesInAclW(1, &entry, list, &updated) != ERROR_SUCCESS) {
        return false;
    }
    UniqueLocalMemory updatedOwner(updated);
    std::wstring path = folder;
    return ::SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                   updated, nullptr) == ERROR_SUCCESS;
}

// Access rights with the generic bits turned into the file-specific ones they stand for.
ACCESS_MASK Mapped(ACCESS_MASK mask) {
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    ::MapGenericMask(&mask, &mapping);
    return mask;
}

constexpr ACCESS_MASK kFull = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;

// The rights everyone is granted by the folder's own (not inherited) entries.
ACCESS_MASK EveryoneRights(const std::vector<Ace>& aces) {
    ACCESS_MASK rights = 0;
    for (const Ace& ace : aces) {
        if (ace.everyone && ace.type == ACCESS_ALLOWED_ACE_TYPE && !(ace.flags & INHERITED_ACE)) {
            rights |= Mapped(ace.mask);
        }
    }
    return rights;
}

std::vector<Ace> OthersThanEveryone(const std::vector<Ace>& aces) {
    std::vector<Ace> others;
    for (const Ace& ace : aces) {
        if (!ace.everyone) {
            others.push_back(ace);
        }
    }
    return others;
}

bool operator==(const Ace& a, const Ace& b) {
    return a.type == b.type && a.flags == b.flags && a.mask == b.mask && a.system == b.system;
}

// The platform may keep GENERIC_ALL as it was given, or store the file rights it stands for (and
// split an inherited entry from the folder's own); what must hold is that everyone ends up with
// full rights, handed down to subfolders and files.
TEST(FolderAccessTest, GrantGivesEveryoneFullAccessHandedDown) {
    ScratchFolder scratch;
    const std::wstring folder = scratch.File(L"shared");
    ASSERT_TRUE(files::CreateFolder(folder));
    const std::vector<Ace> before = ReadAces(folder);
    ASSERT_FALSE(before.empty());
    EXPECT_NE(EveryoneRights(before) & kFull, kFull) << "the fresh folder is already open to everyone";
    EXPECT_FALSE(files::HasExplicitAccess(folder, GENERIC_ALL, L"EVERYONE"));

    ASSERT_TRUE(files::GrantEveryoneFullAccess(folder));
    const std::vector<Ace> after = ReadAces(folder);
    EXPECT_EQ(EveryoneRights(after) & kFull, kFull);
    bool handedDown = false;
    bool genericAllKept = false;
    for (const Ace& ace : after) {
        if (ace.everyone && ace.type == ACCESS_ALLOWED_ACE_TYPE) {
            handedDown |= (ace.flags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) ==
                          (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
            genericAllKept |= ace.mask == GENERIC_ALL;
        }
    }
    EXPECT_TRUE(handedDown);
    EXPECT_EQ(OthersThanEveryone(after), OthersThanEveryone(before)); // nobody else's entry changed
    // The check finds the grant exactly when the platform kept the entry as GENERIC_ALL.
    EXPECT_EQ(files::HasExplicitAccess(folder, GENERIC_ALL, L"EVERYONE"), genericAllKept);

    ASSERT_TRUE(files::GrantEveryoneFullAccess(folder)); // granting again changes nothing
    EXPECT_EQ(ReadAces(folder).size(), after.size());
}

TEST(FolderAccessTest, HasExplicitAccessWantsTheExactMaskAndTheAccountName) {
    ScratchFolder scratch;
    const std::wstring folder = scratch.File(L"checked");
    ASSERT_TRUE(files::CreateFolder(folder));
    ASSERT_TRUE(files::GrantEveryoneFullAccess(folder));
    // The masks as the platform reports them for everyone and for the system account.
    ACCESS_MASK everyoneMask = 0;
    ACCESS_MASK systemMask = 0;
    for (const Ace& ace : ReadAces(folder)) {
        if (ace.type == ACCESS_ALLOWED_ACE_TYPE && !(ace.flags & INHERITED_ACE)) {
            everyoneMask = ace.everyone ? ace.mask : everyoneMask;
            systemMask = ace.system ? ace.mask : systemMask;
        }
    }
    ASSERT_NE(everyoneMask, 0u);
    const struct {
        DWORD mask;
        const wchar_t* account;
        bool expected;
    } checks[] = {
        {everyoneMask, L"EVERYONE", true},
        {everyoneMask, L"Everyone", true},
        {everyoneMask, L"everyone", true},
        {everyoneMask & ~SYNCHRONIZE, L"EVERYONE", false}, // a part of the rights is not the mask
        {everyoneMask | GENERIC_READ, L"EVERYONE", false},
        {everyoneMask, L"EVERYONE2", false},
        {everyoneMask, L"", false},
        {everyoneMask == systemMask ? 0u : everyoneMask, L"SYSTEM", false},
    };
    for (const auto& c : checks) {
        EXPECT_EQ(files::HasExplicitAccess(folder, c.mask, c.account), c.expected)
            << c.account << L" " << c.mask;
    }
    if (systemMask != 0) {
        EXPECT_TRUE(files::HasExplicitAccess(folder, systemMask, L"system"));
    }
    // By identifier: the grant is found whatever the group is called in the system's language.
    const struct {
        DWORD mask;
        WELL_KNOWN_SID_TYPE group;
        bool expected;
    } groupChecks[] = {
        {everyoneMask, WinWorldSid, true},
        {everyoneMask & ~SYNCHRONIZE, WinWorldSid, false},
        {everyoneMask | GENERIC_READ, WinWorldSid, false},
        {everyoneMask, WinBuiltinUsersSid, false},
        {everyoneMask == systemMask ? 0u : everyoneMask, WinLocalSystemSid, false},
    };
    for (const auto& c : groupChecks) {
        EXPECT_EQ(files::HasExplicitAccess(folder, c.mask, c.group), c.expected) << c.group << L" " << c.mask;
    }
    if (systemMask != 0) {
        EXPECT_TRUE(files::HasExplicitAccess(folder, systemMask, WinLocalSystemSid));
    }
}

TEST(FolderAccessTest, GrantReplacesARestrictedEntryForEveryone) {
    ScratchFolder scratch;
    const std::wstring folder = scratch.File(L"shared");
    ASSERT_TRUE(files::CreateFolder(folder));
    ASSERT_TRUE(AddEntry(folder, WinWorldSid, FILE_GENERIC_READ, SET_ACCESS));
    ASSERT_NE(EveryoneRights(ReadAces(folder)) & kFull, kFull);
    ASSERT_TRUE(files::GrantEveryoneFullAccess(folder));
    for (const Ace& ace : ReadAces(folder)) {
        if (ace.everyone && !(ace.flags & INHERITED_ACE)) {
            EXPECT_EQ(ace.type, ACCESS_ALLOWED_ACE_TYPE);
            EXPECT_EQ(Mapped(ace.mask) & kFull, kFull)
                << "a restricted entry for everyone was left: " << ace.mask;
        }
    }
}

TEST(FolderAccessTest, ADenyEntryIsNoGrant) {
    ScratchFolder scratch;
    const std::wstring folder = scratch.File(L"denied");
    ASSERT_TRUE(files::CreateFolder(folder));
    ASSERT_TRUE(AddEntry(folder, WinWorldSid, GENERIC_ALL, DENY_ACCESS));
    EXPECT_FALSE(files::HasExplicitAccess(folder, GENERIC_ALL, L"EVERYONE"));
    EXPECT_FALSE(files::HasExplicitAccess(folder, GENERIC_ALL, WinWorldSid));
}

TEST(FolderAccessTest, AMissingFolderHasNoAccessListToChange) {
    ScratchFolder scratch;
    EXPECT_FALSE(files::GrantEveryoneFullAccess(scratch.File(L"missing")));
    EXPECT_FALSE(files::HasExplicitAccess(scratch.File(L"missing"), GENERIC_ALL, L"EVERYONE"));
    EXPECT_FALSE(files::HasExplicitAccess(scratch.File(L"missing"), GENERIC_ALL, WinWorldSid));
    EXPECT_FALSE(files::GrantEveryoneFullAccess(L""));
}

} // namespace
} // namespace quentry
