// Cmdlg, the file dialog class: keeps a dialog's settings as properties, shows the open-file or
// save-file dialog with them and hands back the file the user chose. Over Qt's file dialog, shown
// through ui::showModal so that tests can drive it.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace exporting {

// Filter pairs (a description, then a pattern, each followed by a NUL, the list closed by one
// more NUL) as the dialog's name filters: each pair shows its description and matches its
// pattern, "*.*" matching every name.
QStringList nameFilters(const QString& filter);
// The extension the dialog adds to a name typed without one, as a plain suffix: "*.csv" and
// ".csv" give "csv".
QString plainSuffix(const QString& extension);

class Cmdlg {
public:
    // Flags understood: several files may be chosen in the open dialog; the save dialog asks
    // before it lets an existing file be chosen.
    static constexpr int OFN_OVERWRITEPROMPT = 0x2;
    static constexpr int OFN_ALLOWMULTISELECT = 0x200;

    QString InitDir;          // folder in which the dialog opens
    QString Filetitle;        // after a show: the chosen file's name without its folder
    QString FileName;         // before a show: the proposed name; after: the chosen file's full path
    QString DialogTitle;      // title of the dialog window
    QString DefaultExtension; // added to a name typed without one
    QString Filter =
        QStringLiteral("All Files (*.*)") + QChar(0) + QStringLiteral("*.*") + QChar(0) + QChar(0);
    int Flags = 0;
    QWidget* hWnd = nullptr; // owner window

    // 1-based number of the filter pair selected when the dialog opens; 0 stores 1.
    void setFilterIndex(int index) { filterIndex_ = index == 0 ? 1 : index; }
    int FilterIndex() const { return filterIndex_; }
    // Room for the returned path in characters; less than 1024 stores 1024.
    void setMaxFileSize(int size) { maxFileSize_ = size < 1024 ? 1024 : size; }
    int MaxFileSize() const { return maxFileSize_; }

    // Set by every show: true when it ended without a file (cancelled or failed).
    bool CancelPressed() const { return cancelPressed_; }
    // After a show of one file: its extension without the period.
    QString FileExtension() const { return fileExtension_; }
    // After a show that returned several files: FileName holds the folder and the names, each
    // followed by a NUL.
    bool MultiSelect() const { return multiSelect_; }

    void ShowOpen();
    void ShowSave();

    // text up to, not including, its first NUL; text whole when it holds none.
    static QString TrimNull(const QString& text);

private:
    void show(bool save);
    // Takes the dialog's answer: the chosen files, none when it was cancelled or failed.
    void ProcessDialogResult(const QStringList& chosen);

    int filterIndex_ = 1;
    int maxFileSize_ = 2048;
    bool cancelPressed_ = false;
    QString fileExtension_;
    bool multiSelect_ = false;
};

} // namespace exporting
