#include "download1/fetch.h"

#include "platform/files/folders.h"
#include "platform/net/download.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace download1 {

namespace {

// A list longer than this is not a list of archive names.
constexpr qint64 kMaxIndexBytes = 64 * 1024;

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

// Removes the hidden staging folder however the run ends.
struct StagingFolder {
    QString path;
    ~StagingFolder() {
        if (!path.isEmpty()) QDir(path).removeRecursively();
    }
};

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

    QByteArray stagingName = QFile::encodeName(files::joinPath(sourceFolder, QStringLiteral(".velk-download-XXXXXX")));
    if (!::mkdtemp(stagingName.data()))
        return failed(QStringLiteral("No files can be written in the folder %1 (%2).").arg(sourceFolder, systemText(errno)));
    StagingFolder staging{QFile::decodeName(stagingName)};

    QString error;
    auto fetch = [&](const QString& name) {
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
        const QString url = urlOf(location, name);
        if (options.log) options.log(QStringLiteral("Fetching %1").arg(url));
        const net::DownloadResult r = net::downloadFile(url, files::joinPath(staging.path, name), o);
        if (stopped())
            error = QStringLiteral("The download was stopped before it finished.");
        else if (!r.ok)
            error = r.error;
        return r.ok && !stopped();
    };

    if (!fetch(kIndexFile))
        return failed(stopped() ? error : QStringLiteral("The list of update archives cannot be fetched. ") + error);
    QFile indexFile(files::joinPath(staging.path, kIndexFile));
    if (indexFile.size() > kMaxIndexBytes || !indexFile.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("%1 is not a list of update archives.").arg(urlOf(location, kIndexFile)));
    const Parsed index = parseIndex(indexFile.readAll());
    indexFile.close();
    if (!index.error.isEmpty())
        return failed(QStringLiteral("The list of update archives %1 cannot be used: %2.")
                          .arg(urlOf(location, kIndexFile), index.error));

    for (const QString& name : index.names)
        if (!fetch(name)) return failed(error);

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
