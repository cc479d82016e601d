#include "loading/release_files.h"

#include "platform/files/fixed_records.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace loading {

QStringList entriesNoCase(const QString& folder, const QString& name) {
    QStringList found;
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) found << entry;
    return found;
}

DeletionRights deletionRights(const QString& folder, const QString& path) {
    DeletionRights r;
    const QByteArray dir = QFile::encodeName(folder);
    r.folderWritable = ::faccessat(AT_FDCWD, dir.constData(), W_OK | X_OK, AT_EACCESS) == 0;
    r.user = ::geteuid();
    struct stat st;
    if (::stat(dir.constData(), &st) == 0) {
        r.folderSticky = (st.st_mode & S_ISVTX) != 0;
        r.folderOwner = st.st_uid;
    }
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0) {
        r.fileOwner = st.st_uid;
        struct passwd pw, *found = nullptr;
        char buf[1024];
        if (::getpwuid_r(st.st_uid, &pw, buf, sizeof buf, &found) == 0 && found)
            r.fileOwnerName = QString::fromLocal8Bit(found->pw_name);
        else
            r.fileOwnerName = QStringLiteral("user %1").arg(st.st_uid);
    }
    return r;
}

QString deletionBlocker(const DeletionRights& r, const QString& folder) {
    if (!r.folderWritable)
        return QStringLiteral("the folder %1 does not let you delete files in it").arg(folder);
    // The system's administrator may delete any file.
    if (r.folderSticky && r.user != 0 && r.user != r.fileOwner && r.user != r.folderOwner)
        return QStringLiteral("it belongs to %1, and the folder %2 lets only a file's owner delete it")
            .arg(r.fileOwnerName, folder);
    return QString();
}

QString employerFileProblem(const QString& path, Layout layout) {
    const QString name = QFileInfo(path).fileName();
    try {
        files::FixedRecordReader reader(path, kEmployerRecordLength);
        QByteArray rec;
        while (reader.next(rec))
            if (yieldsEmployer(rec, layout)) return QString();
        if (reader.recordNumber() == 0)
            return QStringLiteral("%1 holds no employer record: it has no whole record.").arg(name);
        return QStringLiteral(
                   "%1 holds no employer record: its %2 records are blank or have no printable key.")
            .arg(name)
            .arg(reader.recordNumber());
    } catch (const files::MalformedFile& e) {
        if (e.recordNumber() > 0)
            return QStringLiteral("%1, record %2: %3.").arg(name).arg(e.recordNumber()).arg(e.reason());
        return QStringLiteral("%1 %2.").arg(name, e.reason());
    }
}

} // namespace loading
