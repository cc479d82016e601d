#include "loading/state_schema.h"

#include "dataset/categories.h"
#include "dataset/data_set.h"
#include "platform/dao/dao.h"
#include "platform/dao/statement.h"
#include "platform/files/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace loading {

namespace {

using dao::ColumnDef;

ColumnDef text(const QString& name, int size) {
    return {name, QStringLiteral("TEXT"), size};
}
ColumnDef memo(const QString& name) {
    return {name, QStringLiteral("MEMO"), 0};
}
ColumnDef date(const QString& name) {
    return {name, QStringLiteral("DATE"), 0};
}
ColumnDef number(const QString& name) {
    return {name, QStringLiteral("DOUBLE"), 0};
}
ColumnDef whole(const QString& name) {
    return {name, QStringLiteral("LONG"), 0};
}
ColumnDef yesNo(const QString& name) {
    return {name, QStringLiteral("YESNO"), 0};
}

const QString kPrimary = QStringLiteral("PRIMARY");

void createCategoryTable(dao::Database& db, const QString& table, int codeWidth,
                         const QVector<dataset::CategoryRow>& rows) {
    db.createTable(table, {text(QStringLiteral("CODE"), codeWidth), text(QStringLiteral("DESCRIPTION"), 50)});
    db.createIndex(table, kPrimary, {QStringLiteral("CODE")}, true);
    // Rows go in in this order: the merit grid shows them unsorted, as stored.
    const QString insert = QStringLiteral("INSERT INTO %1 (CODE, DESCRIPTION) VALUES (?, ?)").arg(table);
    for (const dataset::CategoryRow& r : rows)
        db.executeBound(insert, {r.code, r.description});
}

SetupOutcome fail(QString* error, const QString& message, SetupOutcome outcome = SetupOutcome::Failed) {
    if (error) *error = message;
    return outcome;
}

void removeFile(const QString& path) {
    QFile::remove(path);
}

// Builds one database at path (which must not exist) with build, closing it afterwards.
template <typename Build> void buildDatabase(const QString& path, const QString& password, Build build) {
    std::unique_ptr<dao::Database> db = dao::Database::create(path, password);
    {
        dao::Transaction whole(*db);
        build(*db);
        whole.commit();
    }
    db->close();
}

} // namespace

