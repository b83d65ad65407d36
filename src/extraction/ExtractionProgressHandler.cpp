#include "extraction/ExtractionProgressHandler.h"

#include <commctrl.h>

#include <cmath>
#include <utility>

namespace quentry {

ExtractionProgressHandler::ExtractionProgressHandler(HWND progressBar, int range, Clock clock)
    : progressBar(progressBar), range(range), m_clock(std::move(clock)) {
    if (!m_clock) {
        m_clock = [] { return ::GetTickCount(); };
    }
    if (progressBar != nullptr) {
        ::SendMessageW(progressBar, PBM_SETRANGE32, 0, range);
    }
}

void ExtractionProgressHandler::OnPercent(int /*percent*/) {}

void ExtractionProgressHandler::OnPosition(int bytes) {
    // Without a total there is nothing left to wait for: the bar is full. A position beyond the
    // total (sizes that do not add up) still never leaves the bar's range.
    int value = range;
    if (totalBytes != 0) {
        const double done =
            static_cast<double>(doneBytes) + static_cast<double>(static_cast<uint32_t>(bytes));
        const double scaled = std::trunc(done / static_cast<double>(totalBytes) * range);
        value = scaled >= range ? range : static_cast<int>(scaled);
    }
    const DWORD now = m_clock();
    if ((value != lastValue && now - lastPostTime > 500) || value == range) {
        lastPostTime = now;
        lastValue = value;
        if (progressBar != nullptr) {
            ::PostMessageW(::GetParent(progressBar), WM_CABINET_PROGRESS, static_cast<WPARAM>(value), 0);
        }
    }
}

} // namespace quentry
