// Entry point of the launcher.
#include "engine/WindowsInstaller.h"
#include "launcher/SetupApp.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    quentry::MsiWindowsInstaller installer;
    quentry::CSetupApp app(::GetCommandLineW(), installer, quentry::LauncherSteps::Default());
    app.InitInstance();
    return app.ExitInstance();
}
