#include "catalogue/InstalledProducts.h"

#include "catalogue/SetupPackage.h"
#include "common/FileUtilities.h"
#include "common/FolderPath.h"
#include "common/MachineDataFolder.h"
#include "common/WideText.h"
#include "engine/UninstallRegistration.h"
#include "engine/WindowsInstaller.h"
#include "launcher/SetupApp.h"

#include <shlobj.h>

#include <vector>

namespace quentry {

namespace {

std::wstring g_dataFolder;

// Lets the installer's own user interface handle everything during a removal.
INT CALLBACK IgnoreProgress(LPVOID, UINT, LPCWSTR) {
    return 0;
}

std::vector<std::wstring> SplitWords(const std::wstring& text) {
    std::vector<std::wstring> words;
    size_t start = 0;
    while (start < text.size()) {
        const size_t blank = text.find(L' ', start);
        const size_t end = blank == std::wstring::npos ? text.size() : blank;
        if (end > start) {
            words.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return words;
}

} // namespace

bool IsProductInstalled(IWindowsInstaller& installer, const std::wstring& productCode) {
    if (productCode.empty()) {
        return false;
    }
    std::wstring installed;
    for (DWORD index = 0; installer.EnumProducts(index, installed) == ERROR_SUCCESS; ++index) {
        if (installed == productCode) {
            return true;
        }
    }
    return false;
}

std::optional<std::wstring> InstalledPackageCode(IWindowsInstaller& installer,
                                                 const std::wstring& productCode) {
    std::wstring packageCode;
    if (productCode.empty() ||
        installer.GetProductInfo(productCode, L"PackageCode", packageCode) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return packageCode.substr(0, 255);
}

void OverrideDataFolderForTesting(const std::wstring& folder) {
    g_dataFolder = folder;
}

const std::wstring& DataFolder() {
    return g_dataFolder.empty() ? MachineDataFolder() : g_dataFolder;
}

int RemoveOtherInstallation(CSetupApp& app, SetupPackage& package, int uiLevel) {
    IWindowsInstaller& installer = app.Installer();
    std::wstring source;
    if (installer.GetProductInfo(package.m_productCode, L"InstallSource", source) != ERROR_SUCCESS) {
        return MsiFileNotFound;
    }
    // Only a full path names the folder the product came from: an empty or relative one would be
    // looked up in the current folder, where any database may lie.
    const FolderPath sourceFolder(source);
    if (source.empty() || !sourceFolder.IsAcceptable() || sourceFolder.Prefix().empty() ||
        !sourceFolder.IsRooted()) {
        app.WriteLogLine(LogInfo, L"The installation source of package %s is not a usable folder.",
                         package.m_productName.c_str());
        return MsiFileNotFound;
    }
    const std::vector<std::wstring> databases = sourceFolder.ListFiles(L"*.msi");
    if (databases.size() != 1) {
        return MsiFileNotFound;
    }
    UpdateUninstallEntry(installer, package.UninstallRequest(), UninstallEntryPhase::PrepareRemove,
                         app.m_log.Sink());
    app.m_log.HandToInstaller(installer);
    installer.SetInternalUI(static_cast<INSTALLUILEVEL>(uiLevel));
    INSTALLUI_HANDLERW previous = installer.SetExternalUI(IgnoreProgress, INSTALLLOGMODE_PROGRESS, nullptr);
    const UINT result = installer.InstallProduct(databases.front(), L"REMOVE=ALL ");
    installer.SetExternalUI(previous, 0, nullptr);
    app.m_log.TakeBackFromInstaller(installer);
    if (result == ERROR_SUCCESS) {
        package.m_installed = false;
        package.m_installedFromOtherPackage = false;
    } else {
        // The product stays: its entry goes back to the state it had before the removal began.
        UpdateUninstallEntry(installer, package.UninstallRequest(),
                             UninstallEntryPhase::RollBackPrepareRemove, app.m_log.Sink());
    }
    return static_cast<int>(result);
}

void NameParts(SetupPackage& package) {
    if (package.m_namePartsDone) {
        return;
    }
    package.m_namePartsDone = true;
    const std::vector<std::wstring> w = SplitWords(package.m_productName);
    const size_t c = w.size();
    if (c <= 2 || (EqualsNoCase(w[2], L"Server") && c <= 3)) {
        return;
    }
    const size_t v = EqualsNoCase(w[2], L"Server") || EqualsNoCase(w[2], L"Desktop") ? 3 : 2;
    if (v >= c) {
        return;
    }
    package.m_versionYear = w[v];
    package.m_versionText = w[v];
    if (v + 1 < c && w[v + 1].starts_with(L"rel")) {
        package.m_versionText += L" " + w[v + 1] + L" ";
        if (v + 2 < c) {
            package.m_versionText += w[v + 2];
        }
    }
    package.m_versionYear = package.m_versionYear.substr(0, package.m_versionYear.find(L'.'));
}

} // namespace quentry
