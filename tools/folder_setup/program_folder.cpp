#include "folder_setup/program_folder.h"

#include "dataset/data_set.h"
#include "dataset/report_database.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/dao/statement.h"
#include "platform/files/atomic_file.h"
#include "platform/files/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace velk {

namespace {

SetupOutcome fail(QString* error, const QString& message, SetupOutcome outcome = SetupOutcome::Failed) {
    if (error) *error = message;
    return outcome;
}

// Builds one database at path (which must not exist), closing it afterwards.
void buildDatabase(const QString& path, const ProgramDatabase& spec) {
    std::unique_ptr<dao::Database> db = dao::Database::create(path, spec.password);
    {
        dao::Transaction whole(*db);
        spec.build(*db);
        whole.commit();
    }
    db->close();
}

} // namespace

QVector<ProgramDatabase> programDatabases() {
    QVector<ProgramDatabase> list;
    list.append({dataset::indexDatabaseName(), dao::passwordFromConnect(dataset::indexDbConnect()),
                 createIndexDatabase});
    for (const QString& st : dataset::codes())
        list.append({dataset::stateDatabaseName(st), dao::passwordFromConnect(dataset::defaultConnect(st)),
                     [st](dao::Database& db) { loading::createStateTables(db, st); }});
    // The template of the report database; the print runs copy it and never write it.
    list.append({dataset::reportDatabaseName(), QString(), dataset::createReportTables});
    return list;
}

void createIndexDatabase(dao::Database& db) {
    db.createTable(QStringLiteral("Setup"), {{QStringLiteral("STATE"), QStringLiteral("TEXT"), 2},
                                             {QStringLiteral("pwd"), QStringLiteral("TEXT"), 255}});
    db.createIndex(QStringLiteral("Setup"), QStringLiteral("Key"), {QStringLiteral("STATE")}, true);
    for (const QString& st : dataset::codes())
        db.executeBound(QStringLiteral("INSERT INTO Setup (STATE, pwd) VALUES (?, ?)"),
                        {st, dataset::defaultConnect(st)});
}

namespace {

// Copies source into folder as name (replacing a file of that name in any letter case under its own
// spelling, so no second copy remains), through a temporary name.
bool installCopy(const QString& source, const QString& folder, const QString& name,
                 QFileDevice::Permissions permissions, QString* error) {
    const QString target = files::findFileNoCase(folder, name);
    if (const QString reason = files::copyIntoPlace(source, target, permissions); !reason.isEmpty()) {
        fail(error, reason);
        return false;
    }
    return true;
}

const QFileDevice::Permissions kReadable =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

} // namespace

bool installProgramFiles(const QString& folder, QString* error) {
    const QDir data(QStringLiteral(":/data"));
    for (const QString& name : data.entryList(QDir::Files)) {
        // Copies out of the program's resources are read-only; the set permissions make them writable.
        if (!installCopy(data.filePath(name), folder, name, kReadable, error)) return false;
    }
    return true;
}

QByteArray downloadSettingsTemplate() {
    return "; Where the update form's Download button fetches updates from: the URL (http://, https://\n"
           "; or file://) of a folder holding UPDATES.TXT, the list of the VELK*.ZIP archives to fetch\n"
           "; (one name a line), and those archives. Set it on the Location line and remove its \";\".\n"
           "[Download]\n"
           "; Location=https://updates.example.com/velk/\n";
}

bool installDownloader(const QString& folder, const QString& fromFolder, QString* error) {
    const QString source = files::joinPath(fromFolder, QStringLiteral("download1"));
    if (!QFileInfo(source).isExecutable()) {
        fail(error, QStringLiteral("The downloader %1 is missing").arg(source));
        return false;
    }
    if (!installCopy(source, folder, QStringLiteral("download1"),
                     kReadable | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther,
                     error))
        return false;
    const QString name = QStringLiteral("DOWNLOAD.INI");
    if (files::existsNoCase(folder, name)) return true;
    return files::atomicWrite(files::joinPath(folder, name), downloadSettingsTemplate(), error);
}

SetupOutcome createProgramFolder(const QString& folder, bool force, QString* error) {
    if (folder.isEmpty()) return fail(error, QStringLiteral("No program folder given"));
    if (!QDir().mkpath(folder)) return fail(error, QStringLiteral("Cannot create the folder %1").arg(folder));
    if (!QFileInfo(folder).isWritable())
        return fail(error, QStringLiteral("Cannot write into the folder %1").arg(folder));

    struct Target {
        ProgramDatabase spec;
        QString final, temp;
    };
    QVector<Target> targets;
    const QString tag = QStringLiteral(".setup-%1").arg(::getpid());
    for (const ProgramDatabase& spec : programDatabases()) {
        // An existing file is replaced under its own spelling, so no second copy in another case remains.
        targets.append(
            {spec, files::findFileNoCase(folder, spec.name), files::joinPath(folder, spec.name + tag)});
    }

    if (!force) {
        for (const Target& t : targets)
            if (QFileInfo::exists(t.final))
                return fail(error, QStringLiteral("%1 already exists; nothing was changed").arg(t.final),
                            SetupOutcome::AlreadyExists);
    }

    auto removeTemps = [&] {
        for (const Target& t : targets) {
            QFile::remove(t.temp);
            QFile::remove(t.temp + QStringLiteral("-journal"));
        }
    };
    removeTemps(); // leftovers of an interrupted run
    try {
        for (const Target& t : targets)
            buildDatabase(t.temp, t.spec);
    } catch (const dao::DaoError& e) {
        removeTemps();
        return fail(error, e.message());
    } catch (const std::exception& e) {
        removeTemps();
        return fail(error, QString::fromLocal8Bit(e.what()));
    }

    for (const Target& t : targets) {
        if (const QString reason = files::moveIntoPlace(t.temp, t.final); !reason.isEmpty()) {
            removeTemps();
            return fail(error, QStringLiteral("Cannot put %1 in place: %2").arg(t.final, reason));
        }
    }

    const QString workspace = files::joinPath(folder, QStringLiteral("INITIAL"));
    if (!QDir().mkpath(workspace))
        return fail(error, QStringLiteral("Cannot create the workspace folder %1").arg(workspace));
    if (!installProgramFiles(folder, error)) return SetupOutcome::Failed;
    return SetupOutcome::Created;
}

} // namespace velk
