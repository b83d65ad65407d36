// The baseline of the wizard start benchmark: a bare Win32 program that shows one dialog.
#include <windows.h>

namespace {

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(window, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return static_cast<int>(::DialogBoxParamW(instance, MAKEINTRESOURCEW(100), nullptr, DialogProc, 0));
}
