// The installer operations the launcher calls. MsiWindowsInstaller forwards them to msi.dll; tests
// put a recording implementation in its place to see exactly what the launcher asks for.
#pragma once

#include <windows.h>

#include <msi.h>

#include <string>

namespace quentry {

class IWindowsInstaller {
public:
    virtual ~IWindowsInstaller() = default;

    // Returns the previous level.
    virtual INSTALLUILEVEL SetInternalUI(INSTALLUILEVEL level) = 0;
    // Returns the previous handler.
    virtual INSTALLUI_HANDLERW SetExternalUI(INSTALLUI_HANDLERW handler, DWORD messageFilter,
                                             void* context) = 0;
    virtual UINT EnableLog(DWORD logMode, const std::wstring& logFile, DWORD attributes) = 0;
    virtual UINT InstallProduct(const std::wstring& packagePath, const std::wstring& commandLine) = 0;
    virtual UINT ReinstallProduct(const std::wstring& productCode, DWORD reinstallMode) = 0;
    // 0 and the product code at index, ERROR_NO_MORE_ITEMS past the last one.
    virtual UINT EnumProducts(DWORD index, std::wstring& productCode) = 0;
    virtual UINT GetProductInfo(const std::wstring& productCode, const std::wstring& property,
                                std::wstring& value) = 0;
};

class MsiWindowsInstaller final : public IWindowsInstaller {
public:
    INSTALLUILEVEL SetInternalUI(INSTALLUILEVEL level) override;
    INSTALLUI_HANDLERW SetExternalUI(INSTALLUI_HANDLERW handler, DWORD messageFilter, void* context) override;
    UINT EnableLog(DWORD logMode, const std::wstring& logFile, DWORD attributes) override;
    UINT InstallProduct(const std::wstring& packagePath, const std::wstring& commandLine) override;
    UINT ReinstallProduct(const std::wstring& productCode, DWORD reinstallMode) override;
    UINT EnumProducts(DWORD index, std::wstring& productCode) override;
    UINT GetProductInfo(const std::wstring& productCode, const std::wstring& property,
                        std::wstring& value) override;
};

} // namespace quentry
