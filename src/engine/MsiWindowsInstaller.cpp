#include "engine/WindowsInstaller.h"

#include <vector>

namespace quentry {

INSTALLUILEVEL MsiWindowsInstaller::SetInternalUI(INSTALLUILEVEL level) {
    return ::MsiSetInternalUI(level, nullptr);
}

INSTALLUI_HANDLERW MsiWindowsInstaller::SetExternalUI(INSTALLUI_HANDLERW handler, DWORD messageFilter,
                                                      void* context) {
    return ::MsiSetExternalUIW(handler, messageFilter, context);
}

UINT MsiWindowsInstaller::EnableLog(DWORD logMode, const std::wstring& logFile, DWORD attributes) {
    return ::MsiEnableLogW(logMode, logFile.empty() ? nullptr : logFile.c_str(), attributes);
}

UINT MsiWindowsInstaller::InstallProduct(const std::wstring& packagePath, const std::wstring& commandLine) {
    return ::MsiInstallProductW(packagePath.c_str(), commandLine.c_str());
}

UINT MsiWindowsInstaller::ReinstallProduct(const std::wstring& productCode, DWORD reinstallMode) {
    return ::MsiReinstallProductW(productCode.c_str(), reinstallMode);
}

UINT MsiWindowsInstaller::EnumProducts(DWORD index, std::wstring& productCode) {
    wchar_t buffer[39] = {};
    UINT status = ::MsiEnumProductsW(index, buffer);
    productCode = status == ERROR_SUCCESS ? buffer : L"";
    return status;
}

UINT MsiWindowsInstaller::GetProductInfo(const std::wstring& productCode, const std::wstring& property,
                                         std::wstring& value) {
    value.clear();
    DWORD size = 0;
    wchar_t empty[1] = {};
    UINT status = ::MsiGetProductInfoW(productCode.c_str(), property.c_str(), empty, &size);
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) {
        return status;
    }
    std::vector<wchar_t> buffer(size + 1);
    size = static_cast<DWORD>(buffer.size());
    status = ::MsiGetProductInfoW(productCode.c_str(), property.c_str(), buffer.data(), &size);
    if (status == ERROR_SUCCESS) {
        value.assign(buffer.data(), size);
    }
    return status;
}

} // namespace quentry
