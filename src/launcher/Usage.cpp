#include "launcher/Usage.h"

#include "catalogue/MainProductName.h"
#include "launcher/CommandLinePropertyCheck.h"
#include "launcher/Console.h"
#include "launcher/SetupApp.h"
#include "launcher/UsageText.h"

namespace quentry {

void BuildUsageModel(CSetupApp& app) {
    const bool multiLanguage = app.m_multiLanguageResources;
    app.m_usageCommands = BuildUsageCommands(app.m_languages, multiLanguage,
                                             PackageCountOf(app.ResourceModule(), multiLanguage));
    app.m_serverPropertyGroups =
        BuildServerPropertyGroups(MainProductName(app.ResourceModule(), multiLanguage));
}

bool CheckProperties(CSetupApp& app, std::wstring& errorText) {
    PropertyCheckResult result = CheckCommandLineProperties(app.m_commandLine.m_properties,
                                                            app.m_serverPropertyGroups, app.m_languages);
    if (!result.warnings.empty()) {
        AttachParentConsole();
        for (const std::wstring& warning : result.warnings) {
            ConsoleWrite(warning, true);
        }
    }
    errorText += result.errors;
    return result.ok;
}

void PrintUsage(CSetupApp& app) {
    ConsoleWrite(
        UsageText(app.m_languages, app.m_usageCommands, app.m_serverPropertyGroups, ProgramFileName()),
        false);
}

} // namespace quentry
