#include "support/RecordingInstaller.h"

#include "common/WideText.h"

#include <utility>

namespace quentry::test {

INSTALLUILEVEL RecordingInstaller::SetInternalUI(INSTALLUILEVEL level) {
    calls.push_back(Format(L"SetInternalUI(%d)", static_cast<int>(level)));
    return std::exchange(m_level, level);
}

INSTALLUI_HANDLERW RecordingInstaller::SetExternalUI(INSTALLUI_HANDLERW handler, DWORD messageFilter, void*) {
    calls.push_back(Format(L"SetExternalUI(%s, %lu)", handler ? L"handler" : L"none", messageFilter));
    return std::exchange(m_handler, handler);
}

UINT RecordingInstaller::EnableLog(DWORD logMode, const std::wstring& logFile, DWORD attributes) {
    calls.push_back(Format(L"EnableLog(%lu, %s, %lu)", logMode, logFile.c_str(), attributes));
    return ERROR_SUCCESS;
}

UINT RecordingInstaller::NextInstallResult() {
    if (installResults.empty()) {
        return ERROR_SUCCESS;
    }
    const UINT result = installResults.front();
    installResults.pop_front();
    return result;
}

UINT RecordingInstaller::InstallProduct(const std::wstring& packagePath, const std::wstring& commandLine) {
    calls.push_back(L"InstallProduct(" + packagePath + L", " + commandLine + L")");
    return NextInstallResult();
}

UINT RecordingInstaller::ReinstallProduct(const std::wstring& productCode, DWORD reinstallMode) {
    calls.push_back(Format(L"ReinstallProduct(%s, %lu)", productCode.c_str(), reinstallMode));
    return NextInstallResult();
}

UINT RecordingInstaller::EnumProducts(DWORD index, std::wstring& productCode) {
    if (index >= products.size()) {
        productCode.clear();
        return ERROR_NO_MORE_ITEMS;
    }
    productCode = products[index];
    return ERROR_SUCCESS;
}

UINT RecordingInstaller::GetProductInfo(const std::wstring& productCode, const std::wstring& property,
                                        std::wstring& value) {
    calls.push_back(L"GetProductInfo(" + productCode + L", " + property + L")");
    auto it = productInfo.find({productCode, property});
    if (it == productInfo.end()) {
        value.clear();
        return ERROR_UNKNOWN_PRODUCT;
    }
    value = it->second;
    return ERROR_SUCCESS;
}

} // namespace quentry::test
