// An installer that records every call the launcher makes, as one readable line per call, and
// answers with scripted results; for tests that must see exactly what the launcher asks for.
#pragma once

#include "engine/WindowsInstaller.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace quentry::test {

class RecordingInstaller final : public IWindowsInstaller {
public:
    // Lines such as "InstallProduct(C:\pkg.msi, HAS_SUB_PACKAGES=1)".
    std::vector<std::wstring> calls;
    // Results of the next InstallProduct/ReinstallProduct calls, in order (0 when none is left).
    std::deque<UINT> installResults;
    // Products that EnumProducts reports, and GetProductInfo answers by (product, property).
    std::vector<std::wstring> products;
    std::map<std::pair<std::wstring, std::wstring>, std::wstring> productInfo;

    INSTALLUILEVEL SetInternalUI(INSTALLUILEVEL level) override;
    INSTALLUI_HANDLERW SetExternalUI(INSTALLUI_HANDLERW handler, DWORD messageFilter, void* context) override;
    UINT EnableLog(DWORD logMode, const std::wstring& logFile, DWORD attributes) override;
    UINT InstallProduct(const std::wstring& packagePath, const std::wstring& commandLine) override;
    UINT ReinstallProduct(const std::wstring& productCode, DWORD reinstallMode) override;
    UINT EnumProducts(DWORD index, std::wstring& productCode) override;
    UINT GetProductInfo(const std::wstring& productCode, const std::wstring& property,
                        std::wstring& value) override;

private:
    UINT NextInstallResult();
    INSTALLUILEVEL m_level = INSTALLUILEVEL_DEFAULT;
    INSTALLUI_HANDLERW m_handler = nullptr;
};

} // namespace quentry::test
