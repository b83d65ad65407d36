#include "wizard/DialogBase.h"

#include "common/LanguageTable.h"

namespace quentry {

namespace {

constexpr LANGID kEnglish = 1033;

struct FontSpec {
    const wchar_t* face;
    int points;
    int weight;
};

UniqueGdiObject MakeFont(const FontSpec& spec, int dpi) {
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(spec.points, dpi, 72);
    font.lfWeight = spec.weight;
    wcsncpy(font.lfFaceName, spec.face, LF_FACESIZE - 1);
    return UniqueGdiObject(::CreateFontIndirectW(&font));
}

} // namespace

CDialogBase::CDialogBase(UINT templateId, HMODULE resources, LANGID language, bool paintBackground)
    : m_templateId(templateId), m_resources(resources ? resources : ::GetModuleHandleW(nullptr)),
      m_language(LanguageTable::ResourceLanguage(language)), m_paintBackground(paintBackground) {}

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

void CDialogBase::CreateFontsAndBitmap() {
    if (!m_background) {
        m_background.Reset(::LoadImageW(m_resources, MAKEINTRESOURCEW(kBackgroundBitmapId), IMAGE_BITMAP, 0,
                                        0, LR_CREATEDIBSECTION));
    }
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) {
        ::ReleaseDC(nullptr, screen);
    }
    const struct {
        UniqueGdiObject* font;
        FontSpec spec;
    } fonts[] = {
        {&m_smallFont, {L"Arial", 7, FW_NORMAL}}, {&m_normalFont, {L"Tahoma", 8, FW_NORMAL}},
        {&m_textFont, {L"Tahoma", 9, FW_NORMAL}}, {&m_titleFont, {L"Tahoma", 9, FW_BOLD}},
        {&m_boldFont, {L"Tahoma", 8, FW_BOLD}},
    };
    for (const auto& f : fonts) {
        if (!*f.font) {
            *f.font = MakeFont(f.spec, dpi);
        }
    }
}

void CDialogBase::PaintBackground(HDC dc) const {
    RECT client{};
    ::GetClientRect(m_window, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_3DFACE));
    if (!m_background) {
        return;
    }
    // The bitmap ends at the top edge of the separator line above the buttons.
    int bottom = client.bottom;
    if (HWND separator = ::GetDlgItem(m_window, -1)) {
        RECT line{};
        ::GetWindowRect(separator, &line);
        ::MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&line), 2);
        bottom = line.top;
    }
    BITMAP info{};
    ::GetObjectW(m_background.Get(), sizeof(info), &info);
    HDC memory = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(memory, m_background.Get());
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, 0, 0, client.right, bottom, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialogBase*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->m_window = window;
        self->CreateFontsAndBitmap();
        self->OnInitDialog();
        return TRUE;
    }
    auto* self = reinterpret_cast<CDialogBase*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_COMMAND:
        return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_CLOSE:
        // As the Cancel button: a dialog without one ends as cancelled.
        if (!self->OnCommand(IDCANCEL, BN_CLICKED)) {
            self->OnCancel();
            self->EndDialog(IDCANCEL);
        }
        return TRUE;
    case WM_ERASEBKGND:
        if (self->m_paintBackground) {
            self->PaintBackground(reinterpret_cast<HDC>(wParam));
            ::SetWindowLongPtrW(window, DWLP_MSGRESULT, 1);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
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

void CDialogBase::EnableItem(int id, bool enable) const {
    ::EnableWindow(::GetDlgItem(m_window, id), enable ? TRUE : FALSE);
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
