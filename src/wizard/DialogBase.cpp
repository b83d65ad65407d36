#include "wizard/DialogBase.h"

#include "common/LanguageTable.h"

namespace quentry {

namespace {

constexpr LANGID kEnglish = 1033;

} // namespace

CDialogBase::CDialogBase(UINT templateId, HMODULE resources, LANGID language)
    : m_templateId(templateId), m_resources(resources ? resources : ::GetModuleHandleW(nullptr)),
      m_language(LanguageTable::ResourceLanguage(language)) {}

INT_PTR CDialogBase::DoModal(HWND parent) {
    HRSRC info = ::FindResourceExW(m_resources, RT_DIALOG, MAKEINTRESOURCEW(m_templateId), m_language);
    if (info == nullptr) {
        info = ::FindResourceExW(m_resources, RT_DIALOG, MAKEINTRESOURCEW(m_templateId), kEnglish);
    }
    HGLOBAL loaded = info ? ::LoadResource(m_resources, info) : nullptr;
    const auto* dialogTemplate = loaded ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
    if (dialogTemplate == nullptr) {
        return -1;
    }
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialogTemplate, parent, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialogBase*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->m_window = window;
        self->OnInitDialog();
        return TRUE;
    }
    auto* self = reinterpret_cast<CDialogBase*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    if (message == WM_COMMAND) {
        return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    }
    if (message == WM_CLOSE) {
        self->OnCancel();
        self->EndDialog(IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

bool CDialogBase::OnCommand(WORD id, WORD) {
    if (id == IDOK) {
        if (OnOK()) {
            EndDialog(IDOK);
        }
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        EndDialog(IDCANCEL);
        return true;
    }
    return false;
}

void CDialogBase::SetItemText(int id, const std::wstring& text) const {
    ::SetDlgItemTextW(m_window, id, text.c_str());
}

void CDialogBase::ShowItem(int id, bool show) const {
    ::ShowWindow(::GetDlgItem(m_window, id), show ? SW_SHOW : SW_HIDE);
}

bool CDialogBase::IsChecked(int id) const {
    return ::IsDlgButtonChecked(m_window, id) == BST_CHECKED;
}

void CDialogBase::SetChecked(int id, bool checked) const {
    ::CheckDlgButton(m_window, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CDialogBase::EndDialog(INT_PTR result) {
    ::EndDialog(m_window, result);
}

} // namespace quentry
