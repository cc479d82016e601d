// Data for the benchmarks made the way users get theirs: a program folder created by velk-setup, a
// release written by velk-gen and loaded by velk-load, so the rows are as wide as real ones. The
// folder is kept and reused while it was made with the same arguments and has the schema that
// velk-setup gives today; otherwise it is built again.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace bench {

struct RealData {
    QString folder;   // the program folder
    QString database; // its VELK<st>.MDB
    QString state;
    int employers = 0;
    bool built = false; // made by this run (not reused)
    double buildSeconds = 0;
};

// The options every benchmark on real data takes: --employers N (500000), --state ST (PM, the data
// set with merit classes), --dir DIR (defaultDataDir()) and --mmap BYTES (an experiment: PRAGMA
// mmap_size on the program's connection; -1 leaves it alone).
struct DataOptions {
    int employers = 500000;
    QString state = QStringLiteral("PM");
    QString dir;
    qint64 mmap = -1;
};

// Reads args into options; any other option goes to more (given the option and a function that
// takes its value), which returns false for one it does not know. Prints usage and exits on a fault.
DataOptions parseOptions(const QStringList& args, const char* usage,
                         const std::function<bool(const QString&, const std::function<QString()>&)>& more = {});

// build/bench-data beside the folder of the running benchmark.
QString defaultDataDir();

// The program folder <dir>/<st lower><employers>, made when missing or made with other arguments.
// Exits the process with a message when a tool fails.
RealData ensureRealData(const QString& dir, const QString& state, int employers, quint64 seed);

// A copy of data's database under <dir>/<name>/ for changes that must not reach the cached one;
// reused while the source is unchanged. The copy keeps the file name, so one folder holds one.
QString variantCopy(const RealData& data, const QString& dir, const QString& name);

// One line naming what holds the file: device, model, rotational or not, file system, and how much
// of the machine's memory could cache it.
QString describeDisk(const QString& path);

// The machine's load average over the last minute and its number of processors, for the reader to
// judge how busy it was while the figures were taken.
QString describeLoad();

} // namespace bench
