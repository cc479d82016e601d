#include "download1/fetch.h"

#include "platform/files/folders.h"
#include "platform/net/download.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace download1 {

namespace {

// A list longer than this is not a list of archive names.
constexpr qint64 kMaxIndexBytes = 64 * 1024;
// Far more than any update archive holds.
constexpr qint64 kMaxArchiveBytes = qint64(4) << 30;

const QString kStagingPrefix = QStringLiteral(".velk-download-");
// Inside a staging folder, locked by its run for as long as the run lives; the kernel drops the
// lock with the run, however it ends.
const QString kOwnerFile = QStringLiteral(".owner");
// A staging folder without an owner file was left by a run killed as it began, or by an older
// downloader; once older than any run lasts, it is nobody's.
constexpr qint64 kOwnerlessStaleSeconds = 3600;

// Lines of a text file written on any system, without a byte-order mark.
QStringList linesOf(QByteArray text) {
    if (text.startsWith("\xEF\xBB\xBF")) text.remove(0, 3);
    QStringList lines;
    for (const QByteArray& line : text.split('\n'))
        lines.append(QString::fromUtf8(line).trimmed());
    return lines;
}

bool isComment(const QString& line) {
    return line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'));
}

Outcome failed(const QString& message) {
    Outcome out;
    out.message = message;
    return out;
}

QString systemText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// "97.7 kB", "4.0 GB".
QString sizeText(qint64 bytes) {
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// The hidden folder a run fetches into, removed however the run ends.
struct StagingFolder {
    QString path;
    int owner = -1;
    ~StagingFolder() {
        if (!path.isEmpty()) QDir(path).removeRecursively();
        if (owner >= 0) ::close(owner);
    }
};

// The open owner file of a staging folder, locked; -1 when it cannot be opened or another run holds it.
int lockedOwner(const QString& file, int flags) {
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | flags, 0600);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Claims a new staging folder for this run. The owner file appears under its name only once locked,
// so another run never finds it unlocked while this one lives.
bool claimStaging(StagingFolder& staging) {
    const QString fresh = files::joinPath(staging.path, kOwnerFile + QStringLiteral(".new"));
    staging.owner = lockedOwner(fresh, O_CREAT | O_EXCL);
    return staging.owner >= 0 &&
           ::rename(QFile::encodeName(fresh).constData(),
                    QFile::encodeName(files::joinPath(staging.path, kOwnerFile)).constData()) == 0;
}

// Removes the staging folders in folder that runs no longer running have left.
void removeStaleStaging(const QString& folder) {
    const QFileInfoList found =
        QDir(folder).entryInfoList({kStagingPrefix + QLatin1Char('*')},
                                   QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QFileInfo& dir : found) {
        const QString owner = files::joinPath(dir.absoluteFilePath(), kOwnerFile);
        struct stat st;
        int fd = -1;
        if (::lstat(QFile::encodeName(owner).constData(), &st) == 0) {
            fd = lockedOwner(owner, 0);
            if (fd < 0) continue; // its run is still going
        } else if (dir.lastModified().secsTo(QDateTime::currentDateTime()) < kOwnerlessStaleSeconds) {
            continue;
        }
        QDir(dir.absoluteFilePath()).removeRecursively();
        if (fd >= 0) ::close(fd);
    }
}

} // namespace

Parsed parseSettings(const QByteArray& text) {
    Parsed p;
    for (const QString& line : linesOf(text)) {
        if (line.isEmpty() || isComment(line) || line.startsWith(QLatin1Char('['))) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || line.left(eq).trimmed().compare(QLatin1String("Location"), Qt::CaseInsensitive) != 0) continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2).trimmed();
        if (value.isEmpty())
            p.error = QStringLiteral("has an empty Location");
        else if (!net::isSupportedUrl(value))
            p.error = QStringLiteral("has a Location that is not an http://, https:// or file:// URL (%1)").arg(value);
        else
            p.location = value;
        return p;
    }
    p.error = QStringLiteral("has no Location= line");
    return p;
}

Parsed parseIndex(const QByteArray& text) {
    static const QRegularExpression archiveName(QStringLiteral("^VELK[A-Z0-9_-]*\\.ZIP$"),
                                                QRegularExpression::CaseInsensitiveOption);
    Parsed p;
    auto refuse = [&](const QString& why) {
        p.names.clear();
        p.error = why;
        return p;
    };
    QSet<QString> seen;
    const QStringList lines = linesOf(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.isEmpty() || isComment(line)) continue;
        if (!archiveName.match(line).hasMatch())
            return refuse(QStringLiteral("line %1 (\"%2\") is not an archive name of the form VELK*.ZIP").arg(i + 1).arg(line));
        if (seen.contains(line.toUpper()))
            return refuse(QStringLiteral("line %1 names %2 a second time").arg(i + 1).arg(line));
        seen.insert(line.toUpper());
        p.names.append(line);
    }
    if (p.names.isEmpty()) return refuse(QStringLiteral("it names no archive"));
    if (p.names.size() > kMaxArchives)
        return refuse(QStringLiteral("it names %1 archives; at most %2 can be installed at once")
                          .arg(p.names.size())
                          .arg(kMaxArchives));
    return p;
}

Parsed readSettings(const QString& programFolder) {
    const QString path = files::findFileNoCase(programFolder, kSettingsFile);
    QFile file(path);
    Parsed p;
    if (!file.exists())
        p.error = QStringLiteral("%1 does not exist").arg(path);
    else if (!file.open(QIODevice::ReadOnly))
        p.error = QStringLiteral("%1 cannot be read (%2)").arg(path, file.errorString());
    else {
        p = parseSettings(file.read(kMaxIndexBytes));
        if (!p.error.isEmpty()) p.error = path + QLatin1Char(' ') + p.error;
    }
    return p;
}

