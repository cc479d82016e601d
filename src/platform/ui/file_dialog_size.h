// File dialogs open large enough to show each file's size, type and date beside its name.
#pragma once

class QFileDialog;

namespace ui {

// Sizes dialog for its details view, within the screen it opens on.
void fitFileDialog(QFileDialog& dialog);

} // namespace ui
