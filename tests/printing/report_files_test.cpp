// The five report files over the report database: every field they show exists, and a record
// filled to the widths the data can have lays out without overlaps, cut texts or runs off the page.
#include "dataset/report_database.h"
#include "printing/report_files.h"

#include "dataset/data_set.h"
#include "folder_setup/program_folder.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/report/layout.h"
#include "support/temp_dir.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace report;

namespace {

// Capitals of average width, cut to n characters.
QString wide(int n, const QString& lead = QString()) {
    QString s = lead;
    while (s.size() < n)
        s += QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ ");
    return s.left(n).trimmed();
}

class ReportFiles : public testsupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        files::setProgramFolder(folder());
        ASSERT_TRUE(velk::installProgramFiles(folder()));
        db = path("REPORT.MDB");
        std::unique_ptr<dao::Database> d = dao::Database::create(db);
        dataset::createReportTables(*d);
    }
    void TearDown() override { files::setProgramFolder(QString()); }

    // One employer with every field as wide as the data set allows.
    void addWidest(const QString& state, int records = 1) {
        std::unique_ptr<dao::Database> d = dao::Database::open(db);
        auto p = d->OpenTable("PRIME");
        auto c = d->OpenTable("CLASS");
        for (int r = 0; r < records; ++r) {
            p->AddNew();
            c->AddNew();
            const QString file =
                state == "NY" ? "123456789" : QStringLiteral("%1").arg(r, 7, 10, QLatin1Char('0'));
            for (auto* rs : {p.get(), c.get()}) {
                rs->setValue("FILE", file);
                rs->setValue("SEQUENCE", "01");
            }
            const std::pair<const char*, QString> fields[] = {
                {"NAME1", wide(40)},
                {"NAME2", wide(38, "DBA ")},
                {"STREET", wide(40, "12345 ")},
                {"CITY", wide(22)},
                {"ST", state == "NY" ? "NY" : "PA"},
                {"ZIP", "19406-1234"},
                {"PHONE", "610-555-0100"},
                {"FAX", "610-555-0199"},
                {"AREA", "610"},
                {"SIC", "3599"},
                {"COUNTY", "091"},
                {"COUNTYNAME", wide(30)},
                {"CONTACT", wide(30)},
                {"TITLE", wide(30)},
                {"User1", wide(50)},
                {"User2", wide(50)},
                {"User3", wide(50)},
                {"EMPDESC", "1000+"},
                {"SALESDESC", "Under 1 million"},
                {"SICDESC", wide(42)},
            };
            for (const auto& [field, value] : fields)
                p->setValue(field, value);
            for (int i = 0; i < dataset::kModSlots; ++i) {
                p->setValue(QStringLiteral("ISSUE%1").arg(i), QDate(2024 - i, 12, 31));
                if (state != "NY") p->setValue(QStringLiteral("EFFECTIVE%1").arg(i), QDate(2024 - i, 12, 31));
                p->setValue(QStringLiteral("EXPIRE%1").arg(i),
                            i == 5 ? QDate(1950, 1, 1) : QDate(2025 - i, 12, 31));
                p->setValue(QStringLiteral("MOD%1").arg(i), i == 0 ? 9.886 : 10.999);
            }
            for (int i = 0; i < dataset::kClassSlots; ++i) {
                c->setValue(QStringLiteral("CLASS%1").arg(i), "8810");
                c->setValue(QStringLiteral("CLASSDESC%1").arg(i), wide(50, QStringLiteral("CLASS ")));
                c->setValue(QStringLiteral("CLASSLOSS%1").arg(i), 123.45);
            }
            QStringList note;
            for (int i = 0; i < 90; ++i)
                note.append(wide(150, QStringLiteral("%1 ").arg(i)));
            p->setValue("NOTES", note.join("\r\n"));
            if (state == "NJ") {
                for (const char* f : {"ARESTPREM", "ARTOTPREM", "ARTOTLOSS"})
                    p->setValue(f, "9999999");
                p->setValue("NJPPAP", "100");
                p->setValue("NJCCPAP", "100");
                p->setValue("NJAR", "12/09");
            }
            if (state == "NY") {
                p->setValue("ADDRESSES",
                            QStringList({wide(40), wide(40), wide(40), wide(40), wide(40)}).join("\r\n"));
                p->setValue("REVISED", true);
                p->setValue("INTERSTATE", true);
            }
            p->Update();
            c->Update();
        }
    }

    QVector<Page> run(const QString& name, const QString& state) {
        Report r = printing::openReportFile(name);
        for (int n = 1; n <= r.definition().tables.size(); ++n)
            r.setTableLocation(n, db);
        if (r.definition().formulas.contains("SEARCHNAME")) {
            r.setFormula("SEARCHNAME", wide(40));
            r.setFormula("STATE", state);
        }
        const QVector<Page> pages = layoutAll(*r.read());
        // Every text is drawn at a size its report gives it, however long.
        const Definition& def = r.definition();
        QVector<Item> items = def.pageHeader.items + (def.labels ? def.labels->items : QVector<Item>());
        for (const Section& section : def.sections)
            items += section.items;
        for (const Page& p : pages)
            for (const TextRun& t : p.texts)
                EXPECT_TRUE(std::any_of(items.begin(), items.end(),
                                        [&](const Item& it) { return it.font.size == t.font.size; }))
                    << name.toStdString() << ": " << t.text.toStdString() << " at " << t.font.size;
        return pages;
    }

    QString db;
};

