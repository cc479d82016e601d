// Printing benchmark on a data set made by velk-setup, velk-gen and velk-load (10,000 employers):
// - the print run of the print options form printing the summary report and laser labels into a
//   PDF file through the application's printer: seconds (writing the report database, then the
//   output), pages per second and peak memory, beside the bare Qt floor: a plain Qt program drawing
//   the same pages onto the same kind of printer, timed in the same run;
// - one employer's long note printed as the detail report: seconds against the note's length for
//   words, CJK text without blanks, short lines and letters without a blank, beside the bare Qt
//   floor of the same pages. Time that grows with the length, not its square, keeps the seconds
//   per 100,000 characters level;
// - the summary of a larger data set (100,000 employers) to the window: how soon the preview shows
//   its first page, how soon it has counted its pages, and the longest the window went unpainted.
//
// Usage: bench_print [--employers N] [--state ST] [--dir DIR] [--preview M]
//        (defaults: 10000, PA, build/bench-data, 100000; --preview 0 leaves the preview out)
#include "support/peak_memory.h"
#include "support/real_data.h"

#include "dataset/data_set.h"
#include "dataset/report_database.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/report/layout.h"
#include "platform/report/preview.h"
#include "platform/report/report.h"
#include "platform/ui/printer.h"
#include "printing/print_run.h"
#include "printing/report_engine.h"
#include "printing/report_files.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

int pdfPages(const QString& file) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {file});
    p.waitForFinished(60000);
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s*(\\d+)"))
                                          .match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Notes when the last employer was written: the rest of the run is the output.
struct Timing : printing::PrintProgress {
    QElapsedTimer clock;
    qint64 lastWritten = 0;
    long long count = 0;
    void gathering(long long) override {}
    void written(long long n) override {
        count = n;
        lastWritten = clock.elapsed();
    }
};

// The pages the run printed, laid out again from the working copy it left.
QVector<report::Page> pagesOfRun(printing::PrintFormat format, const dataset::DataSet& dataSet,
                                 const QString& title) {
    report::Report r = printing::openReportFile(printing::reportFileFor(format, dataSet));
    r.setTableLocation(1, dataset::workingCopyPath());
    if (format == printing::PrintFormat::Detail) r.setTableLocation(2, dataset::workingCopyPath());
    if (format == printing::PrintFormat::Detail || format == printing::PrintFormat::Summary) {
        r.setFormula(QStringLiteral("SEARCHNAME"), title);
        r.setFormula(QStringLiteral("STATE"), dataSet.code);
    }
    r.addSortField(printing::sortFieldFor(printing::PrintSort::Name));
    return report::layoutAll(*r.read());
}

// The bare Qt floor: pages laid out beforehand, drawn with plain QPainter calls onto a printer like
// the application's (one QFont made per font, set when it changes). Seconds.
double bareQtSeconds(const QVector<report::Page>& pages, const QString& pdf) {
    QElapsedTimer clock;
    clock.start();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(pages.first().paper, QPageSize::Point));
    QPainter painter(&printer);
    const qreal scale = printer.logicalDpiX() / 72.0;
    QHash<QString, QFont> fonts;
    QPen pen(Qt::black);
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0) printer.newPage();
        for (const report::Rule& r : pages[i].rules) {
            pen.setWidthF(r.width * scale);
            painter.setPen(pen);
            painter.drawLine(QLineF(r.line.p1() * scale, r.line.p2() * scale));
        }
        painter.setPen(Qt::black);
        QString current;
        for (const report::TextRun& t : pages[i].texts) {
            const QString key = QStringLiteral("%1/%2/%3/%4")
                                    .arg(t.font.family)
                                    .arg(t.font.size)
                                    .arg(t.font.bold)
                                    .arg(t.font.italic);
            if (key != current) {
                auto it = fonts.find(key);
                if (it == fonts.end()) {
                    QFont f = report::makeFont(t.font);
                    f.setPointSizeF(t.font.size * scale * 72.0 / printer.logicalDpiY());
                    it = fonts.insert(key, f);
                }
                painter.setFont(*it);
                current = key;
            }
            painter.drawText(t.origin * scale, t.text);
        }
    }
    painter.end();
    return clock.elapsed() / 1000.0;
}

struct Run {
    bool printed = false;
    double seconds = 0, rows = 0;
    long long employers = 0;
};

