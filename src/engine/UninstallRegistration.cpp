#include "engine/UninstallRegistration.h"

#include "catalogue/SetupPackage.h"
#include "common/FileUtilities.h"
#include "common/RegistryKey.h"
#include "common/WideText.h"
#include "engine/WindowsInstaller.h"
#include "launcher/SetupApp.h"

namespace quentry {

std::wstring PackGuid(const std::wstring& guid) {
    if (!IsBracedGuid(guid)) {
        return {};
    }
    std::wstring packed;
    for (int i = 8; i >= 1; --i) {
        packed += guid[i];
    }
    for (int i = 13; i >= 10; --i) {
        packed += guid[i];
    }
    for (int i = 18; i >= 15; --i) {
        packed += guid[i];
    }
    for (int pair : {20, 22, 25, 27, 29, 31, 33, 35}) {
        packed += guid[pair + 1];
        packed += guid[pair];
    }
    return packed;
}

void UpdateUninstallEntry(CSetupApp& app, const SetupPackage& package, UninstallEntryPhase phase) {
    const std::wstring packed = PackGuid(package.m_productCode);
    if (packed.empty()) {
        // Without a well-formed product code there is no entry of this product to change.
        return;
    }
    if (package.m_folder.empty() &&
        (phase == UninstallEntryPhase::Perform || phase == UninstallEntryPhase::RedoAfterChange)) {
        // No unpack folder (no data folder, or a package code that names none): there is no place
        // for the launcher's copy, and the entry keeps what the installer wrote.
        app.WriteLog(3,
                     L"RNX (c): No unpack folder for package %s: its uninstall entry is left as the "
                     L"installer wrote it.\r\n",
                     package.m_productName.c_str());
        return;
    }
    const std::wstring uninstallPath =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + package.m_productCode;
    const std::wstring productsPath = L"Software\\Classes\\Installer\\Products\\" + packed;
    // A 64-bit product's entry is in the 64-bit view; any other product's in the 32-bit view, the
    // launcher's own (named explicitly, so that a 64-bit build of the launcher finds it too).
    const REGSAM uninstallView = app.m_is64BitPackage ? RegistryKey::kView64 : KEY_WOW64_32KEY;
    const std::wstring suffix = app.m_multiLanguageResources && app.m_languages.Current()
                                    ? L" lang=" + app.m_languages.Current()->englishName
                                    : std::wstring();
    const bool old = app.m_osMajorVersion < 6 || (app.m_osMajorVersion == 6 && app.m_osMinorVersion == 0);

    std::wstring icon;
    app.Installer().GetProductInfo(package.m_productCode, L"ProductIcon", icon);
    icon = icon.substr(0, 259);

    wchar_t module[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        app.WriteLog(3, L"RNX (c): Failed to retrieve module file name\r\n");
        return;
    }
    const std::wstring running = module;
    const std::wstring launcherCopy =
        package.m_folder + L"\\" + running.substr(running.find_last_of(L"\\/") + 1);

    auto openUninstall = [&](RegistryKey& key) {
        return key.OpenKey(RegistryKey::LocalMachine(), uninstallPath, false, false, uninstallView);
    };
    auto openProducts = [&](RegistryKey& key) {
        return key.OpenKey(RegistryKey::LocalMachine(), productsPath, false, false, RegistryKey::kView64);
    };

    switch (phase) {
    case UninstallEntryPhase::Perform:
        app.WriteLog(3, L"RNX (c): perform custom installer registry\r\n");
        ICBSFileUtilities::CopyFileTo(running, launcherCopy, false);
        UpdateUninstallEntry(app, package, UninstallEntryPhase::RedoAfterChange);
        return;
    case UninstallEntryPhase::RedoAfterChange: {
        app.WriteLog(3, L"RNX (c): redo-after modify or re-install custom installer registry\r\n");
        if (!ICBSFileUtilities::FileExists(launcherCopy)) {
            ICBSFileUtilities::CopyFileTo(running, launcherCopy, false);
        }
        RegistryKey uninstall;
        if (openUninstall(uninstall)) {
            uninstall.SetDword(L"WindowsInstaller", 0);
            uninstall.SetString(L"ModifyPath", launcherCopy + suffix);
            uninstall.SetString(L"UninstallString", launcherCopy + L" /x" + suffix);
            uninstall.SetString(L"DisplayIcon", icon);
        }
        RegistryKey products;
        if (old && openProducts(products)) {
            products.SetString(L"ProductName", L"");
        }
        return;
    }
    case UninstallEntryPhase::PrepareRemove: {
        app.WriteLog(3, L"RNX (c): prepare-remove custom installer registry\r\n");
        RegistryKey uninstall;
        if (openUninstall(uninstall)) {
            uninstall.SetDword(L"WindowsInstaller", 1);
            app.WriteLog(3, L"RNX (c): before delete value - custom installer registry\r\n");
            uninstall.DeleteValue(L"DisplayIcon");
            app.WriteLog(3, L"RNX (c): after delete value - custom installer registry\r\n");
        }
        RegistryKey products;
        if (old && openProducts(products)) {
            app.WriteLog(3, L"RNX (c): before write product name - custom installer registry\r\n");
            products.SetString(L"ProductName", package.m_productName);
            app.WriteLog(3, L"RNX (c): after write product name - custom installer registry\r\n");
        }
        return;
    }
    case UninstallEntryPhase::RollBackPrepareRemove: {
        app.WriteLog(3, L"RNX (c): roll-back prepare-remove custom installer registry\r\n");
        RegistryKey uninstall;
        if (openUninstall(uninstall)) {
            uninstall.SetDword(L"WindowsInstaller", 0);
            uninstall.SetString(L"DisplayIcon", icon);
        }
        RegistryKey products;
        if (old && openProducts(products)) {
            products.SetString(L"ProductName", L"");
        }
        return;
    }
    }
}

} // namespace quentry
