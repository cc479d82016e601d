// RSMAIN1, the application's shared routines: centring a form, the private temporary folder and the
// Documents folder. The rules themselves live lower, so that every subsystem reaches them without
// the application (ui::centerForm, files::GetTempDir, dataset::properCase, ui::digitsOnlyKey); the
// restore an update left pending is subsystemForms().restorePendingBackup.
#pragma once

#include <QString>

class QWidget;

namespace velk {

// Places a top-level form with its centre at 40% of the screen height and half its width.
void CenterForm(QWidget& frm);

// The private per-user folder with a trailing "/", or "" when there is none.
QString GetTempDir();

// 5 gives the Documents folder, or the home folder when there is none (no trailing "/"); other
// codes give "Folder Not Valid On this OS".
QString GetSpecialFolderPath(int CSIDL);
constexpr int CSIDL_PERSONAL = 5;

} // namespace velk
