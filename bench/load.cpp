// Load benchmark: a generated release of N employers (about three class lines each) loaded over
// the previous release, by the real load sequence and by the storage floor: the same rows written
// with bare prepared SQLite statements in one transaction, with the secondary indexes dropped
// first and built after the rows, and none of the loaders' look-ups, checks and repeated-key
// handling. The two run alternately, first and second by turns, each on a fresh copy of the same
// database. Prints each run, the best of each and their ratio.
//
// Usage: bench_load [EMPLOYERS] [ROUNDS] [FOLDER]   (defaults: 150000, 2, a temporary folder)
#include "dataset/data_set.h"
#include "generator/release_generator.h"
#include "loading/load_sequence.h"
#include "loading/loaders.h"
#include "loading/release_records.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/dao/sqlite_util.h"
#include "platform/files/fixed_records.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace generator;
using namespace loading;

namespace {

const QString kState = QStringLiteral("PA");

[[noreturn]] void die(const char* what, const char* detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail);
    std::exit(1);
}

void copyFile(const QString& from, const QString& to) {
    QFile::remove(to);
    if (!QFile::copy(from, to)) die("cannot copy", qPrintable(from));
}

void copyRelease(const QString& from, const QString& to) {
    for (const QString& name : QDir(from).entryList({QStringLiteral("*.DAT")}, QDir::Files))
        copyFile(from + "/" + name, to + "/" + name);
}

void generate(const QString& folder, int employers, quint64 seed, GeneratedRelease* result) {
    GeneratorOptions o;
    o.state = kState;
    o.employers = employers;
    o.seed = seed;
    QString error;
    if (!generateRelease(o, folder, result, &error)) die("generator", qPrintable(error));
}

// A bare prepared statement whose text parameters point into the record.
struct Stmt {
    sqlite3_stmt* s = nullptr;
    Stmt(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) die("prepare", sqlite3_errmsg(db));
    }
    ~Stmt() { sqlite3_finalize(s); }
    void text(int i, QByteArrayView v) { sqlite3_bind_text(s, i, v.data(), int(v.size()), SQLITE_STATIC); }
    void date(int i, const QDate& d, char* buf) {
        std::snprintf(buf, 11, "%04d-%02d-%02d", d.year(), d.month(), d.day());
        sqlite3_bind_text(s, i, buf, 10, SQLITE_STATIC);
    }
    void run() {
        if (sqlite3_step(s) != SQLITE_DONE) die("step", sqlite3_errmsg(sqlite3_db_handle(s)));
        sqlite3_reset(s);
    }
};

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) die(sql, sqlite3_errmsg(db));
}

template <typename Insert> void eachRecord(const QString& path, int length, Insert insert) {
    files::FixedRecordReader reader(path, length);
    QByteArray rec;
    while (reader.next(rec))
        insert(rec);
}

std::unique_ptr<dao::Database> openDatabase(const QString& folder) {
    return dao::Database::open(folder + "/" + dataset::stateDatabaseName(kState));
}

