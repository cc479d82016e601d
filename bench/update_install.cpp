// Update install benchmark: one archive of many small program files, installed by the archive
// installer into an empty program folder, beside the floor of extracting the same archive with
// libzip alone: each entry read and written, without checks (bare), and also flushed and renamed
// into place as a replacement must be (flushed). Run at N/2 and N entries, so a time that grows
// faster than the entries shows.
//
// Usage: bench_update_install [ENTRIES]   (default 8000)
#include "maintenance/archive_installer.h"
#include "platform/archive/zip_archive.h"
#include "platform/ui/msgbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

namespace {

[[noreturn]] void die(const QString& what) {
    std::fprintf(stderr, "bench_update_install: %s\n", qPrintable(what));
    std::exit(1);
}

void writeArchive(const QString& path, int entries) {
    int code = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!za) die(QStringLiteral("cannot create %1").arg(path));
    static const char data[] = "a small program file\n";
    for (int i = 0; i < entries; ++i) {
        zip_source_t* source = zip_source_buffer(za, data, sizeof data - 1, 0);
        const QByteArray name = "PART" + QByteArray::number(i).rightJustified(5, '0') + ".DAT";
        if (zip_file_add(za, name.constData(), source, ZIP_FL_ENC_RAW) < 0)
            die(QString::fromUtf8(zip_strerror(za)));
    }
    if (zip_close(za) != 0) die(QStringLiteral("cannot write %1").arg(path));
}

// The floor: every entry read and written under its name; flushed, each is written under another
// name, flushed, renamed and its folder flushed.
double rawExtract(const QString& archivePath, const QString& folder, bool flushed) {
    QElapsedTimer t;
    t.start();
    int code = 0;
    zip_t* za = zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY, &code);
    if (!za) die(QStringLiteral("cannot open %1").arg(archivePath));
    char buffer[65536];
    for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
        zip_file_t* in = zip_fopen_index(za, zip_uint64_t(i), 0);
        const QString path =
            folder + QLatin1Char('/') + QString::fromUtf8(zip_get_name(za, zip_uint64_t(i), 0));
        QFile out(flushed ? path + QStringLiteral(".new") : path);
        if (!in || !out.open(QIODevice::WriteOnly)) die(QStringLiteral("raw extraction failed"));
        for (zip_int64_t n; (n = zip_fread(in, buffer, sizeof buffer)) > 0;)
            out.write(buffer, n);
        zip_fclose(in);
        if (!flushed) continue;
        out.flush();
        ::fsync(out.handle());
        out.close();
        ::rename(QFile::encodeName(out.fileName()).constData(), QFile::encodeName(path).constData());
        const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
        ::fsync(dir);
        ::close(dir);
    }
    zip_discard(za);
    return t.elapsed() / 1000.0;
}

class QuietHost : public maintenance::InstallHost {
public:
    void status(const QString&) override {}
    void progress(const archive::Progress&) override {}
    void doEvents() override {}
    void closeListForm() override {}
};

void run(int entries) {
    QTemporaryDir tmp;
    const QString archivePath = tmp.filePath(QStringLiteral("VELK1.ZIP"));
    writeArchive(archivePath, entries);
    const QString bare = tmp.filePath(QStringLiteral("bare")),
                  flushed = tmp.filePath(QStringLiteral("flushed"));
    const QString program = tmp.filePath(QStringLiteral("program"));
    for (const QString& folder : {bare, flushed, program})
        QDir().mkpath(folder);

    const double bareFloor = rawExtract(archivePath, bare, false);
    const double flushedFloor = rawExtract(archivePath, flushed, true);
    QuietHost host;
    QElapsedTimer t;
    t.start();
    const maintenance::InstallReport report = maintenance::installArchives({archivePath}, program, host);
    const double seconds = t.elapsed() / 1000.0;
    if (report.installed.size() != 1)
        die(QStringLiteral("the archive of %1 entries was not installed").arg(entries));
    std::printf("%6d entries: installer %7.2f s   libzip floor: bare %6.2f s, flushed %6.2f s\n", entries,
                seconds, bareFloor, flushedFloor);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int entries = argc > 1 ? std::atoi(argv[1]) : 8000;
    ui::setMsgBoxHandler([](const QString& prompt, int, const QString&) {
        std::fprintf(stderr, "(box) %s\n", qPrintable(prompt));
        return int(ui::vbOK);
    });
    run(entries / 2);
    run(entries);
    return 0;
}
