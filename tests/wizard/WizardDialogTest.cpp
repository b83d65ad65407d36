// The wizard frame and its pages in this process, over a run model of the test's own: fonts,
// the sub-package selection, the language list, the server scan and the result mapping. The
// window is driven by a timer on the wizard's own thread.
#include "wizard/WizardDialog.h"
#include "wizard/WorkerWaitLoop.h"

#include "wizard/SubPackagesWizardPage.h"
#include "wizard/WelcomeWizardPage.h"
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quentry {
namespace {

class TestRun final : public WizardRun {
public:
    TestRun() { languages.SelectByName(L"English"); }

    HMODULE Resources() const override { return ::GetModuleHandleW(nullptr); }
    LanguageTable& Languages() override { return languages; }
    void WriteLog(int, const std::wstring& line) override { log.push_back(line); }
    uint32_t UiLevel() const override { return uiLevel; }
    bool IsRepairRun() const override { return false; }
    bool IsUninstallRun() const override { return false; }
    bool MultiLanguageResources() const override { return multiLanguage; }
    unsigned WelcomeTextId() const override { return 35; }
    int PackageCount() const override { return static_cast<int>(names.size()); }
    std::wstring ProductName(int index) const override { return names.at(static_cast<size_t>(index)); }
    bool IsSelected(int index) const override { return selected.at(static_cast<size_t>(index)); }
    void SetSelected(int index, bool value) override { selected.at(static_cast<size_t>(index)) = value; }
    bool IsProductInstalled(int) override { return false; }
    int32_t ResultCode() const override { return code; }
    bool ResultReported() const override { return reported; }
    void RecordResult(int32_t value) override {
        code = value;
        installerError = 0;
        reported = false;
    }
    void RecordInstallerResult(uint32_t result) override {
        code = result == 1602 ? 3 : 2;
        installerError = static_cast<int32_t>(result);
        reported = false;
    }
    void ReportResult() override { reported = true; }

    LanguageTable languages;
    std::vector<std::wstring> log;
    uint32_t uiLevel = 5;
    bool multiLanguage = false;
    std::vector<std::wstring> names{L"Main"};
    std::vector<bool> selected{true};
    int32_t code = 0;
    int32_t installerError = 0;
    bool reported = true;
};

// Runs the wizard modally; script runs once the window is up, on the wizard's own thread.
class ScriptedWizard {
public:
    ScriptedWizard(TestRun& run, std::function<void(CWizardDialog&)> script)
        : m_dialog(run, L"Title"), m_script(std::move(script)) {}

    INT_PTR Run() {
        s_current = this;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, &OnTimer);
        const INT_PTR result = m_dialog.DoModal();
        ::KillTimer(nullptr, timer);
        s_current = nullptr;
        return result;
    }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        ScriptedWizard* self = s_current;
        if (self == nullptr || self->m_done || self->m_dialog.Window() == nullptr) {
            return;
        }
        self->m_done = true;
        self->m_script(self->m_dialog);
        // Whatever the script left: the wizard ends (Cancel, then Cancel on the Finish page).
        ::PostMessageW(self->m_dialog.Window(), WM_COMMAND, IDCANCEL, 0);
        ::PostMessageW(self->m_dialog.Window(), WM_COMMAND, IDCANCEL, 0);
    }

    static inline ScriptedWizard* s_current = nullptr;
    CWizardDialog m_dialog;
    std::function<void(CWizardDialog&)> m_script;
    bool m_done = false;
};

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 511);
    return text;
}

HWND PageControl(CWizardDialog& dialog, int id) {
    HWND page = ::FindWindowExW(dialog.Item(CWizardDialog::kPageAreaId), nullptr, nullptr, nullptr);
    for (; page != nullptr; page = ::GetWindow(page, GW_HWNDNEXT)) {
        if (::IsWindowVisible(page)) {
            if (HWND control = ::GetDlgItem(page, id)) {
                return control;
            }
        }
    }
    return nullptr;
}

