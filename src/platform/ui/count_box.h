// The read-only count beside a form's buttons.
#pragma once

class QLineEdit;

namespace ui {

// Hidden while the box is blank, shown once it holds a count: no empty box beside the buttons
// before a run, and its room is kept so nothing shifts when it appears.
void showOnlyWhenFilled(QLineEdit* box);

} // namespace ui
