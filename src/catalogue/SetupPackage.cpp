#include "catalogue/SetupPackage.h"

#include "catalogue/InstalledProducts.h"
#include "catalogue/PackageSelection.h"
#include "common/FolderPath.h"
#include "common/WideText.h"
#include "launcher/SetupApp.h"

namespace quentry {

SetupPackage::SetupPackage(CSetupApp& owner, PackageNames names, const std::wstring& packageResource,
                           const std::wstring& transformResourcePattern, bool isMain)
    : m_isMain(isMain), m_productName(std::move(names.productName)),
      m_productCode(std::move(names.productCode)), m_packageCode(std::move(names.packageCode)),
      m_packageResource(packageResource), m_transformResourcePattern(transformResourcePattern),
      m_owner(&owner) {

    m_installed = IsProductInstalled(owner.Installer(), m_productCode);
    if (m_installed) {
        const auto installedCode = InstalledPackageCode(owner.Installer(), m_productCode);
        m_installedFromOtherPackage = installedCode && !EqualsNoCase(*installedCode, m_packageCode);
    }
    m_selected = InitialSelection(owner, *this);

    const std::wstring& dataFolder = DataFolder();
    // The package code names the unpack folder: anything but a braced GUID could lead elsewhere.
    m_folder = dataFolder.empty() || !IsBracedGuid(m_packageCode) ? std::wstring()
                                                                  : dataFolder + L"\\" + m_packageCode;
    if (!m_folder.empty()) {
        const std::vector<std::wstring> databases = FolderPath(m_folder).ListFiles(L"*.msi");
        if (databases.size() == 1) {
            m_existingMsiPath = databases.front();
        }
    }
}

} // namespace quentry

namespace quentry {

UninstallEntryRequest SetupPackage::UninstallRequest() const {
    const CSetupApp& app = *m_owner;
    UninstallEntryRequest request;
    request.productCode = m_productCode;
    request.productName = m_productName;
    request.folder = m_folder;
    request.is64BitPackage = app.m_is64BitPackage;
    request.oldWindows = app.m_osMajorVersion < 6 || (app.m_osMajorVersion == 6 && app.m_osMinorVersion == 0);
    if (app.m_multiLanguageResources && app.m_languages.Current()) {
        request.languageSuffix = L" lang=" + app.m_languages.Current()->englishName;
    }
    return request;
}

} // namespace quentry
