#include "wizard/WorkerWaitLoop.h"

#include "common/LogLevel.h"
#include "wizard/WizardRun.h"

#include <commctrl.h>

namespace quentry {

namespace {

constexpr DWORD kWaitMs = 50;
constexpr DWORD kAfterWorkMs = 1000;
constexpr int32_t kCancelledCode = 3;

// One pass over a waiting message; false when it was a quit request.
bool ServeOneMessage(HWND dialog, HWND progressBar) {
    MSG message;
    if (progressBar != nullptr &&
        ::PeekMessageW(&message, nullptr, WM_CABINET_PROGRESS, WM_CABINET_PROGRESS, PM_REMOVE)) {
        if (::IsWindow(progressBar)) {
            ::SendMessageW(progressBar, PBM_SETPOS, message.wParam, 0);
        }
        return true;
    }
    if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        return true;
    }
    if (message.message == WM_QUIT) {
        return false;
    }
    if (dialog == nullptr || !::IsDialogMessageW(dialog, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return true;
}

bool IsEscape(const MSG& message) {
    return message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE;
}

} // namespace

WorkerWaitEnd RunWorkerWaitLoop(UniqueKernelHandle& worker, HWND dialog, HWND progressBar,
                                std::atomic<bool>& cancelled, WizardRun& run) {
    for (;;) {
        MSG next;
        if (!::PeekMessageW(&next, nullptr, 0, 0, PM_NOREMOVE)) {
            if (::WaitForSingleObject(worker.Get(), kWaitMs) != WAIT_TIMEOUT) {
                break;
            }
            continue;
        }
        if (IsEscape(next)) {
            cancelled = true;
        }
        if (!ServeOneMessage(dialog, progressBar)) {
            run.WriteLog(LogInfo, L"Received 'quit' message");
            ::PostQuitMessage(0);
            return WorkerWaitEnd::QuitReceived;
        }
    }
    run.WriteLog(LogInfo, L"Worker-thread stopped");
    const ULONGLONG until = ::GetTickCount64() + kAfterWorkMs;
    while (::GetTickCount64() < until) {
        MSG next;
        if (!::PeekMessageW(&next, nullptr, 0, 0, PM_NOREMOVE)) {
            ::Sleep(kWaitMs);
            continue;
        }
        if (!ServeOneMessage(dialog, progressBar)) {
            ::PostQuitMessage(0);
            return WorkerWaitEnd::QuitReceived;
        }
    }
    worker.Reset();
    if (cancelled) {
        run.RecordResult(kCancelledCode);
    }
    return WorkerWaitEnd::WorkerEnded;
}

} // namespace quentry
