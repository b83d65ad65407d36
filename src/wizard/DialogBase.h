// A modal dialog from a template in the resources, in the wizard's language: the small layer the
// launcher's dialogs stand on (initialisation, OK and Cancel, access to the controls, the five
// fonts of the wizard and its background bitmap).
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <string>

namespace quentry {

class CDialogBase {
public:
    static constexpr UINT kBackgroundBitmapId = 132;

    // The template is looked up in language (the Japanese one in the neutral Japanese language),
    // falling back to English. With paintBackground the bitmap 132 fills the dialog above its
    // etched separator line.
    CDialogBase(UINT templateId, HMODULE resources, LANGID language, bool paintBackground = false);
    virtual ~CDialogBase() = default;
    CDialogBase(const CDialogBase&) = delete;
    CDialogBase& operator=(const CDialogBase&) = delete;

    // IDOK or IDCANCEL; -1 when the dialog could not be shown.
    INT_PTR DoModal(HWND parent = nullptr);
    HWND Window() const { return m_window; }
    HWND Item(int id) const { return ::GetDlgItem(m_window, id); }

    HFONT TitleFont() const { return Font(m_titleFont); }
    HFONT BoldFont() const { return Font(m_boldFont); }
    HFONT TextFont() const { return Font(m_textFont); }
    HFONT NormalFont() const { return Font(m_normalFont); }
    HFONT SmallFont() const { return Font(m_smallFont); }

protected:
    virtual void OnInitDialog() {}
    // Called when OK is pressed; return false to keep the dialog open.
    virtual bool OnOK() { return true; }
    virtual void OnCancel() {}
    virtual bool OnCommand(WORD id, WORD code);

    void SetItemText(int id, const std::wstring& text) const;
    void ShowItem(int id, bool show) const;
    void EnableItem(int id, bool enable) const;
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked) const;
    void EndDialog(INT_PTR result);
    HMODULE ResourceModule() const { return m_resources; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static HFONT Font(const UniqueGdiObject& font) { return static_cast<HFONT>(font.Get()); }
    void CreateFontsAndBitmap();
    void PaintBackground(HDC dc) const;

    UINT m_templateId;
    HMODULE m_resources;
    LANGID m_language;
    bool m_paintBackground;
    HWND m_window = nullptr;
    UniqueGdiObject m_background;
    UniqueGdiObject m_titleFont;
    UniqueGdiObject m_boldFont;
    UniqueGdiObject m_textFont;
    UniqueGdiObject m_normalFont;
    UniqueGdiObject m_smallFont;
};

} // namespace quentry