// Where a run's text lies, measured.
QRectF inkOf(const TextRun& t, TextMeasure& m) {
    const qreal w = m.width(t.font, t.text);
    qreal x = t.box.left();
    if (t.align & Qt::AlignRight) x = t.box.right() - w;
    if (t.align & Qt::AlignHCenter) x = t.box.center().x() - w / 2;
    return QRectF(x, t.box.top(), w, t.box.height());
}

void expectClean(const QVector<Page>& pages, const QMarginsF& inside, const std::string& what) {
    TextMeasure m;
    for (const Page& p : pages) {
        const QRectF printable = QRectF(QPointF(), p.paper).marginsRemoved(inside);
        for (int i = 0; i < p.texts.size(); ++i) {
            const TextRun& a = p.texts[i];
            // Only class descriptions may be longer than their column.
            EXPECT_FALSE(a.text.endsWith(QChar(0x2026)) && !a.text.startsWith("CLASS "))
                << what << ": cut short: " << a.text.toStdString();
            EXPECT_TRUE(printable.contains(a.box)) << what << ": off the page: " << a.text.toStdString();
            const QRectF ia = inkOf(a, m);
            for (int j = i + 1; j < p.texts.size(); ++j) {
                const QRectF overlap = ia.intersected(inkOf(p.texts[j], m));
                EXPECT_FALSE(overlap.width() > 0.5 && overlap.height() > 0.5)
                    << what << " page " << p.number << ": \"" << a.text.toStdString() << "\" overlaps \""
                    << p.texts[j].text.toStdString() << "\"";
            }
        }
    }
}

QStringList allTexts(const QVector<Page>& pages) {
    QStringList out;
    for (const Page& p : pages)
        for (const TextRun& t : p.texts)
            out.append(t.text);
    return out;
}