void createStateTables(dao::Database& db, const QString& stateCode) {
    const bool ny = dataset::isNewYork(stateCode);
    const int fileWidth = ny ? 9 : 7;
    const int nameWidth = ny ? 35 : 40;
    const QString FILE = QStringLiteral("FILE"), SEQUENCE = QStringLiteral("SEQUENCE");
    const QString FILESEQ = QStringLiteral("FILESEQ");

    // The New Jersey and New York columns exist in every data set (empty elsewhere), so that code
    // shared by all data sets finds every field it names.
    db.createTable(QStringLiteral("PRIME"), {
                                                text(QStringLiteral("STATE"), 2),
                                                text(FILE, fileWidth),
                                                text(SEQUENCE, 2),
                                                text(QStringLiteral("NAME1"), nameWidth),
                                                text(QStringLiteral("NameSort"), nameWidth),
                                                text(QStringLiteral("NAME2"), ny ? 1 : 38),
                                                text(QStringLiteral("STREET"), ny ? 34 : 40),
                                                text(QStringLiteral("CITY"), 22),
                                                text(QStringLiteral("ST"), 2),
                                                text(QStringLiteral("ZIP"), 5),
                                                text(QStringLiteral("ZIPEXT"), 4),
                                                text(QStringLiteral("PHONE"), 12),
                                                text(QStringLiteral("AREA"), 3),
                                                text(QStringLiteral("FAX"), 12),
                                                text(QStringLiteral("SIC"), 4),
                                                text(QStringLiteral("COUNTY"), 3),
                                                text(QStringLiteral("COUNTYNAME"), 30),
                                                text(QStringLiteral("CountySort"), 30),
                                                text(QStringLiteral("EMPLOYEES"), 1),
                                                text(QStringLiteral("SALES"), 1),
                                                text(FILESEQ, fileWidth + 2),
                                                text(QStringLiteral("CONTACT"), 30),
                                                text(QStringLiteral("TITLE"), 30),
                                                yesNo(QStringLiteral("ASSOCIATES")),
                                                yesNo(QStringLiteral("INTERSTATE")),
                                                yesNo(QStringLiteral("REVISED")),
                                                date(QStringLiteral("EXPIRE")),
                                                number(QStringLiteral("MOD")),
                                                whole(QStringLiteral("ISSUE1")),
                                                text(QStringLiteral("CONDITIONAL"), 14),
                                                text(QStringLiteral("ARESTPREM"), 7),
                                                text(QStringLiteral("ARTOTPREM"), 7),
                                                text(QStringLiteral("ARTOTLOSS"), 7),
                                                whole(QStringLiteral("NJAR")),
                                                text(QStringLiteral("NJPPAP"), 3),
                                                text(QStringLiteral("NJCCPAP"), 3),
                                                text(QStringLiteral("Omit"), 1),
                                                text(QStringLiteral("User1"), 50),
                                                text(QStringLiteral("User2"), 50),
                                                text(QStringLiteral("User3"), 50),
                                                text(QStringLiteral("UserPhone"), 12),
                                                text(QStringLiteral("UserFax"), 12),
                                                text(QStringLiteral("UserContact"), 30),
                                                text(QStringLiteral("UserTitle"), 30),
                                            });
    db.createIndex(QStringLiteral("PRIME"), kPrimary, {FILE, SEQUENCE}, true);
    // Name and county orders of the all-records list; the type-ahead seeks on the first column.
    // The key columns behind make the order of equal names stable.
    db.createIndex(QStringLiteral("PRIME"), QStringLiteral("KEY2"),
                   {QStringLiteral("NameSort"), FILE, SEQUENCE});
    db.createIndex(QStringLiteral("PRIME"), QStringLiteral("KEY3"),
                   {QStringLiteral("CountySort"), QStringLiteral("NameSort"), FILE, SEQUENCE});
    // The searches' class sub-query matches PRIME rows by FILESEQ.
    db.createIndex(QStringLiteral("PRIME"), QStringLiteral("KEYFILESEQ"), {FILESEQ});

    db.createTable(QStringLiteral("MODS"), {
                                               text(FILE, fileWidth),
                                               text(SEQUENCE, 2),
                                               date(QStringLiteral("ISSUE")),
                                               date(QStringLiteral("EFFECTIVE")),
                                               date(QStringLiteral("EXPIRE")),
                                               number(QStringLiteral("MOD")),
                                           });
    // The mods of a record are read by FILE and SEQUENCE.
    db.createIndex(QStringLiteral("MODS"), QStringLiteral("KEYFILE"), {FILE, SEQUENCE});

    db.createTable(QStringLiteral("NOTES"),
                   {text(FILE, fileWidth), text(SEQUENCE, 2), memo(QStringLiteral("NOTES"))});
    db.createIndex(QStringLiteral("NOTES"), kPrimary, {FILE, SEQUENCE}, true);

    db.createTable(QStringLiteral("VERSION"),
                   {text(QStringLiteral("Dummy"), 1), date(QStringLiteral("Version"))});
    db.createIndex(QStringLiteral("VERSION"), kPrimary, {QStringLiteral("Dummy")}, true);

    db.createTable(QStringLiteral("CLASSLIST"),
                   {text(QStringLiteral("CLASS"), 4), text(QStringLiteral("DESC"), 50)});
    db.createIndex(QStringLiteral("CLASSLIST"), kPrimary, {QStringLiteral("CLASS")}, true);

    db.createTable(QStringLiteral("CLASS"), {
                                                text(FILE, fileWidth),
                                                text(SEQUENCE, 2),
                                                text(QStringLiteral("CLASS"), 4),
                                                text(QStringLiteral("CLASSDESC"), 50),
                                                text(FILESEQ, fileWidth + 2),
                                                number(QStringLiteral("LOSSCOST")),
                                            });
    // PRIMARY also serves the reads of one record's classes (its first two columns).
    db.createIndex(QStringLiteral("CLASS"), kPrimary, {FILE, SEQUENCE, QStringLiteral("CLASS")}, true);
    // The class sub-query: FILESEQ of the rows in a range of class codes, answered from the index.
    db.createIndex(QStringLiteral("CLASS"), QStringLiteral("KEYCLASS"), {QStringLiteral("CLASS"), FILESEQ});

    db.createTable(QStringLiteral("COUNTY"),
                   {text(QStringLiteral("CODE"), 3), text(QStringLiteral("COUNTY"), 30)});
    db.createIndex(QStringLiteral("COUNTY"), kPrimary, {QStringLiteral("CODE")}, true);

    db.createTable(QStringLiteral("SICCODES"),
                   {text(QStringLiteral("CODE"), 4), text(QStringLiteral("DESC"), 42)});
    db.createIndex(QStringLiteral("SICCODES"), kPrimary, {QStringLiteral("CODE")}, true);

    if (ny) {
        db.createTable(QStringLiteral("ADDRESSES"),
                       {text(FILE, fileWidth), text(SEQUENCE, 2), memo(QStringLiteral("ADDRESSES"))});
        db.createIndex(QStringLiteral("ADDRESSES"), kPrimary, {FILE, SEQUENCE}, true);
    }

    createCategoryTable(db, QStringLiteral("EMPLOYEES"), 1, dataset::employeeBands());
    createCategoryTable(db, QStringLiteral("SALES"), 1, dataset::salesBands());
    if (dataset::hasMeritClasses(stateCode))
        createCategoryTable(db, QStringLiteral("MERIT"), 5, dataset::meritClasses());
}

