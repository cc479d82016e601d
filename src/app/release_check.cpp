#include "app/release_check.h"

#include "app/globals.h"
#include "app/main_window.h"
#include "app/splash_form.h"
#include "dataset/data_set.h"
#include "loading/load_sequence.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/ui/cursor.h"
#include "platform/ui/events.h"
#include "platform/ui/msgbox.h"

#include <QLabel>
#include <QPushButton>

namespace velk {

namespace {

// The splash as the progress window: its Cancel button shown, above every other window.
void prepareSplash(MASTER& master) {
    if (TITLE* splash = TITLE::instance()) {
        splash->Command2->setVisible(true);
        master.setEnabled(false);
        splash->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        splash->show(); // a change of window flags hides a window
        splash->repaint();
    } else {
        master.setEnabled(false);
    }
    ui::setHourglass();
}

// Back to an ordinary splash when the start-up goes on to the list.
void restoreSplash() {
    if (TITLE* splash = TITLE::instance()) {
        splash->Command2->setVisible(false);
        splash->lblStatus->clear();
        splash->setWindowFlag(Qt::WindowStaysOnTopHint, false);
        splash->show();
    }
}

void showProgress(MASTER& master, const loading::LoadContext& ctx, const QString& text) {
    master.LoadTotal = ctx.LoadTotal;
    if (TITLE* splash = TITLE::instance()) {
        splash->lblStatus->setText(text);
        splash->repaint();
    }
}

void reportRefusals(const loading::LoadContext& ctx) {
    if (ctx.refusedCount() == 0) return;
    QString text = QStringLiteral("Some records of the release were not stored as they stand:");
    for (const loading::Refusal& r : ctx.refusals)
        text += QStringLiteral("\r\n%1: %2 %3").arg(r.file).arg(r.count).arg(r.reason);
    ui::MsgBox(text, ui::vbInformation);
}

} // namespace

QString releaseWarningText() {
    return QStringLiteral(
               "When you click on OK, Velk will update your data base for the state that you have "
               "selected.  This update may take more than one hour depending on the speed of your "
               "computer and the amount of data to be updated.  If you choose to cancel, Velk will again "
               "attempt to do this update the next time a user begins the program and selects this "
               "state.") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral(
               "If you are using a Network, please make sure that no other user activates Velk while the "
               "update is running.  Also, be sure that you have read the installation instructions "
               "pertaining to record locking parameters.");
}

bool runReleaseCheck(MASTER& master) {
    if (!master.StateDb) return false;
    const QString folder = files::programFolder();
    const QString state = dataset::current().code;
    loading::ReleaseFileLengths lengths;
    try {
        lengths = loading::measureReleaseFiles(folder, state);
    } catch (...) {
        return false; // lengths that cannot be taken count as no release
    }
    if (!loading::offersLoad(lengths)) return false;
    // Files that could not be loaded whole, or deleted afterwards, are named before anything is
    // asked; the start-up goes on with the data as it is.
    QString firstFile;
    if (const QStringList problems = loading::releaseFileProblems(folder, state, lengths, &firstFile);
        !problems.isEmpty()) {
        ui::MsgBox(loading::LoadFailure::refused(firstFile, problems).message(), ui::vbCritical);
        return false;
    }
    if (ui::MsgBox(releaseWarningText(), ui::vbOKCancel) != ui::vbOK) return false;

    prepareSplash(master);
    loading::LoadContext ctx;
    ctx.db = master.StateDb.get();
    ctx.folder = folder;
    ctx.state = state;
    ctx.cancelled = &LoadCancelled;
    ctx.progress = [&](const QString& text) { showProgress(master, ctx, text); };
    ctx.processEvents = [] { ui::doEvents(); };

    loading::LoadOutcome outcome;
    try {
        outcome = loading::runLoadSequence(ctx, lengths);
    } catch (const loading::LoadFailure& failure) {
        ui::setDefaultPointer();
        ui::MsgBox(failure.message(), ui::vbCritical);
        master.endProgram(1);
        return true;
    }
    master.LoadTotal = ctx.LoadTotal;
    ui::setDefaultPointer();
    if (outcome == loading::LoadOutcome::Cancelled) {
        restoreSplash();
        ui::MsgBox(QStringLiteral("The data load was cancelled.\r\n\r\n") + loading::nothingChangedText(),
                   ui::vbInformation);
        ui::setHourglass(); // the start-up goes on to the list
        return false;
    }
    reportRefusals(ctx);
    if (!ctx.undeleted.isEmpty())
        ui::MsgBox(
            QStringLiteral("The new data was loaded, but these release files could not be deleted:\r\n") +
                ctx.undeleted.join(QStringLiteral("\r\n")) +
                QStringLiteral("\r\n\r\nDelete them before the next start, or they will be loaded again."),
            ui::vbExclamation);
    master.StateDb.reset();
    master.endProgram(0);
    return true;
}

} // namespace velk