TEST_F(ReportFiles, WidestRecordLaysOutCleanlyInEveryDataSet) {
    for (const QString& state : dataset::codes()) {
        QFile::remove(db);
        dataset::createReportTables(*dao::Database::create(db));
        addWidest(state, 2);
        dao::Database::open(db)->executeBound( // the second without assigned-risk figures
            "UPDATE PRIME SET NJAR = ' ', ARESTPREM = NULL, NJPPAP = '' WHERE FILE = '0000001'", {});
        const QString detail = state == "NY" ? "VKPRTANY.RPT" : "VKPRTALL.RPT";
        for (const QString& name : {detail, QStringLiteral("VKPRTSUM.RPT")}) {
            const QVector<Page> pages = run(name, state);
            ASSERT_FALSE(pages.isEmpty());
            expectClean(pages, QMarginsF(36, 36, 36, 36), (name + " " + state).toStdString());
            const QStringList texts = allTexts(pages);
            EXPECT_EQ(texts.contains("Debit"), state == "PM" || state == "DM")
                << name.toStdString() << " " << state.toStdString();
            EXPECT_EQ(texts.contains("Merit Class"), state == "PM" || state == "DM") << name.toStdString();
            EXPECT_EQ(texts.contains("MOD"), state != "PM" && state != "DM") << name.toStdString();
            EXPECT_EQ(texts.contains("12/09"), state == "NJ")
                << name.toStdString() << " " << state.toStdString();
            EXPECT_FALSE(texts.contains("12/31/50")); // the placeholder date shows blank
            EXPECT_EQ(texts.filter(QRegularExpression("^(Assigned risk|Premium)$")).size(),
                      state == "NJ" && name == "VKPRTSUM.RPT" ? 2 : 0);
            EXPECT_TRUE(texts.contains("State: " + state)) << name.toStdString();
            EXPECT_EQ(texts.contains("Anniversary"), state == "NY") << name.toStdString();
            EXPECT_EQ(texts.contains("Expires"), state != "NY") << name.toStdString();
        }
        // The detail shows every mod and class slot and every line of the note.
        const QStringList texts = allTexts(run(detail, state));
        EXPECT_EQ(texts.count("123.45"), 2 * dataset::kClassSlots) << state.toStdString();
        EXPECT_EQ(texts.count("12/31/05"), state == "NY" ? 2 : 4)
            << state.toStdString(); // slot 19: issued, effective, expires a year later
        EXPECT_EQ(texts.filter(QRegularExpression("^89 ")).size(), 2);
        EXPECT_EQ(texts.contains("Full Address"), state == "NY");
        EXPECT_EQ(texts.contains("Interstate"), state == "NY");
    }
}

TEST_F(ReportFiles, AddressOverrideIsCaptionedWithoutItsMarker) {
    addWidest("PA", 3);
    dao::Database::open(db)->executeBound("UPDATE PRIME SET User1 = CASE FILE WHEN '0000000' THEN '!&' WHEN "
                                          "'0000001' THEN '!& call first' ELSE 'A !& B' END",
                                          {});
    for (const char* name : {"VKPRTALL.RPT", "VKPRTANY.RPT"})
        EXPECT_EQ(
            allTexts(run(name, "PA"))
                .filter(QRegularExpression("^(User Field .|Street|City St Zip|call first|.*!&.*)$")),
            QStringList({"User Field 1", "Street", "City St Zip", "User Field 1", "call first", "Street",
                         "City St Zip", "User Field 1", "A !& B", "User Field 2", "User Field 3"}))
            << name;
}

TEST_F(ReportFiles, LabelSheets) {
    addWidest("PA", 31);
    const std::tuple<const char*, QVector<int>, QMarginsF> cases[] = {
        {"VKLABELL.RPT", {30, 1}, QMarginsF(13.5, 36, 13.5, 36)},   // three across, ten down
        {"VKLABELS.RPT", {10, 10, 10, 1}, QMarginsF(0, 18, 0, 18)}, // one across, clear of the edges
    };
    for (const auto& [name, perPage, inside] : cases) {
        const QVector<Page> pages = run(name, "PA");
        ASSERT_EQ(pages.size(), perPage.size()) << name;
        for (int i = 0; i < pages.size(); ++i)
            EXPECT_EQ(allTexts({pages[i]}).count("610-555-0100"), 0) << name; // labels carry the address only
        for (int i = 0; i < pages.size(); ++i)
            EXPECT_EQ(allTexts({pages[i]}).filter("19406-1234").size(), perPage[i]) << name;
        expectClean(pages, inside, name);
        EXPECT_EQ(allTexts(pages).mid(0, 5), QStringList({"Attn: " + wide(30), wide(40), wide(38, "DBA "),
                                                          wide(40, "12345 "), wide(22) + ", PA  19406-1234"}))
            << name;
    }
}

} // namespace
