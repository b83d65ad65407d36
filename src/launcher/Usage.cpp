#include "launcher/Usage.h"

#include "launcher/Console.h"
#include "launcher/SetupApp.h"

namespace quentry {

void BuildUsageModel(CSetupApp&) {}

bool CheckProperties(CSetupApp&, std::wstring&) { return true; }

void PrintUsage(CSetupApp& app) {
    wchar_t path[MAX_PATH * 4] = {};
    ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)) - 1);
    std::wstring program = path;
    program = program.substr(program.find_last_of(L"\\/") + 1);
    ConsoleWrite(L"", true);
    ConsoleWrite(program + L" - " + app.m_languages.LoadString(1068), true);
    ConsoleWrite(L"", true);
}

} // namespace quentry
