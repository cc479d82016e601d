// The screen's mouse pointer: the hourglass during long or blocking work, the default otherwise.
#pragma once

namespace ui {

// Like the original's Screen.MousePointer: not nested; setting the default removes the hourglass
// however often it was set.
void setHourglass();
void setDefaultPointer();
bool hourglassShown();

// Shows the hourglass for a scope and restores the default at its end.
class BusyCursor {
public:
    BusyCursor() { setHourglass(); }
    ~BusyCursor() { setDefaultPointer(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace ui
