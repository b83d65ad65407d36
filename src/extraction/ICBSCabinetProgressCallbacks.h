// The progress contract of the cabinet engine: the interface it reports to while it reads a
// cabinet, and the message that carries a new bar position to the page that shows it.
#pragma once

#include <windows.h>

namespace quentry {

// Posted (never sent) to the parent window of a progress bar: wParam is the new bar position
// (0 to the sink's range), lParam is 0.
constexpr UINT WM_CABINET_PROGRESS = WM_USER + 1;

// Receives the progress of the cabinet being read. Sinks are owned and destroyed by whoever
// created them, never through this interface.
class ICBSCabinetProgressCallbacks {
public:
    // Integer percentage (0 to 100, truncated) of the current cabinet read so far.
    virtual void OnPercent(int percent) = 0;
    // Number of bytes of the current cabinet read so far.
    virtual void OnPosition(int bytes) = 0;
    // The maximum value of the scale the sink reports on.
    virtual int GetRange() = 0;

protected:
    ~ICBSCabinetProgressCallbacks() = default;
};

} // namespace quentry
