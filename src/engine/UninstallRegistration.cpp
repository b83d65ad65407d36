#include "engine/UninstallRegistration.h"

#include "common/FileUtilities.h"
#include "common/RegistryKey.h"
#include "common/WideText.h"
#include "engine/WindowsInstaller.h"

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

void UpdateUninstallEntry(IWindowsInstaller& installer, const UninstallEntryRequest& request,
                          UninstallEntryPhase phase, const LogSink& log) {
    const std::wstring packed = PackGuid(request.productCode);
    if (packed.empty()) {
        // Without a well-formed product code there is no entry of this product to change.
        return;
    }
    if (request.folder.empty() &&
        (phase == UninstallEntryPhase::Perform || phase == UninstallEntryPhase::RedoAfterChange)) {
        // No unpack folder (no data folder, or a package code that names none): there is no place
        // for the launcher's copy, and the entry keeps what the installer wrote.
        log(LogInfo, Format(L"No unpack folder for package %s: its uninstall entry is left as the installer "
                            L"wrote it.",
                            request.productName.c_str()));
        return;
    }
    const std::wstring uninstallPath =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + request.productCode;
    const std::wstring productsPath = L"Software\\Classes\\Installer\\Products\\" + packed;
    // A 64-bit product's entry is in the 64-bit view; any other product's in the 32-bit view, the
    // launcher's own (named explicitly, so that a 64-bit build of the launcher finds it too).
    const REGSAM uninstallView = request.is64BitPackage ? RegistryKey::kView64 : KEY_WOW64_32KEY;
    const std::wstring& suffix = request.languageSuffix;
    const bool old = request.oldWindows;

    std::wstring icon;
    installer.GetProductInfo(request.productCode, L"ProductIcon", icon);
    icon = icon.substr(0, 259);

    wchar_t module[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        log(LogInfo, L"Failed to retrieve module file name");
        return;
    }
    const std::wstring running = module;
    const std::wstring launcherCopy =
        request.folder + L"\\" + running.substr(running.find_last_of(L"\\/") + 1);

    auto openUninstall = [&](RegistryKey& key) {
        return key.OpenKey(RegistryKey::LocalMachine(), uninstallPath, false, false, uninstallView);
    };
    auto openProducts = [&](RegistryKey& key) {
        return key.OpenKey(RegistryKey::LocalMachine(), productsPath, false, false, RegistryKey::kView64);
    };

    switch (phase) {
    case UninstallEntryPhase::Perform:
        log(LogInfo, L"perform custom installer registry");
        ICBSFileUtilities::CopyFileTo(running, launcherCopy, false);
        UpdateUninstallEntry(installer, request, UninstallEntryPhase::RedoAfterChange, log);
        return;
    case UninstallEntryPhase::RedoAfterChange: {
        log(LogInfo, L"redo-after modify or re-install custom installer registry");
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
        log(LogInfo, L"prepare-remove custom installer registry");
        RegistryKey uninstall;
        if (openUninstall(uninstall)) {
            uninstall.SetDword(L"WindowsInstaller", 1);
            log(LogInfo, L"before delete value - custom installer registry");
            uninstall.DeleteValue(L"DisplayIcon");
            log(LogInfo, L"after delete value - custom installer registry");
        }
        RegistryKey products;
        if (old && openProducts(products)) {
            log(LogInfo, L"before write product name - custom installer registry");
            products.SetString(L"ProductName", request.productName);
            log(LogInfo, L"after write product name - custom installer registry");
        }
        return;
    }
    case UninstallEntryPhase::RollBackPrepareRemove: {
        log(LogInfo, L"roll-back prepare-remove custom installer registry");
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
