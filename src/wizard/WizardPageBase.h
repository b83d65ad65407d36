// A wizard page: a child window of the frame's page area with the operations the frame calls
// when it moves between pages.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <string>

namespace quentry {

class CWizardDialog;
class LanguageTable;

class WizardPageBase {
public:
    static constexpr int kPageId = 1037;

    WizardPageBase(CWizardDialog& frame, std::wstring name);
    virtual ~WizardPageBase();
    WizardPageBase(const WizardPageBase&) = delete;
    WizardPageBase& operator=(const WizardPageBase&) = delete;

    virtual void Activate();
    virtual void Deactivate();
    virtual bool OnNext() { return true; }
    virtual bool OnCancel();
    virtual void OnBack() {}
    virtual void OnActivated() {}
    virtual void CreateControls(HWND parent, int width, int height) = 0;
    virtual void UpdateTexts() = 0;

    // Creates the page's window (hidden) in rect of parent: runs CreateControls, then Deactivate.
    bool Create(HWND parent, const RECT& rect);
    HWND Window() const { return m_window; }
    const std::wstring& Name() const { return m_name; }

    // Resizes control to the height its text needs in its width; the growth in pixels.
    int AdjustHeightToText(HWND control);
    static void MoveControl(HWND control, int x, int y);

protected:
    // A child control of the page, in pixels (left, top, right, bottom).
    HWND AddControl(const wchar_t* windowClass, DWORD style, int left, int top, int right, int bottom, int id,
                    HFONT font);
    // The product bitmap ("IDB_PRODUCT_BITMAP") as a static control at (left, top).
    void AddProductBitmap(int left, int top);
    void Show();
    void WriteLog(const wchar_t* format);

    CWizardDialog& m_frame;
    std::wstring m_name;
    LanguageTable& m_strings;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    UniqueGdiObject m_productBitmap;
};

} // namespace quentry