Run printRun(printing::PrintFormat format, const printing::SearchToPrint& search,
             const dataset::DataSet& dataSet, const QString& folder, const QString& pdf) {
    QPrinter& printer = ui::applicationPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QFile::remove(pdf);
    printing::ReportPrinter engine(nullptr);
    Timing timing;
    timing.clock.start();
    Run run;
    run.printed = printing::runPrint({format, printing::PrintSort::Name, false, 1}, search, dataSet, folder,
                                     engine, timing);
    run.seconds = timing.clock.elapsed() / 1000.0;
    run.rows = timing.lastWritten / 1000.0;
    run.employers = timing.count;
    return run;
}

// A note of about length characters of one kind.
QString noteOf(const QString& kind, int length) {
    QString note;
    note.reserve(length + 16);
    for (int i = 0; note.size() < length; ++i) {
        if (kind == QLatin1String("words"))
            note += QStringLiteral("word%1 ").arg(i % 1000);
        else if (kind == QLatin1String("CJK"))
            note += QChar(0x4E00 + i % 2000);
        else if (kind == QLatin1String("lines"))
            note += QStringLiteral("line %1\r\n").arg(i % 1000);
        else
            note += QChar('a' + i % 26);
    }
    return note;
}

void copyFile(const QString& from, const QString& to) {
    QFile::remove(to);
    if (!QFile::copy(from, to)) {
        std::fprintf(stderr, "bench_print: cannot copy %s\n", qPrintable(from));
        std::exit(1);
    }
}

