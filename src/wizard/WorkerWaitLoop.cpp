#include "wizard/WorkerWaitLoop.h"

#include "common/LogLevel.h"
#include "wizard/WizardRun.h"

#include <commctrl.h>

namespace quentry {

namespace {

constexpr DWORD kWaitMs = 50;
constexpr DWORD kAfterWorkMs = 1000;
constexpr int32_t kCancelledCode = 3;

enum class Pass { Empty, Served, Quit };

// Takes the next waiting message and serves it: a progress message moves the bar. Each pass
// takes one message off the queue without a filter: a filtered or non-removing look may consume a
// pending quit request on some systems.
Pass ServeOneMessage(HWND dialog, HWND progressBar, std::atomic<bool>* cancelled) {
    MSG message;
    if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        return Pass::Empty;
    }
    if (progressBar != nullptr && message.message == WM_CABINET_PROGRESS) {
        if (::IsWindow(progressBar)) {
            ::SendMessageW(progressBar, PBM_SETPOS, message.wParam, 0);
        }
        return Pass::Served;
    }
    if (message.message == WM_QUIT) {
        return Pass::Quit;
    }
    if (cancelled != nullptr && message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        *cancelled = true;
    }
    if (dialog == nullptr || !::IsDialogMessageW(dialog, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return Pass::Served;
}

} // namespace

WorkerWaitEnd RunWorkerWaitLoop(UniqueKernelHandle& worker, HWND dialog, HWND progressBar,
                                std::atomic<bool>& cancelled, WizardRun& run) {
    for (;;) {
        const Pass pass = ServeOneMessage(dialog, progressBar, &cancelled);
        if (pass == Pass::Quit) {
            run.WriteLog(LogInfo, L"Received 'quit' message");
            ::PostQuitMessage(0);
            return WorkerWaitEnd::QuitReceived;
        }
        if (pass == Pass::Empty && ::WaitForSingleObject(worker.Get(), kWaitMs) != WAIT_TIMEOUT) {
            break;
        }
    }
    run.WriteLog(LogInfo, L"Worker-thread stopped");
    const ULONGLONG until = ::GetTickCount64() + kAfterWorkMs;
    while (::GetTickCount64() < until) {
        const Pass pass = ServeOneMessage(dialog, progressBar, nullptr);
        if (pass == Pass::Quit) {
            ::PostQuitMessage(0);
            return WorkerWaitEnd::QuitReceived;
        }
        if (pass == Pass::Empty) {
            ::Sleep(kWaitMs);
        }
    }
    worker.Reset();
    if (cancelled) {
        run.RecordResult(kCancelledCode);
    }
    return WorkerWaitEnd::WorkerEnded;
}

} // namespace quentry
