// List form speed on real data (a data set built by velk-setup, velk-gen and velk-load): on the
// all-records tab, for each of its orders, the type-ahead and jumps to rows anywhere in the list;
// on a search tab that selects every employer, the type-ahead for each sort the tab offers. Each
// figure includes the grid's repaint.
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
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTabBar>
#include <QTableView>

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

std::vector<double> jumps(QTableView* grid, const std::function<void(int)>& setRow, int rows) {
    std::vector<double> ms;
    QRandomGenerator rng(7);
    std::vector<int> targets{rows - 1, 0, rows / 2, rows - 2};
    for (int i = 0; i < 12; ++i)
        targets.push_back(int(rng.bounded(rows)));
    for (int row : targets) {
        ms.push_back(timed([&] {
            setRow(row);
            grid->viewport()->grab();
        }));
    }
    return ms;
}

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
        std::vector<const char*> texts;
    };
    const std::vector<Order> orders{
        {2, "company name (KEY2)", {"ALLIED", "MOORE", "SMITH", "YOUNG", "ZZ", "B"}},
        {3, "county (KEY3)", {"ADAMS", "LUZERNE", "YORK", "ZZ", "C"}},
        {0, "file number (PRIMARY)", {"1001", "5500000", "9855139", "99", "3"}},
    };
    QTableView* all0 = list.TDBGrid1;
    for (const Order& order : orders) {
        std::printf(" order: %s\n", order.name);
        report("sort by this column", {timed([&] {
                   list.SORT_SELECT(order.column);
                   all0->viewport()->grab();
               })});
        report("type-ahead, each keystroke", typeAhead(list, all0, order.texts));
        report("jump to a row anywhere (incl. first, last)",
               jumps(all0, [&](int row) { list.TDBGrid1->setCurrentRow(row); }, o.employers));
        report("next row after a jump", {timed([&] {
                   list.TDBGrid1->setCurrentRow(list.TDBGrid1->currentRow() + 1);
                   all0->viewport()->grab();
               })});
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
