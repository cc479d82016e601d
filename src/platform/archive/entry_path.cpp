#include "platform/archive/entry_path.h"

#include "platform/files/folders.h"

#include <QFile>
#include <QFileInfo>

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace archive {

namespace {

constexpr long kTemporaryNameRoom = 8;

bool hasControlCharacter(const QString& name) {
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return true;
    return false;
}

bool isInside(const QString& root, const QString& path) {
    if (root == QLatin1String("/")) return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

Destination refuse(const QString& why) {
    Destination d;
    d.refusal = why;
    return d;
}

} // namespace

EntryPath entryPath(const QString& name) {
    EntryPath result;
    auto refuse = [&](const QString& why) {
        result.segments.clear();
        result.refusal = why;
        return result;
    };
    QString n = name;
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (n.isEmpty()) return refuse(QStringLiteral("it has no name"));
    if (hasControlCharacter(n)) return refuse(QStringLiteral("its name holds control characters"));
    if (n.startsWith(QLatin1Char('/'))) return refuse(QStringLiteral("its name is an absolute path"));
    if (n.size() >= 2 && n.at(1) == QLatin1Char(':') && n.at(0).unicode() < 0x80 && n.at(0).isLetter())
        return refuse(QStringLiteral("its name begins with a drive"));
    result.directory = n.endsWith(QLatin1Char('/'));
    for (const QString& segment : n.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("..")) return refuse(QStringLiteral("its name leaves the folder (\"..\")"));
        if (segment != QLatin1String(".")) result.segments.append(segment);
    }
    if (result.segments.isEmpty()) return refuse(QStringLiteral("it has no name"));
    return result;
}

Destination resolveDestination(const QString& folder, const EntryPath& entry, files::NoCaseLookup* lookup) {
    if (!entry.refusal.isEmpty()) return refuse(entry.refusal);
    if (entry.segments.isEmpty()) return refuse(QStringLiteral("it has no name"));
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return refuse(QStringLiteral("the folder %1 does not exist").arg(folder));

    // The longest name the file system takes, less the room of the hidden name a file is written
    // under before it takes its place.
    long nameMax = ::pathconf(QFile::encodeName(root).constData(), _PC_NAME_MAX);
    if (nameMax <= 0) nameMax = 255;
    nameMax -= kTemporaryNameRoom;
    for (const QString& segment : entry.segments)
        if (const qsizetype bytes = QFile::encodeName(segment).size(); bytes > nameMax)
            return refuse(
                QStringLiteral("its name is longer than the file system takes (%1 bytes, at most %2)")
                    .arg(bytes)
                    .arg(nameMax));

    Destination d;
    QString current = folder;
    bool existing = true; // every segment so far exists; after the first missing one none does
    for (qsizetype i = 0; i < entry.segments.size(); ++i) {
        const bool last = i + 1 == entry.segments.size();
        const bool mustBeFolder = !last || entry.directory;
        const QString next = !existing ? files::joinPath(current, entry.segments[i])
                             : lookup  ? lookup->find(current, entry.segments[i])
                                       : files::findFileNoCase(current, entry.segments[i]);
        struct stat st;
        if (existing && ::lstat(QFile::encodeName(next).constData(), &st) == 0) {
            if (S_ISLNK(st.st_mode) && mustBeFolder) {
                // Following a link is fine while it stays inside the folder.
                const QString target = QFileInfo(next).canonicalFilePath();
                if (target.isEmpty() || !isInside(root, target))
                    return refuse(QStringLiteral("it would leave the folder through the link %1").arg(next));
                if (!QFileInfo(target).isDir())
                    return refuse(QStringLiteral("the file %1 is in the way of a folder").arg(next));
            } else if (S_ISLNK(st.st_mode)) {
                d.replaces = true; // the rename replaces the link itself, not what it points to
            } else if (S_ISDIR(st.st_mode)) {
                if (!mustBeFolder) return refuse(QStringLiteral("the folder %1 is in the way").arg(next));
            } else if (mustBeFolder) {
                return refuse(QStringLiteral("the file %1 is in the way of a folder").arg(next));
            } else if (!S_ISREG(st.st_mode)) {
                return refuse(QStringLiteral("%1 is not a plain file").arg(next));
            } else {
                d.replaces = true;
            }
        } else {
            existing = false;
        }
        current = next;
    }
    if (QFile::encodeName(current).size() + kTemporaryNameRoom >= PATH_MAX)
        return refuse(
            QStringLiteral("its path in %1 would be longer than the file system takes").arg(folder));
    d.path = current;
    return d;
}

} // namespace archive