TEST(WizardDialogTest, AProductNameOfMoreThanFiftyCharactersUsesTheBoldFont) {
    for (size_t length : {50u, 51u}) {
        SCOPED_TRACE(length);
        TestRun run;
        run.names = {std::wstring(length, L'x')};
        bool bold = false;
        bool title = false;
        ScriptedWizard wizard(run, [&](CWizardDialog& dialog) {
            HWND name = PageControl(dialog, WelcomeWizardPage::kProductNameId);
            ASSERT_NE(name, nullptr);
            const auto font = reinterpret_cast<HFONT>(::SendMessageW(name, WM_GETFONT, 0, 0));
            bold = font == dialog.BoldFont();
            title = font == dialog.TitleFont();
        });
        EXPECT_NE(wizard.Run(), -1);
        EXPECT_EQ(bold, length == 51);
        EXPECT_EQ(title, length == 50);
    }
}

TEST(WizardDialogTest, TheSubPackageSelectionReachesThePackages) {
    TestRun run;
    run.names = {L"Main", L"Second", L"Third", L"Fourth", L"5", L"6", L"7", L"Eighth"};
    run.selected = std::vector<bool>(8, true);
    int boxes = 0;
    ScriptedWizard wizard(run, [&](CWizardDialog& dialog) {
        dialog.Next(); // to the sub-package page
        for (int id = SubPackagesWizardPage::kFirstCheckBoxId;
             id < SubPackagesWizardPage::kFirstCheckBoxId + 6; ++id) {
            if (PageControl(dialog, id) != nullptr) {
                ++boxes;
            }
        }
        // Uncheck the box of position 3 ("Fourth").
        ::SendMessageW(PageControl(dialog, SubPackagesWizardPage::kFirstCheckBoxId + 1), BM_CLICK, 0, 0);
        dialog.Next();
    });
    EXPECT_NE(wizard.Run(), -1);
    EXPECT_EQ(boxes, 5);
    EXPECT_EQ(run.selected, (std::vector<bool>{true, true, true, false, true, true, true, true}));
}

TEST(WizardDialogTest, ALanguageChangeRetitlesTheWindowAndRelabelsTheButtons) {
    TestRun run;
    run.multiLanguage = true;
    run.names = {L"Beispiel"};
    std::wstring title, next, back, cancel, heading;
    bool listShown = false;
    ScriptedWizard wizard(run, [&](CWizardDialog& dialog) {
        HWND list = dialog.Item(CWizardDialog::kLanguageListId);
        listShown = ::IsWindowVisible(list) != FALSE;
        ::SendMessageW(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"German"));
        ::SendMessageW(dialog.Window(), WM_COMMAND, MAKEWPARAM(CWizardDialog::kLanguageListId, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list));
        title = TextOf(dialog.Window());
        next = TextOf(dialog.Item(CWizardDialog::kNextId));
        back = TextOf(dialog.Item(CWizardDialog::kBackId));
        cancel = TextOf(dialog.Item(CWizardDialog::kCancelId));
        heading = TextOf(PageControl(dialog, WelcomeWizardPage::kHeadingId));
    });
    EXPECT_NE(wizard.Run(), -1);
    EXPECT_TRUE(listShown);
    EXPECT_EQ(run.languages.Current()->englishName, L"German");
    EXPECT_EQ(title, L"Beispiel - Installationsassistent");
    EXPECT_EQ(next, L"&Weiter >");
    EXPECT_EQ(back, L"< &Zurück");
    EXPECT_EQ(cancel, L"Abbrechen");
    EXPECT_EQ(heading, L"Willkommen beim Installationsprogramm für ");
}

TEST(WizardDialogTest, ASilentRunPassesEveryPageWithoutAWindow) {
    for (uint32_t level : {2u, 3u, 4u, 130u}) {
        SCOPED_TRACE(level);
        TestRun run;
        run.uiLevel = level;
        run.names = {L"Main", L"Sub", L"Other"};
        run.selected = {true, true, true};
        CWizardDialog dialog(run, L"Title");
        EXPECT_EQ(dialog.DoModal(), IDOK);
        const std::vector<std::wstring> activated = {
            L"Activating dialog Welcome", L"Activating dialog IncludedSubPackages",
            L"Activating dialog UnpackMSIFromEXE", L"Activating dialog Install (hidden)",
            L"Activating dialog Finish"};
        std::vector<std::wstring> seen;
        for (const std::wstring& line : run.log) {
            if (line.starts_with(L"Activating")) {
                seen.push_back(line);
            }
        }
        EXPECT_EQ(seen, activated);
        // Five pages created (each deactivated once) before the first activation.
        ASSERT_GE(run.log.size(), 6u);
        for (size_t i = 0; i < 5; ++i) {
            EXPECT_TRUE(run.log[i].starts_with(L"Deactivating dialog ")) << i;
        }
        EXPECT_EQ(dialog.FinishIndex(), 4);
    }
}

