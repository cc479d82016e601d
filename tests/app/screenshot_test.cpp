// Renders the main window after a start-up to build/screenshots/master.png (or the folder named by
// VELK_SCREENSHOT_DIR), with the workspace dialog, the splash and the lookup editor beside it, so the
// windows can be looked at without a display.
#include "app_fixture.h"

#include "search/vklookup.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QCoreApplication>
#include <QImage>
#include <QPixmap>

TEST_F(AppTest, ScreenshotOfTheMainWindow) {
    testsupport::ScriptedMsgBoxes boxes;
    testsupport::ModalScript modals;
    QPixmap dialogShot, splashShot;
    modals.expect<VKWSPACE>([&](VKWSPACE& d) {
        d.WORKSPACE->setEditText(QStringLiteral("INITIAL"));
        d.STATE->setCurrentText(QStringLiteral("PA"));
        dialogShot = d.grab();
        splashShot = TITLE::instance()->grab();
        d.OK->click();
        return d.result();
    });
    ASSERT_EQ(startFromSplash(), StartOutcome::Running);
    MASTER* master = MASTER::instance();
    QCoreApplication::processEvents();

    QString folder = QString::fromLocal8Bit(qgetenv("VELK_SCREENSHOT_DIR"));
    if (folder.isEmpty()) folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString masterPng = QDir(folder).filePath(QStringLiteral("master.png"));
    const QPixmap shot = master->grab();
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(masterPng));
    ASSERT_TRUE(dialogShot.save(QDir(folder).filePath(QStringLiteral("vkwspace.png"))));
    ASSERT_TRUE(splashShot.save(QDir(folder).filePath(QStringLiteral("title.png"))));

    // The lookup editor as New Search opens it.
    QPixmap lookupShot;
    modals.expect<VKLOOKUP>([&](VKLOOKUP& d) {
        lookupShot = d.grab();
        d.CANCEL->click();
        return d.result();
    });
    master->mnuNewSearch->trigger();
    ASSERT_FALSE(lookupShot.isNull());
    ASSERT_TRUE(lookupShot.save(QDir(folder).filePath(QStringLiteral("vklookup.png"))));

    const QImage image(masterPng);
    EXPECT_EQ(image.size(), shot.size());
    EXPECT_GE(image.width(), 750) << "the ten ribbon buttons fit";
}
