// The access-list half of ICBSFileUtilities: opening a folder to every user and checking that it is.
#include "common/FileUtilities.h"

#include "common/UniqueHandle.h"
#include "common/WideText.h"

#include <aclapi.h>

#include <vector>

namespace quentry::ICBSFileUtilities {
namespace {

// The folder's access list; the descriptor that holds it is kept in owner.
bool ReadAccessList(const std::wstring& folder, PACL& list, UniqueLocalMemory& owner) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    list = nullptr;
    const DWORD error = ::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                                nullptr, nullptr, &list, nullptr, &descriptor);
    owner.Reset(descriptor);
    return error == ERROR_SUCCESS;
}

// The account name of a security identifier ("" when it has none).
std::wstring AccountNameOf(PSID sid) {
    wchar_t name[256] = {};
    wchar_t domain[256] = {};
    DWORD nameLength = ARRAYSIZE(name);
    DWORD domainLength = ARRAYSIZE(domain);
    SID_NAME_USE use{};
    if (!::LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use)) {
        return {};
    }
    return name;
}

} // namespace

bool GrantEveryoneFullAccess(const std::wstring& folder) {
    PACL oldList = nullptr;
    UniqueLocalMemory oldDescriptor;
    if (!ReadAccessList(folder, oldList, oldDescriptor)) {
        return false;
    }
    // The everyone group by its security identifier, which is the same in every language of the
    // platform (its name is not).
    BYTE everyone[SECURITY_MAX_SID_SIZE] = {};
    DWORD everyoneSize = sizeof(everyone);
    if (!::CreateWellKnownSid(WinWorldSid, nullptr, everyone, &everyoneSize)) {
        return false;
    }
    EXPLICIT_ACCESS_W entry{};
    entry.grfAccessPermissions = GENERIC_ALL;
    entry.grfAccessMode = SET_ACCESS;
    entry.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    entry.Trustee.ptstrName = reinterpret_cast<LPWSTR>(everyone);
    PACL newList = nullptr;
    if (::SetEntriesInAclW(1, &entry, oldList, &newList) != ERROR_SUCCESS) {
        return false;
    }
    UniqueLocalMemory newListOwner(newList);
    std::wstring path = folder;
    return ::SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                   newList, nullptr) == ERROR_SUCCESS;
}

namespace {

// True when one explicit grant (or set) entry of the folder's list gives exactly accessMask to a
// trustee that matches.
template <typename Matches>
bool AnyExplicitGrant(const std::wstring& folder, DWORD accessMask, Matches matches) {
    PACL list = nullptr;
    UniqueLocalMemory descriptor;
    if (!ReadAccessList(folder, list, descriptor) || list == nullptr) {
        return false;
    }
    ULONG count = 0;
    PEXPLICIT_ACCESS_W entries = nullptr;
    if (::GetExplicitEntriesFromAclW(list, &count, &entries) != ERROR_SUCCESS) {
        return false;
    }
    UniqueLocalMemory entriesOwner(entries);
    for (ULONG i = 0; i < count; ++i) {
        const EXPLICIT_ACCESS_W& entry = entries[i];
        if ((entry.grfAccessMode != GRANT_ACCESS && entry.grfAccessMode != SET_ACCESS) ||
            entry.grfAccessPermissions != accessMask || entry.Trustee.ptstrName == nullptr) {
            continue;
        }
        if (matches(entry.Trustee)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool HasExplicitAccess(const std::wstring& folder, DWORD accessMask, const std::wstring& accountName) {
    return AnyExplicitGrant(folder, accessMask, [&](const TRUSTEE_W& trustee) {
        std::wstring name;
        if (trustee.TrusteeForm == TRUSTEE_IS_NAME) {
            name = trustee.ptstrName;
        } else if (trustee.TrusteeForm == TRUSTEE_IS_SID) {
            name = AccountNameOf(reinterpret_cast<PSID>(trustee.ptstrName));
        }
        return !name.empty() && EqualsNoCase(name, accountName);
    });
}

bool HasExplicitAccess(const std::wstring& folder, DWORD accessMask, WELL_KNOWN_SID_TYPE group) {
    BYTE wanted[SECURITY_MAX_SID_SIZE] = {};
    DWORD wantedSize = sizeof(wanted);
    if (!::CreateWellKnownSid(group, nullptr, wanted, &wantedSize)) {
        return false;
    }
    return AnyExplicitGrant(folder, accessMask, [&](const TRUSTEE_W& trustee) {
        return trustee.TrusteeForm == TRUSTEE_IS_SID &&
               ::IsValidSid(reinterpret_cast<PSID>(trustee.ptstrName)) &&
               ::EqualSid(reinterpret_cast<PSID>(trustee.ptstrName), wanted) != FALSE;
    });
}

} // namespace quentry::ICBSFileUtilities
