// Entry point of the launcher.
#include "engine/WindowsInstaller.h"
#include "launcher/SetupApp.h"
#include "launcher/SetupResult.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        quentry::MsiWindowsInstaller installer;
        quentry::CSetupApp app(::GetCommandLineW(), installer, quentry::LauncherSteps::Default());
        return app.Run();
    } catch (...) {
        // The context could not even be built: nothing was installed, nothing can be logged.
        return quentry::InstallerCorrupted;
    }
}
