// Printing benchmark: the print run of the print options form on a data set of 10,000 employers
// made by velk-setup, velk-gen and velk-load, printed as the summary report and as laser labels
// into a PDF file through the application's printer. Prints for each: the seconds spent writing
// the report database and producing the output, pages per second, and the peak memory of the run.
//
// Usage: bench_print [--employers N] [--state ST] [--dir DIR]   (defaults: 10000, PA, build/bench-data)
#include "support/peak_memory.h"
#include "support/real_data.h"

#include "dataset/data_set.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/ui/printer.h"
#include "printing/print_run.h"
#include "printing/report_engine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

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

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (!args.contains(QStringLiteral("--employers")))
        args << QStringLiteral("--employers") << QStringLiteral("10000");
    if (!args.contains(QStringLiteral("--state"))) args << QStringLiteral("--state") << QStringLiteral("PA");
    const bench::DataOptions o =
        bench::parseOptions(args, "bench_print [--employers N] [--state ST] [--dir DIR]");
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

    QPrinter& printer = ui::applicationPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printing::ReportPrinter engine(nullptr);
    const std::pair<printing::PrintFormat, const char*> formats[] = {
        {printing::PrintFormat::Summary, "summary"},
        {printing::PrintFormat::LaserLabels, "laser labels"},
    };
    for (const auto& [format, name] : formats) {
        const QString pdf = work.filePath(QStringLiteral("%1.pdf").arg(int(format)));
        printer.setOutputFileName(pdf);
        Timing timing;
        bench::resetPeak();
        timing.clock.start();
        const bool printed = printing::runPrint({format, printing::PrintSort::Name, false, 1}, search,
                                                dataSet, data.folder, engine, timing);
        const double seconds = timing.clock.elapsed() / 1000.0;
        const double output = seconds - timing.lastWritten / 1000.0;
        const int pages = pdfPages(pdf);
        if (!printed || pages <= 0) {
            std::fprintf(stderr, "bench_print: the %s run printed nothing\n", name);
            return 1;
        }
        std::printf("%-13s %6lld employers  %6d pages  %6.2f s (rows %.2f s, output %.2f s)  %7.1f pages/s  "
                    "peak %.0f MB\n",
                    name, timing.count, pages, seconds, seconds - output, output, pages / seconds,
                    bench::peakMegabytes());
    }
    return 0;
}