QString urlOf(const QString& location, const QString& name) {
    return location.endsWith(QLatin1Char('/')) ? location + name : location + QLatin1Char('/') + name;
}

Outcome fetchUpdate(const QString& location, const QString& sourceFolder, const FetchOptions& options) {
    if (!QFileInfo(sourceFolder).isDir())
        return failed(QStringLiteral("The folder %1 for the update archives does not exist.").arg(sourceFolder));
    const QDeadlineTimer deadline(qint64(options.deadline) * 1000);
    auto stopped = [&] { return options.stopRequested && options.stopRequested(); };

    removeStaleStaging(sourceFolder);
    QByteArray stagingName =
        QFile::encodeName(files::joinPath(sourceFolder, kStagingPrefix + QStringLiteral("XXXXXX")));
    if (!::mkdtemp(stagingName.data()))
        return failed(QStringLiteral("No files can be written in the folder %1 (%2).").arg(sourceFolder, systemText(errno)));
    StagingFolder staging{QFile::decodeName(stagingName)};
    if (!claimStaging(staging))
        return failed(QStringLiteral("No files can be written in the folder %1 (%2).")
                          .arg(staging.path, systemText(errno)));

    QString error;
    auto fetch = [&](const QString& name, qint64 maxBytes, const QString& tooLarge) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0) {
            error = QStringLiteral("The download did not finish within %1 seconds.").arg(options.deadline);
            return false;
        }
        net::DownloadOptions o;
        o.connectTimeout = options.connectTimeout;
        o.stallTimeout = options.stallTimeout;
        o.totalTimeout = int((left + 999) / 1000);
        o.progress = [&](qint64, qint64) { return !stopped(); };
        o.maxBytes = maxBytes;
        o.tooLarge = tooLarge;
        const QString url = urlOf(location, name);
        if (options.log) options.log(QStringLiteral("Fetching %1").arg(url));
        const net::DownloadResult r = net::downloadFile(url, files::joinPath(staging.path, name), o);
        if (stopped())
            error = QStringLiteral("The download was stopped before it finished.");
        else if (!r.ok)
            error = r.error;
        return r.ok && !stopped();
    };

    if (!fetch(kIndexFile, kMaxIndexBytes,
               QStringLiteral("%1, more than a list of update archives holds").arg(sizeText(kMaxIndexBytes))))
        return failed(stopped() ? error : QStringLiteral("The list of update archives cannot be fetched. ") + error);
    QFile indexFile(files::joinPath(staging.path, kIndexFile));
    if (!indexFile.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("%1 is not a list of update archives.").arg(urlOf(location, kIndexFile)));
    const Parsed index = parseIndex(indexFile.readAll());
    indexFile.close();
    if (!index.error.isEmpty())
        return failed(QStringLiteral("The list of update archives %1 cannot be used: %2.")
                          .arg(urlOf(location, kIndexFile), index.error));

    for (const QString& name : index.names) {
        // What the archives before it took is no longer free.
        const qint64 free = files::freeSpace(staging.path);
        const qint64 room = free < 0 ? kMaxArchiveBytes : free - options.spareBytes;
        if (room <= 0)
            return failed(
                QStringLiteral("There is no room for %1 in the folder %2: %3 are free, and %4 are kept "
                               "free.")
                    .arg(name, sourceFolder, sizeText(free), sizeText(options.spareBytes)));
        const QString tooLarge =
            room < kMaxArchiveBytes
                ? QStringLiteral("the %1 that can be used in the folder %2 (%3 are kept free)")
                      .arg(sizeText(room), sourceFolder, sizeText(options.spareBytes))
                : QStringLiteral("%1, more than an update archive holds").arg(sizeText(kMaxArchiveBytes));
        if (!fetch(name, std::min(room, kMaxArchiveBytes), tooLarge)) return failed(error);
    }

    // Every archive is whole: only now do they appear in the source folder.
    Outcome out;
    for (const QString& name : index.names) {
        const QString target = files::findFileNoCase(sourceFolder, name);
        if (::rename(QFile::encodeName(files::joinPath(staging.path, name)).constData(),
                     QFile::encodeName(target).constData()) != 0) {
            QString message = QStringLiteral("%1 cannot be placed in %2 (%3).").arg(name, sourceFolder, systemText(errno));
            if (!out.archives.isEmpty())
                message += QStringLiteral(" Placed before it: %1.").arg(out.archives.join(QStringLiteral(", ")));
            return failed(message);
        }
        out.archives.append(target);
    }
    const int dfd = ::open(QFile::encodeName(sourceFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    out.ok = true;
    out.message = QStringLiteral("%1 downloaded from %2 into %3: %4.")
                      .arg(index.names.size() == 1 ? QStringLiteral("1 update archive")
                                                   : QStringLiteral("%1 update archives").arg(index.names.size()),
                           location, sourceFolder, index.names.join(QStringLiteral(", ")));
    return out;
}

Outcome run(const QString& programFolder, const QString& sourceFolder, const FetchOptions& options) {
    const Parsed settings = readSettings(programFolder);
    if (!settings.error.isEmpty())
        return failed(QStringLiteral("The download location is not set: %1.").arg(settings.error));
    return fetchUpdate(settings.location, sourceFolder, options);
}

QByteArray doneText(const Outcome& outcome) {
    return (outcome.ok ? QByteArrayLiteral("OK\n") : QByteArrayLiteral("FAILED\n")) + outcome.message.toUtf8() + '\n';
}

} // namespace download1
