// What the installer reports about installed products, the launcher's machine-wide data folder,
// the removal of a product installed by a different installer, and the version in a product name.
#pragma once

#include <optional>
#include <string>

namespace quentry {

class CSetupApp;
class IWindowsInstaller;
class SetupPackage;

// The product code is among the installed products (exact text); false for an empty code.
bool IsProductInstalled(IWindowsInstaller& installer, const std::wstring& productCode);

// The package code the product was installed from; none when the installer cannot tell.
std::optional<std::wstring> InstalledPackageCode(IWindowsInstaller& installer,
                                                 const std::wstring& productCode);

// Common application data + "\Zorvat": created, opened to every user, cached for the process.
// Empty when it cannot be determined or created.
const std::wstring& DataFolder();
// Tests point the data folder elsewhere (an empty text returns to the machine's own).
void OverrideDataFolderForTesting(const std::wstring& folder);

// Removes the product of package that another installer put on the machine, with the database
// found in its installation source. 0 on success, 9 when no single database is there, else the
// installer's error.
int RemoveOtherInstallation(CSetupApp& app, SetupPackage& package, int uiLevel);

// The version year and text in the product name ("Zorvat Brindle Server 2018 rel. 2 sp1": 2018,
// "2018 rel. 2"), computed on first use.
void NameParts(SetupPackage& package);

} // namespace quentry
