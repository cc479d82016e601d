#include "support/real_data.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace bench {

namespace {

[[noreturn]] void die(const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    std::exit(1);
}

QString tool(const QString& name) {
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (!QFileInfo(path).isExecutable()) die(QStringLiteral("%1 is missing: build the tools first").arg(path));
    return path;
}

void run(const QString& program, const QStringList& args) {
    std::printf("  %s %s\n", qPrintable(QFileInfo(program).fileName()), qPrintable(args.join(u' ')));
    std::fflush(stdout);
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedOutputChannel); // progress goes to stderr, quietly
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForStarted() || !p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit ||
        p.exitCode() != 0)
        die(QStringLiteral("%1 failed (exit code %2)").arg(program).arg(p.exitCode()));
}

// The tables and indexes of a database, to tell whether a cached one has the schema of today.
QString schemaOf(const QString& database) {
    sqlite3* db = nullptr;
    QString schema;
    if (sqlite3_open_v2(QFile::encodeName(database).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE sql IS NOT NULL ORDER BY name", -1, &st,
                               nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                schema += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) + u'\n';
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return schema;
}

// The schema velk-setup gives a new data set today.
QString currentSchema(const QString& dir, const QString& state) {
    QDir().mkpath(dir);
    QTemporaryDir fresh(QDir(dir).filePath(QStringLiteral("schema-XXXXXX")));
    QProcess p;
    p.start(tool(QStringLiteral("velk-setup")), {fresh.path()});
    p.waitForFinished(-1);
    return schemaOf(QDir(fresh.path()).filePath(QStringLiteral("VELK%1.MDB").arg(state)));
}

QString readText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
}

// Share of the file's pages in the page cache now.
double cachedShare(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0) return -1;
    struct stat st {};
    double share = -1;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        void* map = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (map != MAP_FAILED) {
            const long page = ::sysconf(_SC_PAGESIZE);
            const size_t pages = (size_t(st.st_size) + size_t(page) - 1) / size_t(page);
            std::vector<unsigned char> resident(pages);
            if (::mincore(map, size_t(st.st_size), resident.data()) == 0) {
                size_t in = 0;
                for (unsigned char r : resident)
                    in += r & 1;
                share = double(in) / double(pages);
            }
            ::munmap(map, size_t(st.st_size));
        }
    }
    ::close(fd);
    return share;
}

} // namespace

DataOptions parseOptions(const QStringList& args, const char* usage,
                         const std::function<bool(const QString&, const std::function<QString()>&)>& more) {
    auto fault = [usage] {
        std::fprintf(stderr, "usage: %s\n", usage);
        std::exit(2);
    };
    DataOptions o;
    o.dir = defaultDataDir();
    for (int i = 0; i < args.size(); ++i) {
        const std::function<QString()> value = [&]() -> QString {
            if (i + 1 >= args.size()) fault();
            return args[++i];
        };
        const QString& a = args[i];
        if (a == QLatin1String("--employers"))
            o.employers = value().toInt();
        else if (a == QLatin1String("--state"))
            o.state = value().toUpper();
        else if (a == QLatin1String("--dir"))
            o.dir = value();
        else if (a == QLatin1String("--mmap"))
            o.mmap = value().toLongLong();
        else if (!more || !more(a, value))
            fault();
    }
    if (o.employers <= 0) fault();
    return o;
}

QString defaultDataDir() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../bench-data"));
}

RealData ensureRealData(const QString& dir, const QString& state, int employers, quint64 seed) {
    RealData d;
    d.state = state.toUpper();
    d.employers = employers;
    d.folder = QDir(dir).absoluteFilePath(d.state.toLower() + QString::number(employers));
    d.database = QDir(d.folder).filePath(QStringLiteral("VELK%1.MDB").arg(d.state));
    const QString stampPath = QDir(d.folder).filePath(QStringLiteral("bench-stamp.txt"));
    const QString stamp = QStringLiteral("velk-gen --state %1 --employers %2 --seed %3; velk-load")
                              .arg(d.state)
                              .arg(employers)
                              .arg(seed);
    if (readText(stampPath) == stamp && QFileInfo::exists(d.database) &&
        schemaOf(d.database) == currentSchema(dir, d.state))
        return d;

    std::printf("building %s (kept for the next run):\n", qPrintable(d.folder));
    QElapsedTimer t;
    t.start();
    QDir(d.folder).removeRecursively();
    run(tool(QStringLiteral("velk-setup")), {d.folder});
    run(tool(QStringLiteral("velk-gen")), {QStringLiteral("--state"), d.state, QStringLiteral("--employers"),
                                           QString::number(employers), QStringLiteral("--seed"),
                                           QString::number(seed), QStringLiteral("--out"), d.folder});
    run(tool(QStringLiteral("velk-load")), {d.folder, d.state});
    QFile f(stampPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(stamp.toUtf8()) < 0)
        die(QStringLiteral("cannot write %1").arg(stampPath));
    d.built = true;
    d.buildSeconds = t.elapsed() / 1000.0;
    std::printf("  built in %.0f s\n", d.buildSeconds);
    return d;
}

