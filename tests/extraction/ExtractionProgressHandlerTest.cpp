// The unpack page's progress sink: bar positions, the 500 ms throttling with a clock under the
// test's control, and the posted message on a real progress bar.
#include "extraction/ExtractionProgressHandler.h"
#include "extraction/ICBSCabinetExtractor.h"

#include "CabinetTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace quentry {
namespace {

using namespace quentry::test;

// A hidden window with a progress bar as its child; destroyed with the object.
class BarWindow {
public:
    BarWindow() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
        m_parent = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                     nullptr, nullptr);
        m_bar = ::CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 150, 14, m_parent,
                                  nullptr, nullptr, nullptr);
    }
    ~BarWindow() { ::DestroyWindow(m_parent); }
    BarWindow(const BarWindow&) = delete;
    BarWindow& operator=(const BarWindow&) = delete;

    HWND Bar() const { return m_bar; }

    // The positions posted to the bar's parent since the last call, oldest first.
    std::vector<int> TakePosted() {
        std::vector<int> values;
        MSG message;
        while (::PeekMessageW(&message, m_parent, WM_CABINET_PROGRESS, WM_CABINET_PROGRESS, PM_REMOVE)) {
            EXPECT_EQ(message.lParam, 0);
            values.push_back(static_cast<int>(message.wParam));
        }
        return values;
    }

private:
    HWND m_parent = nullptr;
    HWND m_bar = nullptr;
};

TEST(ExtractionProgressHandlerTest, SetsTheBarRangeWhenCreated) {
    BarWindow window;
    ASSERT_NE(window.Bar(), nullptr);
    ExtractionProgressHandler handler(window.Bar(), 30);
    PBRANGE range{};
    ::SendMessageW(window.Bar(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 30);
    EXPECT_EQ(handler.GetRange(), 30);
}

TEST(ExtractionProgressHandlerTest, PostsChangesAtMostEvery500MsAndTheFullRangeAlways) {
    const struct {
        DWORD now;
        uint32_t totalBytes;
        uint32_t doneBytes;
        int position;
        std::optional<int> posted;
    } steps[] = {
        {1000, 1000, 0, 0, std::nullopt},   // 0: the value already shown
        {1000, 1000, 0, 33, std::nullopt},  // 0.99 is still 0
        {1000, 1000, 0, 34, 1},             // a new value, the last post long ago
        {1100, 1000, 0, 500, std::nullopt}, // 15, but only 100 ms later
        {1500, 1000, 0, 510, std::nullopt}, // 500 ms is not more than 500 ms
        {1501, 1000, 0, 520, 15},           // 501 ms
        {1502, 1000, 0, 990, std::nullopt}, // 29, 1 ms later
        {1503, 1000, 0, 1000, 30},          // the full range, however soon
        {1504, 1000, 0, 1000, 30},          // and again
        {1600, 1000, 600, 0, std::nullopt}, // the second of two cabinets (600 + 400 bytes): 18, too soon
        {2200, 1000, 600, 100, 21},         // 700 of 1000
        {2300, 1000, 600, 400, 30},         // its last block ends the range
        {2900, 0, 0, 0, 30},                // nothing to read counts as done
        {3500, 1000, 900, 400, 30},         // more than the total never passes the range
        {0xFFFFFF00u, 1000, 0, 100, 3},     // shortly before the tick count wraps
        {0x000000F0u, 1000, 0, 200, std::nullopt}, // 496 ms later, across the wrap
        {0x000000F5u, 1000, 0, 200, 6},            // 501 ms later
    };
    BarWindow window;
    DWORD now = 0;
    ExtractionProgressHandler handler(window.Bar(), 30, [&now] { return now; });
    window.TakePosted();
    for (size_t i = 0; i < std::size(steps); ++i) {
        const auto& step = steps[i];
        now = step.now;
        handler.totalBytes = step.totalBytes;
        handler.doneBytes = step.doneBytes;
        handler.OnPosition(step.position);
        const std::vector<int> posted = window.TakePosted();
        if (step.posted) {
            EXPECT_EQ(posted, std::vector<int>{*step.posted}) << "step " << i;
        } else {
            EXPECT_TRUE(posted.empty()) << "step " << i << " posted " << posted.front();
        }
    }
}

TEST(ExtractionProgressHandlerTest, PercentagesMoveNothing) {
    BarWindow window;
    ExtractionProgressHandler handler(window.Bar(), 30);
    window.TakePosted();
    handler.totalBytes = 100;
    for (int percent : {0, 50, 100}) {
        handler.OnPercent(percent);
    }
    EXPECT_TRUE(window.TakePosted().empty());
}

TEST(ExtractionProgressHandlerTest, FollowsARealExtractionToTheFullBar) {
    BarWindow window;
    ExtractionProgressHandler handler(window.Bar(), 30);
    window.TakePosted();
    ScratchFolder scratch;
    {
        ICBSCabinetExtractor extractor(L"Package.cab", L"MSZIP_CAB", scratch.Path());
        handler.totalBytes = extractor.Image().Length();
        ASSERT_TRUE(extractor.ExtractAll(&handler));
    }
    const std::vector<int> posted = window.TakePosted();
    ASSERT_FALSE(posted.empty());
    for (size_t i = 1; i < posted.size(); ++i) {
        EXPECT_LE(posted[i - 1], posted[i]);
    }
    EXPECT_GE(posted.front(), 0);
    EXPECT_EQ(posted.back(), 30);
}

} // namespace
} // namespace quentry
