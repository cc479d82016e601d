// Export Search and Export Record on a running program: the export form opens on the list's
// record source and writes what the list shows.
#include "commands_fixture.h"

#include "export/export_form.h"
#include "platform/dao/dao.h"
#include "platform/grid/data_control.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

class ExportCommands : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        QStringList names = {"ZETA WORKS", "ACME STEEL", "MIDDLE CO"};
        for (int i = 4; i <= 20; ++i)
            names << QStringLiteral("OTHER %1").arg(i, 2, 10, QLatin1Char('0'));
        seed("PA", names);
        writeSearch("INITIAL", "SEARCH1.VKD", "First Two", "001", "002");
        master = start();
        ASSERT_NE(list(), nullptr);
        // Scripted from here on: the start-up's own scripts are gone.
        modals = std::make_unique<ModalScript>();
        boxes = std::make_unique<ScriptedMsgBoxes>();
    }
    void TearDown() override {
        modals.reset();
        boxes.reset();
        CommandsTest::TearDown();
    }

    // The export form opens on source; OK with the format given saves to file.
    void expectExport(const QString& source, int format, const QString& file) {
        modals->expect<VKEXPORT>([=](VKEXPORT& f) {
            EXPECT_EQ(f.OUTPATH->text(), ".TXT");
            EXPECT_EQ(f.searchSql(), source);
            f.EXPTFORM[size_t(format)]->setChecked(true);
            return testsupport::press(f, f.Command1);
        });
        modals->expect<QFileDialog>([=](QFileDialog& d) {
            d.selectFile(file);
            return int(QDialog::Accepted);
        });
    }
    QStringList lines(const QString& file) const {
        return QString::fromLatin1(readFile(file)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    MASTER* master = nullptr;
    std::unique_ptr<ModalScript> modals;
    std::unique_ptr<ScriptedMsgBoxes> boxes;
};

TEST_F(ExportCommands, ExportSearchWritesTheSelectedTabsSearchInNameOrder) {
    selectTab(1);
    dao::Recordset* rows = list()->SFILE->Recordset();
    rows->MoveLast(); // the list's current row, which the export's count must leave alone
    const QString current = rows->text("FILE");
    const QString file = path("search.txt");
    expectExport(list()->SFILE->RecordSource, 2, file);
    master->SSRibbon1[5]->click();
    EXPECT_EQ(modals->pending(), 0);
    const QStringList written = lines(file);
    ASSERT_EQ(written.size(), 2);
    EXPECT_TRUE(written[0].startsWith("F2-01ACME STEEL  "));
    EXPECT_TRUE(written[1].startsWith("F1-01ZETA WORKS  "));
    EXPECT_TRUE(list()->isVisible());
    EXPECT_EQ(list()->SFILE->Recordset()->text("FILE"), current);
}

TEST_F(ExportCommands, ExportRecordWritesTheCurrentRecordOnly) {
    list()->showAssociatedRecord("F3", "01");
    const QString file = path("record.csv");
    expectExport("SELECT * FROM PRIME WHERE FILE = 'F3' AND SEQUENCE = '01'", 0, file);
    list()->EXPORTCUR->click();
    EXPECT_EQ(modals->pending(), 0);
    const QStringList written = lines(file);
    ASSERT_EQ(written.size(), 2);
    EXPECT_TRUE(written[1].startsWith("\"F3-01\",\"MIDDLE CO\","));
    EXPECT_EQ(list()->SSTab1->currentIndex(), 0);
}
