// The application's shared helpers under their original names. The rules themselves live lower, so
// that every subsystem reaches them without the application: ui::centerForm, files::GetTempDir,
// dataset::properCase, ui::digitsOnlyKey; the restore goes to subsystemForms().
#pragma once

#include <QString>

class QWidget;

namespace velk {

// Places a top-level form with its centre at 40% of the screen height and half its width.
void CenterForm(QWidget& frm);

// The private per-user folder with a trailing "/", or "" when there is none.
QString GetTempDir();

// Lower-cases s, then raises its first character and every character that follows a blank.
// s holds the result afterwards as well.
QString ProperCase(QString& s);

// Swallows (sets to 0, with a beep) key codes of 32 and above that are not digits.
void DigitsOnlyKeyPress(int& KeyAscii);

// 5 gives the Documents folder, or the home folder when there is none (no trailing "/"); other
// codes give "Folder Not Valid On this OS".
QString GetSpecialFolderPath(int CSIDL);
constexpr int CSIDL_PERSONAL = 5;

// Copies the notes and user fields saved in the backup database into the state database (through
// subsystemForms()). Throws (std::exception) when it cannot; a restore that fails must keep its marker.
void RestoreUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode);

} // namespace velk
