// One package the launcher carries: its names and codes from the resources, whether its product is
// installed, whether it takes part in this run, and where it is unpacked.
#pragma once

#include "engine/UninstallRegistration.h"

#include <string>

namespace quentry {

class CSetupApp;

// The three strings that name a package, as read from its resources.
struct PackageNames {
    std::wstring productName;
    std::wstring productCode;
    std::wstring packageCode;
};

class SetupPackage {
public:
    // Takes the package's names, asks the installer about the product, makes the initial
    // selection, and finds an installer database left in the unpack folder by an earlier run.
    SetupPackage(CSetupApp& owner, PackageNames names, const std::wstring& packageResource,
                 const std::wstring& transformResourcePattern, bool isMain);

    CSetupApp& Owner() const { return *m_owner; }
    // What an update of the uninstall entry needs of this package and its run.
    UninstallEntryRequest UninstallRequest() const;

    bool m_isMain;
    std::wstring m_productName;
    std::wstring m_productCode;
    std::wstring m_packageCode;
    std::wstring m_packageResource;
    // "PACKAGE_n_%s": the language's LANGID text fills in %s. Empty for the legacy layout.
    std::wstring m_transformResourcePattern;
    bool m_installed = false;
    bool m_installedFromOtherPackage = false;
    bool m_selected = false;
    std::wstring m_folder;
    std::wstring m_existingMsiPath;
    std::wstring m_transformPath;
    std::wstring m_versionYear;
    std::wstring m_versionText;
    bool m_namePartsDone = false;

private:
    CSetupApp* m_owner;
};

} // namespace quentry
