// Shared by the catalogue tests: the fixtures, real installations, and a launcher context run
// over a fixture's resources up to the end of the catalogue.
#pragma once

#include "catalogue/InstalledElsewhere.h"
#include "catalogue/PackageCatalogue.h"
#include "catalogue/PackageResources.h"
#include "catalogue/SetupPackage.h"
#include "engine/WindowsInstaller.h"
#include "launcher/SetupApp.h"
#include "support/RecordingInstaller.h"
#include "support/TestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace quentry::catalogue_test {

using test::BuildPath;
using test::ScratchFolder;

inline const wchar_t kProductA[] = L"{7C1A0001-5D2E-4F60-8A7B-9C0D1E2F3A41}";
inline const wchar_t kProductB[] = L"{7C1A0002-5D2E-4F60-8A7B-9C0D1E2F3A42}";
inline const wchar_t kProductC[] = L"{7C1A0003-5D2E-4F60-8A7B-9C0D1E2F3A43}";

inline std::wstring PackageFixture(const std::wstring& name) {
    return BuildPath(L"fixtures\\packages\\" + name + L".msi");
}
inline std::wstring FixtureModule(const std::wstring& name) {
    return BuildPath(L"bin\\catalogue-fixtures\\" + name);
}

struct ModuleDeleter {
    void operator()(HMODULE module) const { ::FreeLibrary(module); }
};
using ModulePtr = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

// A fixture by name, or any module by its full path.
inline ModulePtr LoadResources(const std::wstring& name) {
    const std::wstring path = name.find(L':') != std::wstring::npos ? name : FixtureModule(name + L".dll");
    return ModulePtr(
        ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

inline UINT Install(const std::wstring& package, const std::wstring& properties = L"") {
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    return ::MsiInstallProductW(package.c_str(), properties.c_str());
}

inline void Remove(const wchar_t* productCode) {
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    ::MsiConfigureProductW(productCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
}

// Runs a launcher context over a fixture's resources up to the end of the catalogue.
// answer is what the user presses in a message box.
class CatalogueRun {
public:
    explicit CatalogueRun(const std::wstring& fixture, const std::wstring& arguments = L"/qn",
                          bool handleInstalledElsewhere = false, int answer = IDOK)
        : m_module(LoadResources(fixture)) {
        LauncherSteps steps;
        steps.messageBox = [this, answer](CSetupApp&, const std::wstring& text, UINT) {
            messages.push_back(text);
            return answer;
        };
        app = std::make_unique<CSetupApp>(L"quentry.exe /L*v \"" + m_scratch.File(L"run.log") + L"\" " +
                                              arguments,
                                          m_installer, steps, m_module.get());
        app->m_multiLanguageResources = IsMultiLanguageBuild(m_module.get());
        app->m_languages.SelectByName(L"English");
        app->RecordFailure(BuildCatalogue(*app));
        if (handleInstalledElsewhere) {
            // The Install Alert is a window: the tests that need it run the real launcher.
            app->RecordFailure(HandleInstalledElsewhere(*app, {}));
        }
    }
    ~CatalogueRun() {
        // Drain a quit request a missing resource may have posted.
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    std::wstring Log() const { return test::ReadUtf16(m_scratch.File(L"run.log")); }

    std::unique_ptr<CSetupApp> app;
    std::vector<std::wstring> messages;

private:
    ScratchFolder m_scratch;
    MsiWindowsInstaller m_installer;
    ModulePtr m_module;
};

} // namespace quentry::catalogue_test
