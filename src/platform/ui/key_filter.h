// Key filters for text boxes.
#pragma once

class QWidget;

namespace ui {

// The digits-only rule on a key code: codes of 32 and above that are not "0" to "9" become 0 and
// the function returns true (the key is swallowed); control keys and digits pass unchanged.
bool digitsOnlyKey(int& keyAscii);

// Installs on widget a filter that drops typed characters the rule swallows, with a beep.
void installDigitsOnlyFilter(QWidget& widget);

} // namespace ui
