// List form speed on real data (a data set built by velk-setup, velk-gen and velk-load): on the
// all-records tab, for each of its orders, the type-ahead and jumps to rows anywhere in the list;
// on a search tab that selects every employer, the type-ahead for each sort the tab offers. Each
// figure includes the grid's repaint. Beside the all-records figures, from the same run: the raw
// SQLite floor (the C API on a connection of its own reading only what the jump or keystroke shows:
// the screen's four columns, the current record whole, its mods and its note, and for a keystroke
// the seek), and the grid's repaint alone.
//
//   bench_list_speed [--employers N] [--state ST] [--dir DIR] [--mmap BYTES]
//
// --employers 500000, --state PM, --dir build/bench-data by default (shared with bench_search_speed).
// --mmap BYTES sets PRAGMA mmap_size on the list's connection (an experiment).
#include "dataset/data_set.h"
#include "platform/files/folders.h"
#include "results/list_form.h"
#include "search/search_file.h"
#include "search/search_sort.h"
#include "support/real_data.h"
#include "support/sqlite_shell.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QHeaderView>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTabBar>
#include <QTableView>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

double timed(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

void report(const char* what, const std::vector<double>& ms) {
    std::printf("  %-44s median %7.1f  worst %7.1f ms  (%zu)\n", what, bench::median(ms),
                *std::max_element(ms.begin(), ms.end()), ms.size());
    std::fflush(stdout);
}

// Types each text into "Search for" as a user does, a letter at a time, timing every keystroke.
std::vector<double> typeAhead(VKLIST& list, QTableView* grid, const std::vector<const char*>& texts,
                              QStringList* landed = nullptr) {
    std::vector<double> ms;
    for (const char* text : texts) {
        const QString full = QString::fromLatin1(text);
        for (int n = 1; n <= full.size(); ++n) {
            ms.push_back(timed([&] {
                list.SFOR->setText(full.left(n));
                grid->viewport()->grab();
            }));
        }
        if (landed) landed->append(QStringLiteral("%1 -> row %2").arg(full).arg(grid->currentIndex().row()));
        list.SFOR->clear();
    }
    return ms;
}

std::vector<int> jumpTargets(int rows) {
    QRandomGenerator rng(7);
    std::vector<int> targets{rows - 1, 0, rows / 2, rows - 2};
    for (int i = 0; i < 12; ++i)
        targets.push_back(int(rng.bounded(rows)));
    return targets;
}

std::vector<double> jumps(QTableView* grid, const std::function<void(int)>& setRow, int rows) {
    std::vector<double> ms;
    for (int row : jumpTargets(rows)) {
        ms.push_back(timed([&] {
            setRow(row);
            grid->viewport()->grab();
        }));
    }
    return ms;
}

// A user does not type the instant a header is clicked: the events of that pause run.
void userPause(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

// The raw SQLite floor of the all-records tab: what a jump or a keystroke must read at the least,
// through the C API on a read-only connection of its own, prepared statements, no conversions.
class RawFloor {
public:
    explicit RawFloor(const QString& database) {
        sqlite3_open_v2(QFile::encodeName(database).constData(), &db_, SQLITE_OPEN_READONLY, nullptr);
        shown_ = prepare("SELECT FILE, SEQUENCE, NAME1, COUNTYNAME FROM PRIME WHERE rowid = ?");
        whole_ = prepare("SELECT * FROM PRIME WHERE rowid = ?");
        mods_ = prepare(
            "SELECT * FROM MODS WHERE FILE = ? AND SEQUENCE = ? ORDER BY EFFECTIVE DESC, EXPIRE DESC");
        note_ = prepare("SELECT NOTES FROM NOTES WHERE FILE = ? AND SEQUENCE = ?");
    }
    ~RawFloor() {
        for (sqlite3_stmt* st : {shown_, whole_, mods_, note_, seek_})
            sqlite3_finalize(st);
        sqlite3_close(db_);
    }

    // The rows in the order of keys (the pass the list makes in the background); returns its time.
    double readOrder(const QByteArray& keys) {
        sqlite3_finalize(seek_);
        seek_ = prepare("SELECT rowid FROM PRIME WHERE " + keys.left(keys.indexOf(',')) + " >= ? ORDER BY " +
                        keys + ", rowid LIMIT 1");
        return timed([&] {
            order_.clear();
            place_.clear();
            sqlite3_stmt* st = prepare("SELECT rowid FROM PRIME ORDER BY " + keys + ", rowid");
            while (sqlite3_step(st) == SQLITE_ROW)
                order_.push_back(sqlite3_column_int64(st, 0));
            sqlite3_finalize(st);
            for (size_t i = 0; i < order_.size(); ++i)
                place_.insert(order_[i], i);
        });
    }
    // A jump to place: the screen's columns from there, the record whole, its mods and note.
    void show(size_t place, int screenRows) {
        for (size_t p = place; p < std::min(order_.size(), place + size_t(screenRows)); ++p) {
            sqlite3_bind_int64(shown_, 1, order_[p]);
            readAll(shown_);
        }
        sqlite3_bind_int64(whole_, 1, order_[place]);
        if (sqlite3_step(whole_) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(whole_); ++c)
                sqlite3_column_text(whole_, c);
            for (sqlite3_stmt* st : {mods_, note_}) {
                sqlite3_bind_value(st, 1, sqlite3_column_value(whole_, 1));
                sqlite3_bind_value(st, 2, sqlite3_column_value(whole_, 2));
                readAll(st);
            }
        }
        sqlite3_reset(whole_);
    }
    // A keystroke: the seek for the first key at or after text, then what a jump there reads.
    void type(const QByteArray& text, int screenRows) {
        sqlite3_bind_text(seek_, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        const bool found = sqlite3_step(seek_) == SQLITE_ROW;
        const qint64 rowid = found ? sqlite3_column_int64(seek_, 0) : 0;
        sqlite3_reset(seek_);
        if (found) show(place_.value(rowid), screenRows);
    }
    size_t rows() const { return order_.size(); }

private:
    sqlite3_stmt* prepare(const QByteArray& sql) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_, sql.constData(), -1, &st, nullptr);
        return st;
    }
    static void readAll(sqlite3_stmt* st) {
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                sqlite3_column_text(st, c);
        sqlite3_reset(st);
    }

    sqlite3* db_ = nullptr;
    sqlite3_stmt *shown_ = nullptr, *whole_ = nullptr, *mods_ = nullptr, *note_ = nullptr, *seek_ = nullptr;
    std::vector<qint64> order_;
    QHash<qint64, size_t> place_;
};

} // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bench::DataOptions o =
        bench::parseOptions(app.arguments().mid(1), "bench_list_speed [--employers N] [--state ST] [--dir DIR] [--mmap BYTES]");
    const bench::RealData data = bench::ensureRealData(o.dir, o.state, o.employers, 19);
    std::printf("data: %s, %d employers, made by velk-setup, velk-gen --seed 19 and velk-load\n",
                qPrintable(data.state), data.employers);
    std::printf("disk: %s\n", qPrintable(bench::describeDisk(data.database)));
    std::printf("%s\n", qPrintable(bench::describeLoad()));
    {
        // Qt's one-time costs (fonts, style) belong to no figure.
        QTableView warm;
        warm.show();
        warm.grab();
    }

    files::setProgramFolder(data.folder);
    dataset::setCurrent({data.state, dataset::defaultConnect(data.state)});
    const QString workspace = QDir(data.folder).filePath(QStringLiteral("INITIAL")) + u'/';
    // A search that selects every employer (each has an employee band) without the
    // "ALL RECORDS SELECTED" box.
    SQLPARAMETER all;
    all.SQLEXPR = all.SQLFIELD = QStringLiteral("EMPLOYEES");
    all.SQLFROM = QStringLiteral("0");
    all.SQLTHRU = QStringLiteral("9");
    QString error;
    if (!search::writeSearchFile(workspace + search::searchFileName(1),
                                 QStringLiteral("Everyone"), {all}, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    std::unique_ptr<VKLIST> opened;
    const double loadMs = timed([&] {
        opened = std::make_unique<VKLIST>();
        VKLIST& list = *opened;
        if (o.mmap >= 0) list.VELKDB->execute(QStringLiteral("PRAGMA mmap_size=%1").arg(o.mmap));
        list.CURPATH = workspace;
        list.resize(900, 700);
        list.show();
        list.SORT_SELECT(2);
        QCoreApplication::processEvents();
        list.grab();
    });
    VKLIST& list = *opened;
    if (o.mmap >= 0) std::printf("experiment: PRAGMA mmap_size=%lld on the list's connection\n", o.mmap);
    std::printf("\nall-records tab, %d rows; list opened in %.1f ms\n", o.employers, loadMs);

    struct Order {
        int column;
        const char* name;
        QByteArray keys;
        std::vector<const char*> texts;
    };
    const std::vector<Order> orders{
        {2,
         "company name (KEY2)",
         "NameSort, FILE, SEQUENCE",
         {"ALLIED", "MOORE", "SMITH", "YOUNG", "ZZ", "B"}},
        {3, "county (KEY3)", "CountySort, NameSort, FILE, SEQUENCE", {"ADAMS", "LUZERNE", "YORK", "ZZ", "C"}},
        {0, "file number (PRIMARY)", "FILE, SEQUENCE", {"1001", "5500000", "9855139", "99", "3"}},
    };
    constexpr int kPauseMs = 400;
    QTableView* all0 = list.TDBGrid1;
    const int screenRows = all0->viewport()->height() / all0->verticalHeader()->defaultSectionSize() + 1;
    RawFloor raw(data.database);
    for (const Order& order : orders) {
        std::printf(" order: %s\n", order.name);
        report("sort by this column", {timed([&] {
                   list.SORT_SELECT(order.column);
                   all0->viewport()->grab();
               })});
        std::printf("    (then %d ms of events, as the user's hand goes from the header to the keys)\n",
                    kPauseMs);
        userPause(kPauseMs);
        report("type-ahead, each keystroke", typeAhead(list, all0, order.texts));
        report("jump to a row anywhere (incl. first, last)",
               jumps(all0, [&](int row) { list.TDBGrid1->setCurrentRow(row); }, o.employers));
        report("next row after a jump", {timed([&] {
                   list.TDBGrid1->setCurrentRow(list.TDBGrid1->currentRow() + 1);
                   all0->viewport()->grab();
               })});
        std::vector<double> repaint;
        for (int i = 0; i < 9; ++i)
            repaint.push_back(timed([&] { all0->viewport()->grab(); }));
        report("baseline: the grid's repaint alone", repaint);
        report("baseline: raw SQLite, the pass over the index", {raw.readOrder(order.keys)});
        std::vector<double> rawTyping, rawJumps;
        for (const char* text : order.texts) {
            const QByteArray full(text);
            for (int n = 1; n <= full.size(); ++n)
                rawTyping.push_back(timed([&] { raw.type(full.left(n), screenRows); }));
        }
        report("baseline: raw SQLite, each keystroke", rawTyping);
        for (int row : jumpTargets(o.employers))
            rawJumps.push_back(timed([&] { raw.show(size_t(row), screenRows); }));
        report("baseline: raw SQLite, each jump", rawJumps);
    }

    list.SETTABS();
    QTableView* grid4 = list.TDBGrid4;
    const double tabMs = timed([&] {
        list.SSTab1->setCurrentIndex(1);
        grid4->viewport()->grab();
    });
    std::printf("\nsearch tab selecting every employer (%s rows), opened in %.1f ms\n",
                qPrintable(list.VIEWCOUNT->text()), tabMs);
    struct Sort {
        int column;
        const char* name;
        std::vector<const char*> texts;
    };
    const std::vector<Sort> sorts{
        {search::kColName, "Name", {"MOORE", "ALLIED", "YOUNG", "ZZ", "C"}},
        {search::kColFile, "File", {"5500000", "1001", "9855139", "99"}},
        {search::kColExpires, "Expires", {"06/15", "01/01", "12/31", "13", "03"}},
    };
    for (const Sort& s : sorts) {
        std::printf(" sorted by %s\n", s.name);
        report("sort by this column", {timed([&] {
                   list.SORTSRCH(s.column);
                   grid4->viewport()->grab();
               })});
        QStringList landed;
        report("type-ahead, each keystroke", typeAhead(list, grid4, s.texts, &landed));
        std::printf("    landed: %s\n", qPrintable(landed.join(QStringLiteral(", "))));
        report("jump to a row anywhere (incl. first, last)",
               jumps(grid4, [&](int row) { list.TDBGrid4->setCurrentRow(row); }, list.VIEWCOUNT->text().toInt()));
    }
    std::printf("\n%s at the end\n", qPrintable(bench::describeLoad()));
    list.Form_Unload();
    return 0;
}
