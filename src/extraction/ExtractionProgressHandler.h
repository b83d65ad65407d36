// The unpack page's progress sink: turns the bytes read of the current cabinet into a position on
// the page's progress bar and posts it to the page, at most twice a second.
#pragma once

#include "extraction/ICBSCabinetProgressCallbacks.h"

#include <windows.h>

#include <cstdint>
#include <functional>

namespace quentry {

class ExtractionProgressHandler final : public ICBSCabinetProgressCallbacks {
public:
    // The millisecond tick the throttling is measured with (GetTickCount unless given).
    using Clock = std::function<DWORD()>;

    // Sets the bar's range to 0..range. progressBar may be null: then nothing is posted.
    explicit ExtractionProgressHandler(HWND progressBar, int range = 30, Clock clock = {});

    void OnPercent(int percent) override;
    // Posts the new bar position when it changed and the last post is more than 500 ms old, and
    // always when the position reaches the range.
    void OnPosition(int bytes) override;
    int GetRange() override { return range; }

    // Total cabinet bytes of all packages of the current extraction run.
    uint32_t totalBytes = 0;
    // Cabinet bytes of the packages finished before the current one.
    uint32_t doneBytes = 0;

private:
    HWND progressBar;
    int range;
    int lastValue = 0;
    DWORD lastPostTime = 0;
    Clock m_clock;
};

} // namespace quentry
