// velk-screenshots: starts the program on a fresh program folder without a display and renders
// the main window, the splash, the workspace dialog and the lookup editor as PNG files, so the
// windows can be looked at from a build machine.
#include "app/master.h"
#include "app/program.h"
#include "app/program_folder.h"
#include "app/title.h"
#include "app/vkwspace.h"
#include "platform/files/folders.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"
#include "search/vklookup.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <map>

namespace {

// The pictures, by file name, taken while the dialogs are up.
std::map<QString, QPixmap> shots;

// Drives the dialogs the start-up and New Search show: the first choice of workspace and data
// set, and Cancel in the lookup editor.
int driveDialog(QDialog& dialog) {
    if (auto* d = qobject_cast<VKWSPACE*>(&dialog)) {
        d->WORKSPACE->setEditText(QStringLiteral("INITIAL"));
        d->STATE->setCurrentText(QStringLiteral("PA"));
        shots[QStringLiteral("vkwspace.png")] = d->grab();
        if (TITLE* splash = TITLE::instance()) shots[QStringLiteral("title.png")] = splash->grab();
        d->OK->click();
    } else if (auto* d = qobject_cast<VKLOOKUP*>(&dialog)) {
        shots[QStringLiteral("vklookup.png")] = d->grab();
        d->CANCEL->click();
    } else {
        dialog.reject();
    }
    return dialog.result();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() > 1 || (args.size() == 1 && args.first().startsWith(QLatin1Char('-')))) {
        std::fputs("Usage: velk-screenshots [DIR]\n"
                   "Writes master.png, title.png, vkwspace.png and vklookup.png into DIR\n"
                   "(default: the screenshots folder beside the bin folder of this program).\n",
                   stderr);
        return 2;
    }
    // Absolute now: the start-up makes the program folder the current folder.
    const QString out =
        QDir(args.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots")
                            : args.first())
            .absolutePath();

    QTemporaryDir scratch;
    const QString program = scratch.filePath(QStringLiteral("VELK"));
    QString error;
    if (!scratch.isValid() ||
        velk::createProgramFolder(program, false, &error) != velk::SetupOutcome::Created) {
        std::fprintf(stderr, "velk-screenshots: no program folder: %s\n", qPrintable(error));
        return 1;
    }
    files::setProgramFolder(program);
    files::setTempDirOverride(scratch.filePath(QStringLiteral("state"))); // VELK.INI stays out of $HOME
    ui::setModalHook(driveDialog);
    ui::setMsgBoxHandler([](const QString& prompt, int, const QString&) {
        std::fprintf(stderr, "velk-screenshots: message: %s\n", qPrintable(prompt));
        return int(ui::vbOK);
    });

    QApplication::setQuitOnLastWindowClosed(false);
    if ((new TITLE)->Form_Load() != StartOutcome::Running || !MASTER::instance()) {
        std::fputs("velk-screenshots: the program did not start\n", stderr);
        return 1;
    }
    MASTER* master = MASTER::instance();
    QCoreApplication::processEvents();
    shots[QStringLiteral("master.png")] = master->grab();
    master->mnuNewSearch->trigger();
    velk::unloadAllForms();

    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "velk-screenshots: cannot create %s\n", qPrintable(out));
        return 1;
    }
    int status = 0;
    for (const auto& [name, picture] : shots) {
        const QString path = QDir(out).filePath(name);
        if (picture.isNull() || !picture.save(path)) {
            std::fprintf(stderr, "velk-screenshots: cannot write %s\n", qPrintable(path));
            status = 1;
        }
    }
    if (shots.size() < 4) {
        std::fputs("velk-screenshots: a window was not shown\n", stderr);
        status = 1;
    }
    if (status == 0) std::printf("Screenshots written to %s\n", qPrintable(out));
    return status;
}
