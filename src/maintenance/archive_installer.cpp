#include "maintenance/archive_installer.h"

#include "dataset/data_set.h"
#include "maintenance/backup_database.h"
#include "maintenance/restore_marker.h"
#include "maintenance/user_data.h"
#include "platform/archive/zip_archive.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/locks/database_use.h"
#include "platform/locks/row_lock.h"
#include "platform/ui/msgbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace maintenance {

namespace {

// The order in which an archive's markers are written.
const QStringList& markerOrder() {
    static const QStringList order{QStringLiteral("PA"), QStringLiteral("NJ"), QStringLiteral("DE"),
                                   QStringLiteral("PM"), QStringLiteral("DM"), QStringLiteral("NY")};
    return order;
}

struct Plan {
    QString name;
    std::unique_ptr<archive::ZipArchive> zip;
    QStringList states; // data sets whose database it replaces, in entry order
};

struct ClaimLost {
    QString why;
};

// Room left beside the files for the backups of the user data and the first use of the databases.
constexpr qint64 kSpareBytes = qint64(32) << 20;

qint64 megabytes(qint64 bytes) {
    return (bytes + (qint64(1) << 20) - 1) >> 20;
}

// The space the install takes at its fullest: each file is written whole beside the one it
// replaces, which is freed only once the new one is in its place.
qint64 spaceNeeded(const std::vector<Plan>& plans, const QString& folder) {
    QHash<QString, qint64> written; // case-folded destinations of earlier entries, with their sizes
    qint64 growth = 0, peak = 0;
    for (const Plan& plan : plans) {
        for (int i = 0; i < plan.zip->count(); ++i) {
            const archive::Entry& e = plan.zip->entry(i);
            if (e.directory) continue;
            const QString destination = plan.zip->destination(i, folder).path;
            const QString key = destination.toCaseFolded();
            const qint64 old = written.contains(key) ? written.value(key) : files::fileLength(destination);
            peak = std::max(peak, growth + e.size);
            growth += e.size - old;
            written[key] = e.size;
        }
    }
    return peak;
}

QString joined(const QStringList& names) {
    return names.join(QStringLiteral(", "));
}

const QString kDoneFile = QStringLiteral("DONE.TXT");
const QString kIniFile = QStringLiteral("VELK.INI");
const QString kDownloadSettings = QStringLiteral("DOWNLOAD.INI");

bool isNamed(const QString& file, const QString& name) {
    return file.compare(name, Qt::CaseInsensitive) == 0;
}

// Why a file of this name in the program folder is not an update's to replace; "" when it is.
QString refusalOf(const QString& file) {
    // ReplacingFile's and the downloader's files in the making, and the backup's.
    static const QRegularExpression inTheMaking(QStringLiteral("^\\.|\\.new-[0-9]+$"));
    static const QRegularExpression journal(QStringLiteral("-(journal|wal|shm)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (inTheMaking.match(file).hasMatch())
        return QStringLiteral("it has the name of a file that VELK is still writing");
    if (journal.match(file).hasMatch())
        return QStringLiteral(
            "it is a database journal, which the next use of the database beside it would play "
            "into that database");
    if (file.endsWith(QLatin1String(".LDB"), Qt::CaseInsensitive) || isNamed(file, kDoneFile))
        return QStringLiteral("it is a file that running copies of VELK keep for themselves");
    if (isNamed(file, kIniFile) || isNamed(file, kDownloadSettings))
        return QStringLiteral("it would replace the user's own file");
    for (const QString& st : dataset::codes())
        if (isNamed(file, backupDatabaseName(st)) || isNamed(file, restoreMarkerName(st)))
            return QStringLiteral("it would replace the user's own file");
    return QString();
}

} // namespace

QStringList findUpdateArchives(const QString& folder) {
    QDir dir(folder);
    dir.setNameFilters({kArchivePattern});
    // Hidden files are left out: the downloader's unfinished files are hidden.
    const QStringList names = dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    return names.mid(0, kMaxArchives);
}

QString archivesNotFoundMessage(const QString& folder) {
    return QStringLiteral("The ") + kArchivePattern + QStringLiteral(" file was not found in the directory (") + folder +
           QStringLiteral(")  Please select the correct path and try again.");
}

EntryRole entryRole(const QString& entryName) {
    EntryRole role;
    role.database = entryName.endsWith(QLatin1String(".MDB")) || entryName.endsWith(QLatin1String(".Mdb")) ||
                    entryName.endsWith(QLatin1String(".mdb"));
    const archive::EntryPath path = archive::entryPath(entryName);
    if (path.segments.isEmpty()) return role; // refused for its name by the archive's own check
    if (path.segments.size() > 1 || path.directory) {
        role.refusal =
            QStringLiteral("it lies in a folder, and the folders of the program folder are the user's "
                           "workspaces");
        return role;
    }
    const QString file = path.segments.first();
    role.refusal = refusalOf(file);
    if (!role.refusal.isEmpty()) return role;
    for (const QString& st : dataset::codes())
        if (isNamed(file, dataset::stateDatabaseName(st))) role.stateCode = st;
    role.settings = isNamed(file, dataset::indexDatabaseName());
    return role;
}

QString savingStatus(const QString& stateCode) {
    return QStringLiteral("Saving ") + stateCode + QStringLiteral(" User Notes & Fields");
}

QString entryStatus(const QString& entryName, int index, int count) {
    return entryName + QLatin1Char(' ') + QString::number(index + 1) + QStringLiteral(" of ") + QString::number(count);
}

InstallReport installArchives(const QStringList& archivePaths, const QString& programFolder, InstallHost& host) {
    using namespace ui;
    InstallReport report;
    const auto progress = [&host](const archive::Progress& p) {
        host.progress(p);
        return true;
    };

    const auto refuse = [&](const QString& why) {
        host.status(QStringLiteral(" "));
        MsgBox(why + QStringLiteral("\r\n\r\nNothing was installed."), vbExclamation);
        return report;
    };

    // Everything is read and checked first, so a damaged or unsafe archive changes nothing.
    std::vector<Plan> plans;
    for (const QString& path : archivePaths) {
        Plan plan;
        plan.name = QFileInfo(path).fileName();
        plan.zip = std::make_unique<archive::ZipArchive>();
        host.status(QStringLiteral("Checking ") + plan.name);
        QString refusal;
        // The names first: reading the data through takes long, and a refused archive need not be read.
        if (!plan.zip->open(path) || !plan.zip->check(programFolder)) {
            refusal = plan.zip->errorString();
        } else if (plan.zip->count() == 0) {
            refusal = QStringLiteral("The archive %1 is empty: it holds no files.").arg(path);
        } else {
            for (const archive::Entry& e : plan.zip->entries()) {
                const EntryRole role = entryRole(e.name);
                if (!role.refusal.isEmpty() && refusal.isEmpty())
                    refusal = QStringLiteral("The entry \"%2\" of the archive %1 is refused: %3.")
                                  .arg(path, e.name, role.refusal);
                if (!role.stateCode.isEmpty() && !plan.states.contains(role.stateCode))
                    plan.states << role.stateCode;
            }
            if (refusal.isEmpty() && !plan.zip->verify(progress)) refusal = plan.zip->errorString();
        }
        if (!refusal.isEmpty()) return refuse(refusal);
        plans.push_back(std::move(plan));
    }
    const qint64 needed = spaceNeeded(plans, programFolder) + kSpareBytes;
    if (const qint64 free = files::freeSpace(programFolder); free >= 0 && needed > free) {
        QStringList names;
        for (const Plan& plan : plans)
            names << plan.name;
        return refuse(QStringLiteral("Installing %1 needs %2 MB free in %3, but %4 MB are free.")
                          .arg(joined(names))
                          .arg(megabytes(needed))
                          .arg(programFolder)
                          .arg(free >> 20));
    }

    host.closeListForm();
    report.listFormClosed = true;

    // A database another copy has open is not replaced under it; the claims are kept until the
    // new files are in place, so no copy opens one meanwhile.
    std::map<QString, std::unique_ptr<locks::DatabaseUse>> claims;
    QStringList inUse, unclaimed;
    for (const Plan& plan : plans) {
        for (const QString& st : plan.states) {
            if (claims.count(st)) continue;
            auto claim = std::make_unique<locks::DatabaseUse>();
            QString error;
            const QString db = files::findFileNoCase(programFolder, dataset::stateDatabaseName(st));
            switch (claim->take(db, locks::DatabaseUse::Mode::Replacing, &error)) {
            case locks::DatabaseUse::Result::Taken:
                break;
            case locks::DatabaseUse::Result::Busy:
                inUse << st;
                break;
            case locks::DatabaseUse::Result::Failed:
                unclaimed << error;
                break;
            }
            claims[st] = std::move(claim);
        }
    }
    if (!inUse.isEmpty() || !unclaimed.isEmpty()) {
        host.status(QStringLiteral(" "));
        QString text = QStringLiteral("The update was not installed.");
        if (!inUse.isEmpty())
            text += QStringLiteral("\r\n\r\nAnother copy of VELK is using the data of ") + joined(inUse) +
                    QStringLiteral(".  Close VELK there and try again.");
        if (!unclaimed.isEmpty())
            text += QStringLiteral("\r\n\r\nWhether another copy of VELK is using a database cannot be checked: ") +
                    unclaimed.join(QStringLiteral("; "));
        MsgBox(text, vbExclamation);
        return report;
    }

    bool programFiles = false;
    for (Plan& plan : plans) {
        archive::ZipArchive& zip = *plan.zip;

        // Save the user data of every database this archive replaces, before any entry is written.
        QStringList saved;
        bool backedUp = true;
        const auto leaveOut = [&](const QString& st, const QString& what, const QString& why) {
            MsgBox(QStringLiteral("The ") + st + QStringLiteral(" user notes and fields could not be ") + what +
                       QStringLiteral(", so ") + plan.name + QStringLiteral(" was not installed and ") +
                       QFileInfo(files::findFileNoCase(programFolder, dataset::stateDatabaseName(st))).fileName() +
                       QStringLiteral(" was not replaced.\r\n\r\n") + why,
                   vbExclamation);
            backedUp = false;
        };
        for (const archive::Entry& e : zip.entries()) {
            const EntryRole role = entryRole(e.name);
            if (role.settings) host.status(QStringLiteral("Loading New DataBase Parameters"));
            const QString& st = role.stateCode;
            if (st.isEmpty() || saved.contains(st)) continue;
            const QString db = files::findFileNoCase(programFolder, dataset::stateDatabaseName(st));
            if (!QFileInfo::exists(db)) continue; // a new data set has nothing to save
            host.status(savingStatus(st));
            try {
                // A waiting marker's backup holds the user's data from before the last update, and
                // the database what was written since: the new backup keeps both.
                // Each data set's own password, whichever data set was chosen last.
                BackupUserData(db, files::findFileNoCase(programFolder, backupDatabaseName(st)), st,
                               dataset::connectFromSetup(programFolder, st),
                               earlierBackupIn(programFolder, st));
                saved << st;
            } catch (const dao::DaoError& e) {
                leaveOut(st, QStringLiteral("saved"), e.message());
                break;
            }
        }
        // Marked before any database is touched, so a crash while one is replaced still brings its
        // notes back. Should the replacing fail, the restore runs over the same data.
        QStringList marked; // markers written for this archive where none waited
        for (const QString& st : markerOrder()) {
            if (!backedUp || !saved.contains(st)) continue;
            const bool waiting = restorePending(programFolder, st);
            QString error;
            if (!writeRestoreMarker(programFolder, st, &error))
                leaveOut(st, QStringLiteral("marked for restoring"), error);
            else if (!waiting)
                marked << st;
        }
        // An archive left out replaces no database, so its markers go: the list may come back on
        // the data set, and a restore waiting until its next choice would fill what the user has
        // cleared since. A marker that waited before stays for the database it was written for.
        const auto unmark = [&] {
            for (const QString& st : std::as_const(marked))
                if (!clearRestoreMarker(programFolder, st))
                    MsgBox(restoreMarkerName(st) + QStringLiteral(" cannot be removed, so the ") + st +
                               QStringLiteral(" notes and fields saved for ") + plan.name +
                               QStringLiteral(" will be restored over what they are now when ") + st +
                               QStringLiteral(" is next chosen.  Remove it before that."),
                           vbExclamation);
        };
        if (!backedUp) {
            unmark();
            report.notInstalled << plan.name;
            continue;
        }

        host.status(QStringLiteral("Loading New Database"));
        host.doEvents();
        // A claim in a lock file removed since it was taken keeps no copy out: one may have
        // opened the database, and what it writes there would be lost with the old file.
        const auto claimLost = [&](const QString& st) {
            if (claims.at(st)->stillAtPath()) return QString();
            return QStringLiteral("The lock file %1 was removed or replaced while the update ran, so another "
                                  "copy of VELK may be working on %2.")
                .arg(locks::lockFileFor(claims.at(st)->databasePath()), st);
        };
        QStringList lost;
        for (const QString& st : plan.states)
            if (const QString why = claimLost(st); !why.isEmpty()) lost << why;
        if (!lost.isEmpty()) {
            MsgBox(lost.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n") + plan.name +
                       QStringLiteral(" was not installed.  Close VELK everywhere and repeat the update."),
                   vbExclamation);
            unmark();
            report.notInstalled << plan.name;
            host.status(QStringLiteral(" "));
            continue;
        }
        QString broken;
        // Entries are written one by one; the progress told is the archive's as a whole.
        qint64 archiveSize = 0, written = 0;
        for (const archive::Entry& e : zip.entries())
            if (!e.directory) archiveSize += e.size;
        const auto archiveProgress = [&host, &archiveSize, &written](const archive::Progress& p) {
            archive::Progress whole = p;
            whole.totalDone = written + p.entryDone;
            whole.totalSize = archiveSize;
            host.progress(whole);
            return true;
        };
        for (int i = 0; i < zip.count() && broken.isEmpty(); ++i) {
            const archive::Entry& e = zip.entry(i);
            const EntryRole role = entryRole(e.name);
            if (!role.database) programFiles = true;
            const auto beforeReplace = [&](const QString& path) {
                if (!role.stateCode.isEmpty())
                    if (const QString why = claimLost(role.stateCode); !why.isEmpty()) throw ClaimLost{why};
                // A journal left by a writer that died would be rolled back into the new database;
                // the old one keeps it until the new one is whole.
                if (role.database) QFile::remove(path + QStringLiteral("-journal"));
            };
            host.status(entryStatus(e.name, i, zip.count()));
            try {
                if (!zip.extract(i, programFolder, archiveProgress, beforeReplace)) broken = zip.errorString();
            } catch (const ClaimLost& lostClaim) {
                broken = lostClaim.why;
            }
            if (!e.directory) written += e.size;
        }
        host.status(QStringLiteral(" "));

        if (!broken.isEmpty()) {
            MsgBox(broken + QStringLiteral(
                                "\r\n\r\nThe update was not installed completely.  VELK will close now; "
                                "start it again and repeat the update."),
                   vbCritical);
            report.end = InstallEnd::Restart;
            return report;
        }
        report.installed << plan.name;
    }

    if (report.installed.isEmpty()) return report; // each archive's failure has been said
    report.end = programFiles ? InstallEnd::Restart : InstallEnd::DatabasesOnly;
    QString text = report.notInstalled.isEmpty()
                       ? QStringLiteral("Upgrade complete.")
                       : QStringLiteral("Upgrade complete except for ") + joined(report.notInstalled) + QLatin1Char('.');
    text += report.end == InstallEnd::DatabasesOnly ? QStringLiteral("  Select State!")
                                                    : QStringLiteral("  Restart VELK to activate changes!");
    MsgBox(text);
    return report;
}

} // namespace maintenance
