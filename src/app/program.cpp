#include "app/program.h"

#include "app/master.h"
#include "app/title.h"

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

void unloadAllForms() {
    if (MASTER* master = MASTER::instance()) delete master;
    TITLE::unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int runProgram() {
    QApplication::setQuitOnLastWindowClosed(false); // the program ends only through its own end
    auto* splash = new TITLE;
    const StartOutcome outcome = splash->Form_Load();
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
