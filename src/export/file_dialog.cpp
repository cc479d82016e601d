#include "export/file_dialog.h"

#include "platform/ui/file_dialog_size.h"
#include "platform/ui/modal.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace exporting {

QStringList nameFilters(const QString& filter) {
    const QStringList items = filter.split(QChar(0));
    QStringList out;
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        const QString& description = items[i];
        if (description.isEmpty()) break; // the closing NUL
        QString pattern = items[i + 1];
        // On this system a name need not have a period: "*.*" would miss names without one.
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        // The dialog shows the description alone (HideNameFilterDetails drops the pattern).
        out << description + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return out;
}

QString plainSuffix(const QString& extension) {
    QString s = extension.trimmed();
    while (s.startsWith(QLatin1Char('*')) || s.startsWith(QLatin1Char('.')))
        s.remove(0, 1);
    return s;
}

QString Cmdlg::TrimNull(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

void Cmdlg::ShowOpen() {
    show(false);
}

void Cmdlg::ShowSave() {
    show(true);
}

void Cmdlg::show(bool save) {
    QFileDialog dialog(hWnd, DialogTitle, InitDir);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save                             ? QFileDialog::AnyFile
                       : (Flags & OFN_ALLOWMULTISELECT) ? QFileDialog::ExistingFiles
                                                        : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (!(Flags & OFN_OVERWRITEPROMPT)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = nameFilters(Filter);
    dialog.setNameFilters(filters);
    if (filterIndex_ >= 1 && filterIndex_ <= filters.size())
        dialog.selectNameFilter(filters[filterIndex_ - 1]);
    const QString suffix = plainSuffix(DefaultExtension);
    if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
    const QString proposed = TrimNull(FileName);
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
    ui::fitFileDialog(dialog);
    const bool accepted = ui::showModal(dialog) == QDialog::Accepted;
    ProcessDialogResult(accepted ? dialog.selectedFiles() : QStringList());
}

void Cmdlg::ProcessDialogResult(const QStringList& chosen) {
    multiSelect_ = false;
    fileExtension_.clear();
    if (chosen.isEmpty()) {
        // A cancelled dialog and a failed one end alike: no file, the proposed name gone.
        FileName.clear();
        Filetitle.clear();
        cancelPressed_ = true;
        return;
    }
    cancelPressed_ = false;
    if (chosen.size() == 1) {
        const QFileInfo file(chosen.first());
        FileName = file.absoluteFilePath();
        Filetitle = file.fileName();
        fileExtension_ = file.suffix();
        return;
    }
    // Several files: the folder, then each name, every item followed by a NUL.
    FileName = QDir::toNativeSeparators(QFileInfo(chosen.first()).absolutePath()) + QChar(0);
    for (const QString& path : chosen)
        FileName += QFileInfo(path).fileName() + QChar(0);
    Filetitle.clear();
    multiSelect_ = true;
}

} // namespace exporting