QString variantCopy(const RealData& data, const QString& dir, const QString& name) {
    const QString folder = QDir(dir).absoluteFilePath(name);
    const QString copy = QDir(folder).filePath(QFileInfo(data.database).fileName());
    const QFileInfo src(data.database), dst(copy);
    if (dst.exists() && dst.lastModified() > src.lastModified()) return copy;
    QDir().mkpath(folder);
    QFile::remove(copy);
    QFile::remove(copy + QStringLiteral("-journal"));
    if (!QFile::copy(data.database, copy)) die(QStringLiteral("cannot copy %1 to %2").arg(data.database, copy));
    return copy;
}

QString describeDisk(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return QStringLiteral("(no file)");
    // The block device of the file system; a partition's queue settings are its disk's.
    const QString sysDev =
        QStringLiteral("/sys/dev/block/%1:%2").arg(major(st.st_dev)).arg(minor(st.st_dev));
    QString dev = QFileInfo(sysDev).canonicalFilePath();
    QString disk = dev;
    if (QFileInfo::exists(dev + QStringLiteral("/partition"))) disk = QFileInfo(dev).path();
    const QString name = QFileInfo(disk).fileName();
    const QString rotational = readText(disk + QStringLiteral("/queue/rotational"));
    QString model = readText(disk + QStringLiteral("/device/model"));
    if (model.isEmpty()) {
        const QString vendor = readText(disk + QStringLiteral("/device/vendor"));
        model = vendor == QLatin1String("0x1af4") ? QStringLiteral("virtio block device") : vendor;
    }
    const double sizeGb = readText(disk + QStringLiteral("/size")).toDouble() * 512 / 1e9;

    // The file system: the longest mount point that holds the file.
    QString fsType, mountPoint;
    QFile mounts(QStringLiteral("/proc/mounts"));
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (mounts.open(QIODevice::ReadOnly)) {
        QTextStream in(&mounts);
        for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
            const QStringList f = line.split(u' ');
            if (f.size() < 3) continue;
            const QString mp = f[1];
            const bool holds = canonical == mp || canonical.startsWith(mp.endsWith(u'/') ? mp : mp + u'/');
            if (holds && mp.size() >= mountPoint.size()) {
                mountPoint = mp;
                fsType = f[2];
            }
        }
    }
    const double memGb = double(::sysconf(_SC_PHYS_PAGES)) * double(::sysconf(_SC_PAGESIZE)) / 1e9;
    const double cached = cachedShare(path);
    return QStringLiteral("%1 on /dev/%2 (%3, %4 GB, %5), %6 file system at %7; %8 MB file, %9% of it in the "
                          "page cache at start; %10 GB of memory")
        .arg(QFileInfo(path).fileName(), name.isEmpty() ? QStringLiteral("?") : name,
             model.isEmpty() ? QStringLiteral("unknown model") : model)
        .arg(sizeGb, 0, 'f', 0)
        .arg(rotational == QLatin1String("0")   ? QStringLiteral("non-rotational")
             : rotational == QLatin1String("1") ? QStringLiteral("reported rotational")
                                                : QStringLiteral("rotation unknown"))
        .arg(fsType.isEmpty() ? QStringLiteral("unknown") : fsType, mountPoint)
        .arg(QFileInfo(path).size() / 1e6, 0, 'f', 0)
        .arg(cached < 0 ? QStringLiteral("?") : QString::number(cached * 100, 'f', 0))
        .arg(memGb, 0, 'f', 0);
}

QString describeLoad() {
    const QStringList f = readText(QStringLiteral("/proc/loadavg")).split(u' ');
    return QStringLiteral("load average %1 on %2 processors")
        .arg(f.value(0, QStringLiteral("?")))
        .arg(::sysconf(_SC_NPROCESSORS_ONLN));
}

} // namespace bench
