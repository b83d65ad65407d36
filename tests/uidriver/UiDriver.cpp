// The UI test driver: starts a program, writes a transcript of every top-level window it shows
// (caption, class, the texts of its controls) whenever that changes, and presses the buttons a
// script names, in order. A window that no script step answers is closed (Cancel, No, OK, or a
// close request) after a grace period, so that a message box can never hang a test run.
//
//   uidriver [--transcript FILE] [--timeout MS] [--grace MS] [--press TEXT]... -- PROGRAM [ARGS...]
//
// --press clicks the button (push button or check box) with that caption; "Remove*" matches any
// caption that begins with "Remove".
//
// Exit code: the program's exit code; 254 when it could not be started, 255 on time-out.
#include "common/UniqueHandle.h"
#include "common/WideText.h"

#include <windows.h>

#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace {

using quentry::UniqueKernelHandle;

struct Options {
    std::wstring transcript;
    DWORD timeoutMs = 60000;
    DWORD graceMs = 3000;
    std::deque<std::wstring> presses;
    std::wstring commandLine;
};

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    ::GetClassNameW(window, name, 127);
    return name;
}

// A button's caption without its mnemonic ampersands.
std::wstring PlainCaption(const std::wstring& text) {
    std::wstring plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size() && text[i + 1] != L'&') {
            continue;
        }
        plain.push_back(text[i]);
    }
    return plain;
}