TEST(WizardDialogTest, TheServerScanFindsTheServerProductsByName) {
    const struct {
        std::vector<std::wstring> names;
        bool tessaro, servers;
    } cases[] = {
        {{L"Zorvat Ledger 2026"}, false, false},
        {{L"Zorvat PellamServer 2026"}, false, true},
        {{L"Main", L"Zorvat Brindle Server 2026"}, false, true},
        {{L"Main", L"Zorvat brindle Server 2026"}, false, true},
        {{L"Zorvat BRINDLE SERVER"}, false, false},
        {{L"Talvex+XBRL Server"}, false, true},
        {{L"Braxel Server 1"}, false, true},
        {{L"Talvex Server 1"}, false, true},
        {{L"Zorvat Tessaro Server 2026", L"x"}, true, true},
        {{L"tessaro server"}, false, false},
    };
    for (const auto& c : cases) {
        const auto [tessaro, servers] = CWizardDialog::ScanServerProducts(c.names);
        EXPECT_EQ(tessaro, c.tessaro) << testing::PrintToString(c.names);
        EXPECT_EQ(servers, c.servers) << testing::PrintToString(c.names);
    }
}

TEST(WizardDialogTest, OnePackageHasThePlaceholderBeforeFinish) {
    TestRun run;
    run.uiLevel = 2;
    CWizardDialog dialog(run, L"Title");
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.PageCount(), 5);
    EXPECT_EQ(dialog.FinishIndex(), 4);
    for (const std::wstring& line : run.log) {
        EXPECT_NE(line, L"Activating dialog Finish");
    }
}

struct ProgressWorker {
    HWND target;
    DWORD sleepMs;
};

DWORD WINAPI PostProgress(void* context) {
    const auto* worker = static_cast<ProgressWorker*>(context);
    for (WPARAM position = 1; position <= 30; ++position) {
        ::PostMessageW(worker->target, WM_CABINET_PROGRESS, position, 0);
    }
    ::Sleep(worker->sleepMs);
    return 0;
}

// The worker wait loop: progress reaches the bar, the end of the worker releases it, a cancel
// is recorded as code 3, and a quit request is posted again and ends the loop at once.
TEST(WizardDialogTest, TheWorkerWaitLoopServesProgressCancelAndQuit) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    HWND parent =
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 50, nullptr, nullptr, nullptr, nullptr);
    HWND bar = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 200, 20, parent, nullptr, nullptr,
                                 nullptr);
    ASSERT_NE(bar, nullptr);
    ::SendMessageW(bar, PBM_SETRANGE32, 0, 30);
    for (bool cancel : {false, true}) {
        SCOPED_TRACE(cancel);
        TestRun run;
        ProgressWorker work{parent, 200};
        UniqueKernelHandle worker(::CreateThread(nullptr, 0, PostProgress, &work, 0, nullptr));
        std::atomic<bool> cancelled = cancel;
        EXPECT_EQ(RunWorkerWaitLoop(worker, nullptr, bar, cancelled, run), WorkerWaitEnd::WorkerEnded);
        EXPECT_FALSE(worker);
        EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), 30);
        EXPECT_EQ(run.log, std::vector<std::wstring>{L"Worker-thread stopped"});
        EXPECT_EQ(run.code, cancel ? 3 : 0);
        EXPECT_EQ(run.reported, !cancel);
    }
    TestRun run;
    ProgressWorker work{parent, 3000};
    UniqueKernelHandle worker(::CreateThread(nullptr, 0, PostProgress, &work, 0, nullptr));
    std::atomic<bool> cancelled = false;
    ::PostQuitMessage(0);
    EXPECT_EQ(RunWorkerWaitLoop(worker, nullptr, bar, cancelled, run), WorkerWaitEnd::QuitReceived);
    EXPECT_EQ(run.log, std::vector<std::wstring>{L"Received 'quit' message"});
    MSG message;
    bool quitAgain = false;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        quitAgain = quitAgain || message.message == WM_QUIT;
    }
    EXPECT_TRUE(quitAgain);
    ::WaitForSingleObject(worker.Get(), 10000);
    ::DestroyWindow(parent);
}

} // namespace
} // namespace quentry
