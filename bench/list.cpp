// List form benchmark: on PA data sets of 50,000 and 500,000 employers (or the sizes given), times
// opening the list form on tab 0 (load, name order, first paint), type-ahead seeks, and row changes
// that refresh the detail panel (the next row, and a jump far down the list).
//
// Usage: bench_list [--dir FOLDER] [rows ...]
// The data sets are generated once into FOLDER (default: a folder under the system temp folder,
// kept for the next run) with a fixed seed.
#include "dataset/data_set.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "results/vklist.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char* const kSyllables[] = {"AC",  "BER", "CAR", "DEL", "ED",  "FOR", "GAR", "HAR", "IN",
                                  "JO",  "KEL", "LAN", "MAR", "NOR", "OL",  "PEN", "QUA", "ROS",
                                  "SMI", "TOR", "UL",  "VAN", "WES", "XEN", "YOR", "ZE"};
const char* const kSuffixes[] = {" INC", " CO", " LLC", " CORP", " & SONS", " BROS", " ASSOC", ""};
const char* const kCounties[] = {"ADAMS",   "ALLEGHENY",  "BEAVER",       "BERKS",        "BUCKS",
                                 "CHESTER", "DAUPHIN",    "ERIE",         "LANCASTER",    "LEHIGH",
                                 "LUZERNE", "MONTGOMERY", "PHILADELPHIA", "WESTMORELAND", "YORK"};

QString randomName(QRandomGenerator& rng) {
    QString n;
    const int parts = 2 + int(rng.bounded(3));
    for (int i = 0; i < parts; ++i)
        n += QLatin1String(kSyllables[rng.bounded(26)]);
    return n + QLatin1String(kSuffixes[rng.bounded(8)]);
}

void generate(const QString& folder, int rows) {
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(dataset::stateDatabaseName("PA"));
    QFile::remove(path);
    auto db = dao::Database::create(path, dao::passwordFromConnect(dataset::defaultConnect("PA")));
    loading::createStateTables(*db, "PA");
    QRandomGenerator rng(42);
    db->BeginTrans();
    db->executeBound("INSERT INTO VERSION (Dummy, Version) VALUES ('1', '2004-06-30')", {});
    for (int i = 0; i < rows; ++i) {
        const QString file = QStringLiteral("%1").arg(100000000 + i);
        const QString name = randomName(rng);
        const QString county = QLatin1String(kCounties[rng.bounded(15)]);
        db->executeBound(
            "INSERT INTO PRIME (STATE, FILE, SEQUENCE, NAME1, NameSort, NAME2, STREET, CITY, ST, ZIP, "
            "ZIPEXT, PHONE, FAX, COUNTYNAME, CountySort, FILESEQ, CONTACT, TITLE, ASSOCIATES, "
            "INTERSTATE, REVISED, EXPIRE, MOD, Omit, User1, User2, User3) VALUES ('PA', ?, '01', ?, "
            "?, ' ', '12 MAIN ST', 'YORK', 'PA', '17401', ' ', '717-555-0100', '717-555-0199', ?, ?, "
            "?, 'PAT LEE', 'OWNER', 0, 0, 0, '2004-03-01', 1.05, ' ', ' ', ' ', ' ')",
            {file, name, name, county, county, file + "01"});
        db->executeBound("INSERT INTO MODS (FILE, SEQUENCE, ISSUE, EFFECTIVE, EXPIRE, MOD) VALUES (?, '01', "
                         "'2003-02-01', '2003-03-01', '2004-03-01', 1.05)",
                         {file});
        db->executeBound("INSERT INTO MODS (FILE, SEQUENCE, ISSUE, EFFECTIVE, EXPIRE, MOD) VALUES (?, '01', "
                         "'2002-02-01', '2002-03-01', '2003-03-01', 0.95)",
                         {file});
        db->executeBound("INSERT INTO NOTES (FILE, SEQUENCE, NOTES) VALUES (?, '01', ' ')", {file});
        if (i % 20000 == 19999) {
            db->CommitTrans();
            db->BeginTrans();
        }
    }
    db->CommitTrans();
    db->close();
}

struct Stats {
    double median = 0, worst = 0;
};

Stats stats(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

void run(const QString& folder, int rows) {
    files::setProgramFolder(folder);
    dataset::setCurrent({QStringLiteral("PA"), dataset::defaultConnect(QStringLiteral("PA"))});
    QElapsedTimer t;

    t.start();
    VKLIST list;
    list.Form_Load();
    list.resize(900, 700);
    list.show();
    list.SORT_SELECT(2);
    QCoreApplication::processEvents();
    list.grab(); // paints the visible rows
    const double openMs = t.nsecsElapsed() / 1e6;

    std::vector<double> seeks;
    for (const char* p : {"M", "SMI", "ZE", "B", "Q", "ACBER", "WESTOR", "YORJO"}) {
        t.restart();
        list.SFOR->setText(QLatin1String(p));
        list.TDBGrid1->viewport()->grab();
        seeks.push_back(t.nsecsElapsed() / 1e6);
    }
    list.SFOR->setText(QString());

    // The next row, from the middle of the list (the user presses the down arrow).
    list.SFOR->setText("M");
    std::vector<double> next;
    for (int i = 0; i < 30; ++i) {
        t.restart();
        list.TDBGrid1->setCurrentRow(list.TDBGrid1->currentRow() + 1);
        list.TDBGrid1->viewport()->grab();
        next.push_back(t.nsecsElapsed() / 1e6);
    }
    // A jump far down the list (the user drags the scroll bar and clicks a row).
    std::vector<double> jumps;
    QRandomGenerator rng(7);
    for (int i = 0; i < 10; ++i) {
        t.restart();
        list.TDBGrid1->setCurrentRow(int(rng.bounded(rows)));
        list.TDBGrid1->viewport()->grab();
        jumps.push_back(t.nsecsElapsed() / 1e6);
    }
    const Stats s = stats(seeks), n = stats(next), j = stats(jumps);
    std::printf(
        "%9d rows | open tab 0 %7.1f ms | type-ahead median %6.1f worst %6.1f ms | next row median %5.1f "
        "worst %5.1f ms | far row median %6.1f worst %6.1f ms\n",
        rows, openMs, s.median, s.worst, n.median, n.worst, j.median, j.worst);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString dir = QDir::temp().filePath("velk-bench-list");
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == "--dir" && i + 1 < argc) {
            dir = QString::fromLocal8Bit(argv[++i]);
        } else {
            sizes.push_back(a.toInt());
        }
    }
    if (sizes.empty()) sizes = {50000, 500000};
    {
        // Qt's one-time costs (fonts, style) belong to no data set size.
        QTableView warm;
        warm.show();
        warm.grab();
    }
    for (int rows : sizes) {
        const QString folder = QDir(dir).filePath(QString::number(rows));
        if (!QFile::exists(QDir(folder).filePath(dataset::stateDatabaseName("PA")))) {
            QElapsedTimer g;
            g.start();
            std::printf("generating %d employers in %s ...\n", rows, qPrintable(folder));
            std::fflush(stdout);
            generate(folder, rows);
            std::printf("  %.1f s\n", g.elapsed() / 1000.0);
        }
        run(folder, rows);
    }
    return 0;
}