BOOL CALLBACK AddChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> ChildrenOf(HWND window) {
    std::vector<HWND> children;
    ::EnumChildWindows(window, AddChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK AddVisibleWindowOfProcess(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && ::IsWindowVisible(window)) {
        search->windows.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
    WindowSearch search{processId, {}};
    ::EnumWindows(AddVisibleWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

std::wstring Snapshot(HWND window) {
    std::wstring text = L"window \"" + WindowText(window) + L"\" [" + ClassOf(window) + L"]\r\n";
    for (HWND child : ChildrenOf(window)) {
        if (!::IsWindowVisible(child)) {
            continue;
        }
        std::wstring childText = WindowText(child);
        if (childText.empty()) {
            continue;
        }
        text += L"  " + ClassOf(child) + L" " + std::to_wstring(::GetDlgCtrlID(child)) + L": " + childText +
                (::IsWindowEnabled(child) ? L"" : L" (disabled)") + L"\r\n";
    }
    return text;
}

// The caption as given, or, for a pattern ending in '*', any caption that begins with the rest.
bool CaptionMatches(const std::wstring& caption, const std::wstring& pattern) {
    if (!pattern.empty() && pattern.back() == L'*') {
        return caption.starts_with(pattern.substr(0, pattern.size() - 1));
    }
    return caption == pattern;
}

HWND FindButton(HWND window, const std::wstring& caption) {
    for (HWND child : ChildrenOf(window)) {
        if (::IsWindowVisible(child) && ::IsWindowEnabled(child) &&
            quentry::EqualsNoCase(ClassOf(child), L"Button") &&
            CaptionMatches(PlainCaption(WindowText(child)), caption)) {
            return child;
        }
    }
    return nullptr;
}

// A click as the control itself handles it: a check box toggles, a push button notifies its dialog.
void Press(HWND button) {
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

class Transcript {
public:
    explicit Transcript(const std::wstring& path) {
        if (!path.empty()) {
            m_file.Reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        }
    }
    void Write(const std::wstring& text) {
        const std::string bytes = quentry::ToUtf8(text);
        DWORD written = 0;
        if (m_file) {
            ::WriteFile(m_file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        } else {
            fwrite(bytes.data(), 1, bytes.size(), stdout);
            fflush(stdout);
        }
    }

private:
    quentry::UniqueFileHandle m_file;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
    int i = 1;
    for (; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--") {
            ++i;
            break;
        }
        if (i + 1 >= argc) {
            return false;
        }
        if (argument == L"--transcript") {
            options.transcript = argv[++i];
        } else if (argument == L"--timeout") {
            options.timeoutMs = static_cast<DWORD>(_wtoi(argv[++i]));
        } else if (argument == L"--grace") {
            options.graceMs = static_cast<DWORD>(_wtoi(argv[++i]));
        } else if (argument == L"--press") {
            options.presses.push_back(argv[++i]);
        } else {
            return false;
        }
    }
    for (; i < argc; ++i) {
        std::wstring argument = argv[i];
        if (!options.commandLine.empty()) {
            options.commandLine += L' ';
        }
        if (argument.empty() || argument.find_first_of(L" \t\"") != std::wstring::npos) {
            std::wstring quoted = L"\"";
            for (wchar_t c : argument) {
                if (c == L'"') {
                    quoted += L'\\';
                }
                quoted += c;
            }
            argument = quoted + L"\"";
        }
        options.commandLine += argument;
    }
    return !options.commandLine.empty();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        fwprintf(stderr,
                 L"usage: uidriver [--transcript FILE] [--timeout MS] [--grace MS] [--press TEXT]... -- "
                 L"PROGRAM [ARGS...]\n");
        return 2;
    }
    Transcript transcript(options.transcript);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = options.commandLine;
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &process)) {
        transcript.Write(L"cannot start: " + options.commandLine + L"\r\n");
        return 254;
    }
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);

    std::map<HWND, std::wstring> lastSnapshot;
    std::map<HWND, ULONGLONG> unansweredSince;
    const ULONGLONG deadline = ::GetTickCount64() + options.timeoutMs;
    for (;;) {
        if (::WaitForSingleObject(processHandle.Get(), 50) == WAIT_OBJECT_0) {
            break;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now > deadline) {
            transcript.Write(L"timeout: the program was ended\r\n");
            ::TerminateProcess(processHandle.Get(), 255);
            ::WaitForSingleObject(processHandle.Get(), 5000);
            return 255;
        }
        const std::vector<HWND> windows = TopLevelWindowsOf(process.dwProcessId);
        for (HWND window : windows) {
            const std::wstring snapshot = Snapshot(window);
            if (lastSnapshot[window] != snapshot) {
                lastSnapshot[window] = snapshot;
                transcript.Write(snapshot);
                unansweredSince[window] = now;
            }
        }
        // The next script step: the newest window that has such a button answers it.
        bool answered = false;
        if (!options.presses.empty()) {
            for (auto it = windows.begin(); it != windows.end() && !answered; ++it) {
                if (HWND button = FindButton(*it, options.presses.front())) {
                    transcript.Write(L"press \"" + options.presses.front() + L"\"\r\n");
                    Press(button);
                    options.presses.pop_front();
                    unansweredSince[*it] = now;
                    answered = true;
                }
            }
        }
        if (answered) {
            continue;
        }
        // A window that waited longer than the grace period for a step that does not come is closed.
        for (HWND window : windows) {
            if (now - unansweredSince[window] < options.graceMs) {
                continue;
            }
            unansweredSince[window] = now;
            transcript.Write(L"unexpected: closing \"" + WindowText(window) + L"\"\r\n");
            HWND button = nullptr;
            for (const wchar_t* caption : {L"Cancel", L"No", L"OK", L"Close"}) {
                if ((button = FindButton(window, caption)) != nullptr) {
                    break;
                }
            }
            if (button != nullptr) {
                Press(button);
            } else {
                ::PostMessageW(window, WM_CLOSE, 0, 0);
            }
        }
    }
    DWORD exitCode = 0;
    ::GetExitCodeProcess(processHandle.Get(), &exitCode);
    for (const std::wstring& press : options.presses) {
        transcript.Write(L"not pressed: \"" + press + L"\"\r\n");
    }
    transcript.Write(L"exit code " + std::to_wstring(exitCode) + L"\r\n");
    return static_cast<int>(exitCode);
}
