#include "app/program.h"

#include "app/main_window.h"
#include "app/splash_form.h"
#include "platform/dao/dao.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"

#include <QApplication>

namespace velk {

namespace {
bool running = false;
}

bool mainLoopRunning() {
    return running;
}
void setMainLoopRunning(bool value) {
    running = value;
}

void endAfterEscapedError(std::exception_ptr error) {
    MASTER* master = MASTER::instance();
    if (master && master->programEnded()) return;
    QString reason = QStringLiteral("an unknown error");
    try {
        std::rethrow_exception(error);
    } catch (const dao::DaoError& e) {
        reason = e.message();
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
    } catch (...) {
        // Not an exception of ours or the library's: the reason stays "an unknown error".
    }
    ui::setDefaultPointer();
    ui::MsgBox(QStringLiteral("VELK must close because of an error.\r\n\r\n") + reason, ui::vbCritical);
    try {
        if (master) master->endProgram(1);
    } catch (...) {
        // Ending goes on whatever the forms' unloading says.
    }
    QCoreApplication::exit(1); // also leaves the modal dialogs' loops
}

void unloadAllForms() {
    if (MASTER* master = MASTER::instance()) delete master;
    TITLE::unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int runProgram() {
    QApplication::setQuitOnLastWindowClosed(false); // the program ends only through its own end
    const StartOutcome outcome = TITLE::load().Form_Load();
    int status = 0;
    if (outcome == StartOutcome::Running) {
        setMainLoopRunning(true);
        status = QApplication::exec();
        setMainLoopRunning(false);
    } else if (outcome == StartOutcome::Failed) {
        status = 1;
    } else if (MASTER* master = MASTER::instance()) {
        status = master->exitCode();
    }
    unloadAllForms();
    return status;
}

} // namespace velk