// The storage floor: the rows of the class-line and employer files, one transaction, the
// secondary indexes built after the rows.
double storageFloor(const QString& folder, const QString& release) {
    auto db = openDatabase(folder);
    sqlite3* h = dao::detail::rawHandle(*db);
    QElapsedTimer t;
    t.start();
    exec(h, "BEGIN IMMEDIATE");
    QList<QByteArray> indexes;
    {
        Stmt list(h,
                  "SELECT s.name, s.sql FROM sqlite_schema AS s WHERE s.type = 'index' AND s.sql IS NOT NULL "
                  "AND s.tbl_name IN ('PRIME', 'MODS', 'CLASS') "
                  "AND s.sql NOT LIKE 'CREATE UNIQUE%'");
        QList<QByteArray> names;
        while (sqlite3_step(list.s) == SQLITE_ROW) {
            names << reinterpret_cast<const char*>(sqlite3_column_text(list.s, 0));
            indexes << reinterpret_cast<const char*>(sqlite3_column_text(list.s, 1));
        }
        sqlite3_reset(list.s);
        for (const QByteArray& name : names)
            exec(h, ("DROP INDEX \"" + name + "\"").constData());
    }
    exec(h, "DELETE FROM CLASS");
    exec(h, "DELETE FROM PRIME");
    exec(h, "DELETE FROM MODS");
    {
        Stmt cls(
            h,
            "INSERT INTO CLASS (FILE, SEQUENCE, CLASS, CLASSDESC, FILESEQ, LOSSCOST) VALUES (?,?,?,?,?,?)");
        eachRecord(release + "/" + classLineFileName(kState), kClassLineRecordLength,
                   [&](const QByteArray& rec) {
                       if (!sortsAfter(rec, kFilterBlankBang)) return;
                       const ClassLine c = parseClassLine(rec, Layout::Standard);
                       cls.text(1, c.key.file());
                       cls.text(2, c.key.sequence());
                       cls.text(3, c.classCode);
                       sqlite3_bind_null(cls.s, 4);
                       cls.text(5, c.key.fileSeq());
                       sqlite3_bind_double(cls.s, 6, c.lossCost.value_or(0));
                       cls.run();
                   });
        Stmt prime(
            h,
            "INSERT INTO PRIME (STATE, FILE, SEQUENCE, NAME1, NameSort, NAME2, STREET, CITY, ST, ZIP, PHONE, "
            "AREA, SIC, COUNTY, EMPLOYEES, SALES, FILESEQ, TITLE, ZIPEXT, FAX, CONTACT, Omit, User1, User2, "
            "User3, ASSOCIATES, INTERSTATE, REVISED, EXPIRE, MOD, ISSUE1) "
            "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,' ',' ',' ',' ',?,0,0,?,?,?)");
        Stmt mods(h, "INSERT INTO MODS (FILE, SEQUENCE, ISSUE, EFFECTIVE, EXPIRE, MOD) VALUES (?,?,?,?,?,?)");
        Stmt notes(h, "INSERT INTO NOTES (FILE, SEQUENCE, NOTES) VALUES (?,?,' ') ON CONFLICT DO NOTHING");
        char d1[11], d2[11], d3[11], d4[11];
        eachRecord(release + "/" + employerFileName(kState), kEmployerRecordLength,
                   [&](const QByteArray& rec) {
                       if (!sortsAfter(rec, kFilterBang)) return;
                       const EmployerRecord e = parseEmployerRecord(rec, Layout::Standard, false);
                       const QByteArrayView fields[] = {e.state,  e.key.file(),    e.key.sequence(),
                                                        e.name1,  e.name1,         e.name2,
                                                        e.street, e.city,          e.st,
                                                        e.zip,    e.phone,         e.area,
                                                        e.sic,    e.county,        e.employees,
                                                        e.sales,  e.key.fileSeq(), e.title,
                                                        e.zipExt, e.fax,           e.contact};
                       int i = 0;
                       for (QByteArrayView f : fields)
                           prime.text(++i, f);
                       sqlite3_bind_int(prime.s, ++i, e.associates ? 1 : 0);
                       QDate expire;
                       double mod = 0;
                       int issue1 = 0;
                       for (const ModSlot& m : e.mods) {
                           if (!m.inUse) continue;
                           if (!expire.isValid() || m.expire > expire) {
                               expire = m.expire;
                               mod = m.mod.value_or(0);
                           }
                           issue1 = std::max(issue1, m.issue.year());
                           mods.text(1, e.key.file());
                           mods.text(2, e.key.sequence());
                           mods.date(3, m.issue, d1);
                           mods.date(4, m.effective, d2);
                           mods.date(5, m.expire, d3);
                           sqlite3_bind_double(mods.s, 6, m.mod.value_or(0));
                           mods.run();
                       }
                       prime.date(++i, expire.isValid() ? expire : fallbackDate(), d4);
                       sqlite3_bind_double(prime.s, ++i, mod);
                       sqlite3_bind_int(prime.s, ++i, issue1);
                       prime.run();
                       notes.text(1, e.key.file());
                       notes.text(2, e.key.sequence());
                       notes.run();
                   });
    }
    for (const QByteArray& sql : indexes)
        exec(h, sql.constData());
    exec(h, "COMMIT");
    return t.elapsed() / 1000.0;
}

// The program's load: velk-load's sequence, small files, stamp and deletion included.
double realLoad(const QString& folder, const QString& release) {
    copyRelease(release, folder);
    auto db = openDatabase(folder);
    LoadContext ctx;
    ctx.db = db.get();
    ctx.folder = folder;
    ctx.state = kState;
    QElapsedTimer t;
    t.start();
    if (runLoadSequence(ctx, measureReleaseFiles(folder, kState)) != LoadOutcome::Completed)
        die("load", "cancelled");
    return t.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int employers = argc > 1 ? std::atoi(argv[1]) : 150000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
    QTemporaryDir tmp;
    const QString base = argc > 3 ? QString::fromLocal8Bit(argv[3]) : tmp.path();
    const QString previous = base + "/previous", release = base + "/release", run = base + "/run";
    for (const QString& d : {previous, release, run})
        QDir().mkpath(d);

    // The database the load replaces: a release of another seed, loaded by the program's loaders.
    QElapsedTimer t;
    t.start();
    GeneratedRelease gen;
    generate(previous, employers, 2023, nullptr);
    generate(release, employers, 2024, &gen);
    const QString dbName = dataset::stateDatabaseName(kState);
    QFile::remove(previous + "/" + dbName);
    {
        auto db = dao::Database::create(previous + "/" + dbName);
        db->BeginTrans();
        createStateTables(*db, kState);
        db->CommitTrans();
        LoadContext ctx;
        ctx.db = db.get();
        ctx.folder = previous;
        ctx.state = kState;
        runLoadSequence(ctx, measureReleaseFiles(previous, kState));
    }
    std::printf("%d employers, %lld class lines; previous release loaded in %.1f s\n", employers,
                gen.classLineRecords, t.elapsed() / 1000.0);

    double bestFloor = 1e9, bestLoad = 1e9;
    for (int r = 0; r < rounds; ++r) {
        for (int k = 0; k < 2; ++k) {
            const bool floorNow = (r + k) % 2 == 0; // floor first in even rounds, second in odd ones
            copyFile(previous + "/" + dbName, run + "/" + dbName);
            const double s = floorNow ? storageFloor(run, release) : realLoad(run, release);
            (floorNow ? bestFloor : bestLoad) = std::min(floorNow ? bestFloor : bestLoad, s);
            std::printf("round %d, %s: %-14s %6.2f s  (%.0f employers/s, database %.0f MB)\n", r + 1,
                        k == 0 ? "first " : "second", floorNow ? "storage floor" : "velk load", s,
                        employers / s, QFileInfo(run + "/" + dbName).size() / 1e6);
        }
    }
    std::printf("best: storage floor %.2f s, velk load %.2f s, ratio %.2f\n", bestFloor, bestLoad,
                bestLoad / bestFloor);
    return 0;
}
