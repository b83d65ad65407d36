#include "wizard/WizardPageBase.h"

#include "common/LogLevel.h"
#include "common/WideText.h"
#include "wizard/WizardDialog.h"

#include <vector>

namespace quentry {

namespace {

constexpr wchar_t kPageClass[] = L"QuentryWizardPage";
constexpr wchar_t kProductBitmapName[] = L"IDB_PRODUCT_BITMAP";

void RegisterPageClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kPageClass;
        return ::RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}

// A packed bitmap resource of exactly that language as a bitmap object; none when absent.
HBITMAP BitmapIn(HMODULE module, LANGID language) {
    HRSRC info = ::FindResourceExW(module, RT_BITMAP, kProductBitmapName, language);
    HGLOBAL loaded = info ? ::LoadResource(module, info) : nullptr;
    const auto* header = loaded ? static_cast<const BITMAPINFOHEADER*>(::LockResource(loaded)) : nullptr;
    const DWORD size = info ? ::SizeofResource(module, info) : 0;
    if (header == nullptr || size < sizeof(BITMAPINFOHEADER) || header->biSize < sizeof(BITMAPINFOHEADER) ||
        header->biSize >= size || header->biBitCount != 24 || header->biCompression != BI_RGB) {
        return nullptr;
    }
    const LONG height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    const uint64_t stride = ((static_cast<uint64_t>(header->biWidth) * 24 + 31) / 32) * 4;
    if (header->biWidth <= 0 || stride * static_cast<uint64_t>(height) > size - header->biSize) {
        return nullptr;
    }
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap =
        ::CreateDIBitmap(screen, header, CBM_INIT, reinterpret_cast<const BYTE*>(header) + header->biSize,
                         reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

} // namespace

WizardPageBase::WizardPageBase(CWizardDialog& frame, std::wstring name)
    : m_frame(frame), m_name(std::move(name)), m_strings(frame.Strings()) {}

WizardPageBase::~WizardPageBase() {
    if (m_window != nullptr && ::IsWindow(m_window)) {
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        ::DestroyWindow(m_window);
    }
}

bool WizardPageBase::Create(HWND parent, const RECT& rect) {
    RegisterPageClass();
    HWND window = ::CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPageId)),
                                    ::GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        return false;
    }
    m_window = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    RECT client{};
    ::GetClientRect(window, &client);
    CreateControls(window, client.right, client.bottom);
    Deactivate();
    return true;
}

LRESULT CALLBACK WizardPageBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<WizardPageBase*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(self->m_frame.WhiteBrush());
        case WM_ERASEBKGND: {
            RECT client{};
            ::GetClientRect(window, &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, self->m_frame.WhiteBrush());
            return 1;
        }
        default:
            break;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void WizardPageBase::WriteLog(const wchar_t* format) {
    m_frame.Run().WriteLog(LogInfo, Format(format, m_name.c_str()));
}

void WizardPageBase::Activate() {
    WriteLog(L"Activating dialog %s");
    UpdateTexts();
    m_frame.ShowLanguageList(false);
    for (int id : {CWizardDialog::kBackId, CWizardDialog::kNextId, CWizardDialog::kCancelId}) {
        ::EnableWindow(m_frame.Item(id), TRUE);
    }
    OnActivated();
    if (!m_frame.IsInteractive()) {
        m_frame.Next();
    }
}

void WizardPageBase::Deactivate() {
    WriteLog(L"Deactivating dialog %s");
    ::ShowWindow(m_window, SW_HIDE);
}

bool WizardPageBase::OnCancel() {
    m_frame.SetResult(ERROR_INSTALL_USEREXIT);
    return true;
}

void WizardPageBase::Show() {
    ::ShowWindow(m_window, SW_SHOW);
}

HWND WizardPageBase::AddControl(const wchar_t* windowClass, DWORD style, int left, int top, int right,
                                int bottom, int id, HFONT font) {
    HWND control = ::CreateWindowExW(
        0, windowClass, L"", WS_CHILD | WS_VISIBLE | style, left, top, right - left, bottom - top, m_window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (control != nullptr && font != nullptr) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return control;
}

void WizardPageBase::AddProductBitmap(int left, int top) {
    HMODULE module = m_frame.Run().Resources();
    HBITMAP bitmap = nullptr;
    if (m_frame.Run().MultiLanguageResources()) {
        bitmap = BitmapIn(module, 1033);
    }
    if (bitmap == nullptr) {
        bitmap = static_cast<HBITMAP>(::LoadImageW(module, kProductBitmapName, IMAGE_BITMAP, 0, 0, 0));
    }
    m_productBitmap.Reset(bitmap);
    HWND control = AddControl(L"STATIC", SS_BITMAP, left, top, left + 48, top + 48, -1, nullptr);
    if (control != nullptr && bitmap != nullptr) {
        ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    }
}

int WizardPageBase::AdjustHeightToText(HWND control) {
    RECT bounds{};
    ::GetWindowRect(control, &bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    const int length = ::GetWindowTextLengthW(control);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    ::GetWindowTextW(control, text.data(), length + 1);
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT measured{0, 0, width, 0};
    ::DrawTextW(dc, text.data(), length, &measured, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    const int needed = measured.bottom - measured.top;
    if (needed == height) {
        return 0;
    }
    ::SetWindowPos(control, nullptr, 0, 0, width, needed, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return needed - height;
}

void WizardPageBase::MoveControl(HWND control, int x, int y) {
    ::SetWindowPos(control, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace quentry