void createIndexDatabase(dao::Database& db) {
    db.createTable(QStringLiteral("Setup"),
                   {text(QStringLiteral("STATE"), 2), text(QStringLiteral("pwd"), 255)});
    db.createIndex(QStringLiteral("Setup"), QStringLiteral("Key"), {QStringLiteral("STATE")}, true);
    for (const QString& st : dataset::codes())
        db.executeBound(QStringLiteral("INSERT INTO Setup (STATE, pwd) VALUES (?, ?)"),
                        {st, dataset::defaultConnect(st)});
}

bool installProgramFiles(const QString& folder, QString* error) {
    const QDir data(QStringLiteral(":/data"));
    for (const QString& name : data.entryList(QDir::Files)) {
        // Replaced under its own spelling, so no second copy in another case remains.
        const QString target = files::findFileNoCase(folder, name);
        const QString temp = target + QStringLiteral(".setup-%1").arg(::getpid());
        removeFile(temp);
        if (!QFile::copy(data.filePath(name), temp)) {
            fail(error, QStringLiteral("Cannot write %1").arg(temp));
            return false;
        }
        // Copies out of the program's resources are read-only.
        QFile::setPermissions(temp, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ReadOther);
        if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            removeFile(temp);
            fail(error, QStringLiteral("Cannot put %1 in place: %2").arg(target, reason));
            return false;
        }
    }
    return true;
}

SetupOutcome createProgramFolder(const QString& folder, bool force, QString* error) {
    if (folder.isEmpty()) return fail(error, QStringLiteral("No program folder given"));
    if (!QDir().mkpath(folder)) return fail(error, QStringLiteral("Cannot create the folder %1").arg(folder));
    if (!QFileInfo(folder).isWritable())
        return fail(error, QStringLiteral("Cannot write into the folder %1").arg(folder));

    struct Target {
        QString name, final, temp, password, state; // state empty: the settings database
    };
    QVector<Target> targets;
    const QString tag = QStringLiteral(".setup-%1").arg(::getpid());
    auto addTarget = [&](const QString& name, const QString& password, const QString& state) {
        // An existing file is replaced under its own spelling, so no second copy in another case remains.
        const QString final = files::findFileNoCase(folder, name);
        targets.append({name, final, files::joinPath(folder, name + tag), password, state});
    };
    addTarget(dataset::indexDatabaseName(), dao::passwordFromConnect(dataset::indexDbConnect()), QString());
    for (const QString& st : dataset::codes())
        addTarget(dataset::stateDatabaseName(st), dao::passwordFromConnect(dataset::defaultConnect(st)), st);

    if (!force) {
        for (const Target& t : targets)
            if (QFileInfo::exists(t.final))
                return fail(error, QStringLiteral("%1 already exists; nothing was changed").arg(t.final),
                            SetupOutcome::AlreadyExists);
    }

    auto removeTemps = [&] {
        for (const Target& t : targets) {
            removeFile(t.temp);
            removeFile(t.temp + QStringLiteral("-journal"));
        }
    };
    removeTemps(); // leftovers of an interrupted run
    try {
        for (const Target& t : targets) {
            if (t.state.isEmpty())
                buildDatabase(t.temp, t.password, [](dao::Database& db) { createIndexDatabase(db); });
            else
                buildDatabase(t.temp, t.password, [&](dao::Database& db) { createStateTables(db, t.state); });
        }
    } catch (const dao::DaoError& e) {
        removeTemps();
        return fail(error, e.message());
    } catch (const std::exception& e) {
        removeTemps();
        return fail(error, QString::fromLocal8Bit(e.what()));
    }

    for (const Target& t : targets) {
        // A journal left beside a replaced database would be rolled back into the new one.
        removeFile(t.final + QStringLiteral("-journal"));
        if (std::rename(QFile::encodeName(t.temp).constData(), QFile::encodeName(t.final).constData()) != 0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
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

} // namespace loading
