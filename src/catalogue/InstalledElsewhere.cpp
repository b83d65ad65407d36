#include "catalogue/InstalledElsewhere.h"
#include "common/StringIds.h"

#include "catalogue/InstalledProducts.h"
#include "catalogue/SetupPackage.h"
#include "launcher/SetupApp.h"

namespace quentry {

namespace {

constexpr int kQuietRemovalLevel = INSTALLUILEVEL_NONE;
constexpr int kInteractiveRemovalLevel = INSTALLUILEVEL_PROGRESSONLY;

} // namespace

Status HandleInstalledElsewhere(CSetupApp& app, const InstallAlertQuestion& askInstallAlert) {
    // A build already known to be corrupt (an empty package code counts as "installed from another
    // package") must not remove anything.
    if (app.m_result.code != Success) {
        return {};
    }
    int found = 0;
    for (const auto& package : app.m_packages) {
        if (package->m_installedFromOtherPackage) {
            app.WriteLogLine(LogInfo, L"Found package %s to be already installed form a differnt package.",
                             package->m_productName.c_str());
            ++found;
        }
    }
    if (found == 0) {
        return {};
    }
    bool removeMain = true;
    bool removeSubs = true;
    if (!app.IsQuiet()) {
        if (app.m_packages.size() > 1) {
            const std::optional<bool> answer = askInstallAlert ? askInstallAlert(app) : std::nullopt;
            if (answer) {
                removeSubs = *answer;
            } else {
                removeMain = false;
                removeSubs = false;
            }
        } else {
            const std::wstring text = app.m_languages.FormatString(
                strings::kInstalledElsewhere, app.m_packages.front()->m_productName.c_str());
            removeMain = app.ShowMessage(text, MB_ICONEXCLAMATION | MB_OKCANCEL) == IDOK;
        }
        if (!removeMain && !removeSubs) {
            return Status::Decided(InstalledElsewhere);
        }
    }
    const int uiLevel = app.IsQuiet() ? kQuietRemovalLevel : kInteractiveRemovalLevel;
    for (size_t j = app.m_packages.size(); j-- > 0;) {
        SetupPackage& package = *app.m_packages[j];
        const bool wanted = j == 0 ? removeMain : removeSubs;
        if (!wanted || !package.m_installedFromOtherPackage) {
            continue;
        }
        RemoveOtherInstallation(app, package, uiLevel);
        package.m_selected = !IsProductInstalled(app.Installer(), package.m_productCode);
    }
    return {};
}

} // namespace quentry
