// Time from process start to the first visible window: the launcher's welcome page against a
// bare Win32 program that shows one dialog, in the same run, alternating, several rounds.
//
//   wizard_start_bench ROUNDS LAUNCHER BARE_DIALOG
//
// Prints the median milliseconds of both and their ratio.
#include "common/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD processId;
    bool found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && ::IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds until the program shows a window; negative when it never does.
double TimeToWindow(const std::wstring& commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    LARGE_INTEGER start, now;
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        return -1;
    }
    quentry::UniqueKernelHandle processHandle(process.hProcess);
    quentry::UniqueKernelHandle threadHandle(process.hThread);
    double elapsed = -1;
    for (;;) {
        Search search{process.dwProcessId, false};
        ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        ::QueryPerformanceCounter(&now);
        if (search.found) {
            elapsed = Seconds(start, now) * 1000.0;
            break;
        }
        if (::WaitForSingleObject(processHandle.Get(), 1) == WAIT_OBJECT_0 || Seconds(start, now) > 30) {
            break;
        }
    }
    ::TerminateProcess(processHandle.Get(), 0);
    ::WaitForSingleObject(processHandle.Get(), 10000);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        fwprintf(stderr, L"usage: wizard_start_bench ROUNDS LAUNCHER BARE_DIALOG\n");
        return 2;
    }
    const int rounds = std::max(1, _wtoi(argv[1]));
    const std::wstring launcher = L"\"" + std::wstring(argv[2]) + L"\" lang=English";
    const std::wstring bare = L"\"" + std::wstring(argv[3]) + L"\"";
    std::vector<double> launcherTimes, bareTimes;
    // One round of each first, unmeasured: the system's caches are warm for both.
    TimeToWindow(bare);
    TimeToWindow(launcher);
    for (int i = 0; i < rounds; ++i) {
        const double b = TimeToWindow(bare);
        const double l = TimeToWindow(launcher);
        if (b < 0 || l < 0) {
            fwprintf(stderr, L"wizard_start_bench: a program showed no window\n");
            return 1;
        }
        bareTimes.push_back(b);
        launcherTimes.push_back(l);
    }
    const double l = Median(launcherTimes);
    const double b = Median(bareTimes);
    wprintf(L"start to first window, median of %d rounds: welcome page %.1f ms, bare dialog %.1f ms, ratio "
            L"%.2f\n",
            rounds, l, b, b > 0 ? l / b : 0.0);
    return 0;
}
