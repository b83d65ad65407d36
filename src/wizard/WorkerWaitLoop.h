// Keeps the wizard alive while a page's worker thread runs: serves the user-interface thread's
// messages, moves the page's progress bar by the worker's posted progress, and notes Escape as a
// cancel request.
#pragma once

#include "common/UniqueHandle.h"
#include "extraction/ICBSCabinetProgressCallbacks.h"

#include <windows.h>

#include <atomic>

namespace quentry {

class WizardRun;

enum class WorkerWaitEnd {
    WorkerEnded, // the worker has ended and its thread object is released
    QuitReceived // a quit request arrived (posted again): the page's Activate returns at once
};

// Waits for worker, serving messages for dialog; with progressBar, WM_CABINET_PROGRESS sets its
// position. Escape sets cancelled. After the worker ends, messages are served for another second;
// then worker is released and, when cancelled is set, the run records a cancel.
WorkerWaitEnd RunWorkerWaitLoop(UniqueKernelHandle& worker, HWND dialog, HWND progressBar,
                                std::atomic<bool>& cancelled, WizardRun& run);

} // namespace quentry
