// Letting pending window events run in the middle of long work (the original's DoEvents).
#pragma once

#include <functional>

namespace ui {

void doEvents();

// Replaces what doEvents does (tests: press Cancel in the middle of a load); empty restores it.
void setDoEventsHook(std::function<void()> hook);

} // namespace ui
