// A modal dialog from a template in the resources, in the wizard's language: the small layer the
// launcher's dialogs stand on (initialisation, OK and Cancel, access to the controls).
#pragma once

#include <windows.h>

#include <string>

namespace quentry {

class CDialogBase {
public:
    // The template is looked up in language (the Japanese one in the neutral Japanese language),
    // falling back to English.
    CDialogBase(UINT templateId, HMODULE resources, LANGID language);
    virtual ~CDialogBase() = default;
    CDialogBase(const CDialogBase&) = delete;
    CDialogBase& operator=(const CDialogBase&) = delete;

    // IDOK or IDCANCEL; -1 when the dialog could not be shown.
    INT_PTR DoModal(HWND parent = nullptr);
    HWND Window() const { return m_window; }

protected:
    virtual void OnInitDialog() {}
    // Called when OK is pressed; return false to keep the dialog open.
    virtual bool OnOK() { return true; }
    virtual void OnCancel() {}
    virtual bool OnCommand(WORD id, WORD code);

    void SetItemText(int id, const std::wstring& text) const;
    void ShowItem(int id, bool show) const;
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked) const;
    void EndDialog(INT_PTR result);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HMODULE m_resources;
    LANGID m_language;
    HWND m_window = nullptr;
};

} // namespace quentry
