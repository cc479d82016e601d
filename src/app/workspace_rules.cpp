#include "app/workspace_rules.h"

#include "platform/files/atomic_file.h"
#include "platform/files/bounded_read.h"
#include "platform/files/folders.h"
#include "platform/files/quoted_line.h"
#include "platform/files/win1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace velk {

namespace {
// One line of a workspace name and a state code; anything much larger is not ours.
constexpr qint64 kMaxIniBytes = 64 * 1024;
} // namespace

QString workspaceNameProblem(const QString& name) {
    if (name.isEmpty()) return QStringLiteral("The workspace name is empty.");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("The workspace name cannot be \"") + name + QStringLiteral("\".");
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return QStringLiteral("The workspace name cannot contain a \"/\" or \"\\\".");
        if (c == QLatin1Char('"')) return QStringLiteral("The workspace name cannot contain a double quote.");
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("The workspace name cannot contain a control character.");
    }
    return QString();
}

QStringList listWorkspaces(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks |
                                               QDir::Hidden | QDir::System);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

bool hasSavedSearches(const QString& folder) {
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    return std::any_of(entries.begin(), entries.end(), [](const QFileInfo& f) {
        return f.fileName().endsWith(QLatin1String(".VKD"), Qt::CaseInsensitive);
    });
}

bool deleteWorkspaceFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.isSymLink() || !info.isDir()) return false;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& f : entries)
        if (!f.isSymLink() && f.isFile())
            QFile::remove(f.absoluteFilePath()); // a file that stays makes the removal below fail
    return QDir().rmdir(folder);
}

QString iniPath(const QString& tempDir) {
    return tempDir.isEmpty() ? QString() : files::joinPath(tempDir, QStringLiteral("VELK.INI"));
}

std::optional<WorkspaceChoice> readIni(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    // A link planted in place of the file is not followed.
    const files::BoundedRead r = files::readRegularFile(path, kMaxIniBytes, false);
    if (!r.ok()) return std::nullopt;
    const QList<QByteArray> lines = files::splitLines(r.bytes);
    if (lines.isEmpty()) return std::nullopt;
    // Written in UTF-8; a file of an earlier version is Windows-1252, which is (nearly) never valid UTF-8.
    const files::LineCoding coding =
        files::isValidUtf8(lines.front()) ? files::LineCoding::Utf8 : files::LineCoding::Win1252;
    bool ok = false;
    const QVariantList fields = files::readQuotedLine(lines.front(), &ok, coding);
    if (!ok || fields.size() < 2) return std::nullopt;
    return WorkspaceChoice{fields[0].toString(), fields[1].toString()};
}

bool writeIni(const QString& path, const WorkspaceChoice& choice, QString* error) {
    if (path.isEmpty()) {
        if (error) *error = QStringLiteral("no temporary folder");
        return false;
    }
    return files::atomicWrite(
        path, files::writeQuotedLine({choice.workspace, choice.state}, files::LineCoding::Utf8), error);
}

} // namespace velk