// The summary of a larger data set to the window, as the print options form runs it (turning the
// event loop a few times a second while it writes). A timer ticking every 10 ms tells the longest
// time the event loop did not turn: how long the window went unpainted.
void previewRun(const bench::DataOptions& o, int employers, const QString& privateFolder) {
    const bench::RealData data = bench::ensureRealData(o.dir, o.state, employers, 11);
    files::setProgramFolder(data.folder);
    files::setTempDirOverride(privateFolder);
    const dataset::DataSet dataSet{data.state, dataset::defaultConnect(data.state)};
    const printing::SearchToPrint search{QStringLiteral("SELECT * FROM PRIME ORDER BY NAME1"),
                                         QStringLiteral("Benchmark"), data.employers};
    struct Painting : Timing {
        qint64 shown = 0;
        void written(long long n) override {
            Timing::written(n);
            if (clock.elapsed() - shown < 100) return;
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            shown = clock.elapsed();
        }
    } timing;
    qint64 lastTick = 0, longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, timing.clock.elapsed() - lastTick);
        lastTick = timing.clock.elapsed();
    });
    tick.start(10);
    QWidget mainWindow;
    printing::ReportPrinter engine(&mainWindow);
    timing.clock.start();
    if (!printing::runPrint({printing::PrintFormat::Summary, printing::PrintSort::Name, true, 1}, search,
                            dataSet, data.folder, engine, timing)) {
        std::fprintf(stderr, "bench_print: the preview run showed nothing\n");
        return;
    }
    const double shown = timing.clock.elapsed() / 1000.0;
    report::PreviewWindow* preview = mainWindow.findChild<report::PreviewWindow*>();
    while (preview && preview->counting())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    longest = std::max(longest, timing.clock.elapsed() - lastTick);
    std::printf(
        "\nsummary of %d employers to the window: rows %.2f s, first page shown after %.2f s, %d pages "
        "counted after %.2f s; the event loop stood still for %.2f s at the most\n",
        data.employers, timing.lastWritten / 1000.0, shown, preview ? preview->pageCount() : 0,
        timing.clock.elapsed() / 1000.0, longest / 1000.0);
    delete preview;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (!args.contains(QStringLiteral("--employers")))
        args << QStringLiteral("--employers") << QStringLiteral("10000");
    if (!args.contains(QStringLiteral("--state"))) args << QStringLiteral("--state") << QStringLiteral("PA");
    int previewEmployers = 100000;
    const bench::DataOptions o =
        bench::parseOptions(args, "bench_print [--employers N] [--state ST] [--dir DIR] [--preview M]",
                            [&](const QString& a, const std::function<QString()>& value) {
                                if (a != QLatin1String("--preview")) return false;
                                previewEmployers = std::max(0, value().toInt());
                                return true;
                            });
    const bench::RealData data = bench::ensureRealData(o.dir, o.state, o.employers, 11);
    std::printf("data: %d employers of %s in %s%s\n%s\n", data.employers, qPrintable(data.state),
                qPrintable(data.folder), data.built ? " (built now)" : "", qPrintable(bench::describeLoad()));

    QTemporaryDir work;
    files::setProgramFolder(data.folder);
    files::setTempDirOverride(work.filePath(QStringLiteral("private")));
    const dataset::DataSet dataSet{data.state, dataset::defaultConnect(data.state)};
    const long long count = dao::Database::open(data.database, false, true, dataSet.connect)
                                ->scalar(QStringLiteral("SELECT COUNT(*) FROM PRIME"))
                                .toLongLong();
    const printing::SearchToPrint search{QStringLiteral("SELECT * FROM PRIME ORDER BY NAME1"),
                                         QStringLiteral("Benchmark"), count};
    const QString floorPdf = work.filePath(QStringLiteral("floor.pdf"));

    const std::pair<printing::PrintFormat, const char*> formats[] = {
        {printing::PrintFormat::Summary, "summary"},
        {printing::PrintFormat::LaserLabels, "laser labels"},
    };
    // Best of three, the run and the floor taken in turn: the machine may be busy with other work.
    constexpr int kRounds = 3;
    for (const auto& [format, name] : formats) {
        const QString pdf = work.filePath(QStringLiteral("%1.pdf").arg(int(format)));
        Run best;
        double floor = 0, peak = 0;
        for (int round = 0; round < kRounds; ++round) {
            bench::resetPeak();
            const Run run = printRun(format, search, dataSet, data.folder, pdf);
            peak = std::max(peak, bench::peakMegabytes());
            if (!run.printed || pdfPages(pdf) <= 0) {
                std::fprintf(stderr, "bench_print: the %s run printed nothing\n", name);
                return 1;
            }
            if (round == 0 || run.seconds < best.seconds) best = run;
            const double f = bareQtSeconds(pagesOfRun(format, dataSet, search.title), floorPdf);
            floor = round == 0 ? f : std::min(floor, f);
        }
        const int pages = pdfPages(pdf);
        std::printf("%-13s %6lld employers  %6d pages  %6.2f s (rows %.2f s, output %.2f s)  %7.1f pages/s  "
                    "peak %.0f MB\n",
                    name, best.employers, pages, best.seconds, best.rows, best.seconds - best.rows,
                    pages / best.seconds, peak);
        std::printf(
            "%-13s bare Qt drawing the same pages: %.2f s; the run takes %.2fx that (best of %d each)\n", "",
            floor, best.seconds / floor, kRounds);
    }

    if (previewEmployers > 0) previewRun(o, previewEmployers, work.filePath(QStringLiteral("private")));

    // One employer with a long note, in a program folder of its own so the shared data stays as it is.
    const QString notes = work.filePath(QStringLiteral("notes"));
    QDir().mkpath(notes);
    const QString database = QDir(notes).filePath(QFileInfo(data.database).fileName());
    copyFile(data.database, database);
    for (const QString& f :
         QDir(data.folder).entryList({QStringLiteral("*.RPT"), QStringLiteral("REPORT.MDB")}))
        copyFile(QDir(data.folder).filePath(f), QDir(notes).filePath(f));
    files::setProgramFolder(notes);
    const QVariant file = dao::Database::open(database, false, true, dataSet.connect)
                              ->scalar(QStringLiteral("SELECT FILE FROM PRIME ORDER BY FILE"));
    const printing::SearchToPrint one{
        QStringLiteral("SELECT * FROM PRIME WHERE FILE = '%1' AND SEQUENCE = '01'").arg(file.toString()),
        QStringLiteral("Long note"), 1};
    std::printf("\nlong note printed as one employer's detail report\n%-7s %9s %6s %8s %10s %8s %6s\n",
                "note", "chars", "pages", "seconds", "s/100K ch", "bare Qt", "ratio");
    for (const char* kind : {"words", "CJK", "lines", "letters"}) {
        for (const int length : {65536, 262144, 1048576}) {
            {
                std::unique_ptr<dao::Database> db =
                    dao::Database::open(database, false, false, dataSet.connect);
                db->executeBound(QStringLiteral("DELETE FROM NOTES WHERE FILE = ?"), {file});
                db->executeBound(
                    QStringLiteral("INSERT INTO NOTES (FILE, SEQUENCE, NOTES) VALUES (?, '01', ?)"),
                    {file, noteOf(QString::fromLatin1(kind), length)});
            }
            const QString pdf = work.filePath(QStringLiteral("note.pdf"));
            const Run run = printRun(printing::PrintFormat::Detail, one, dataSet, notes, pdf);
            const int pages = pdfPages(pdf);
            const double floor =
                bareQtSeconds(pagesOfRun(printing::PrintFormat::Detail, dataSet, one.title), floorPdf);
            std::printf("%-7s %9d %6d %8.2f %10.3f %8.2f %6.2f%s\n", kind, length, pages, run.seconds,
                        run.seconds * 100000.0 / length, floor, run.seconds / floor,
                        run.printed ? "" : "  (not printed)");
        }
    }
    return 0;
}
