// Load benchmark: a generated release of 150,000 employers (about 450,000 class lines) loaded by
// the real loaders, and beside it the same rows inserted with bare prepared SQLite statements
// committing at the same batch sizes. Prints employers per second for both and their ratio.
//
// Usage: bench_load [EMPLOYERS] [FOLDER]   (defaults: 150000, a temporary folder)
#include "dataset/data_set.h"
#include "generator/release_generator.h"
#include "loading/load_context.h"
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
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <memory>

using namespace generator;
using namespace loading;

namespace {

const QString kState = QStringLiteral("PA");

void copyRelease(const QString& from, const QString& to) {
    for (const QString& name : QDir(from).entryList({QStringLiteral("*.DAT")}, QDir::Files)) {
        QFile::remove(to + "/" + name);
        if (!QFile::copy(from + "/" + name, to + "/" + name)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(name));
            std::exit(1);
        }
    }
}

std::unique_ptr<dao::Database> freshDatabase(const QString& folder) {
    const QString path = folder + "/" + dataset::stateDatabaseName(kState);
    QFile::remove(path);
    auto db = dao::Database::create(path);
    db->BeginTrans();
    createStateTables(*db, kState);
    db->CommitTrans();
    return db;
}

// A bare prepared statement.
struct Stmt {
    sqlite3_stmt* s = nullptr;
    Stmt(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "prepare: %s\n", sqlite3_errmsg(db));
            std::exit(1);
        }
    }
    ~Stmt() { sqlite3_finalize(s); }
    void text(int i, const QString& v) {
        const QByteArray u = v.toUtf8();
        sqlite3_bind_text(s, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
    void run() {
        if (sqlite3_step(s) != SQLITE_DONE) {
            std::fprintf(stderr, "step: %s\n", sqlite3_errmsg(sqlite3_db_handle(s)));
            std::exit(1);
        }
        sqlite3_reset(s);
    }
};

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
        std::exit(1);
    }
}

// Reads a release file record by record and commits every batch + 1 records, as the loaders do.
template <typename Insert>
void rawBatches(sqlite3* db, const QString& path, int length, int batch, Insert insert) {
    files::FixedRecordReader reader(path, length);
    QByteArray rec;
    int count = 0;
    exec(db, "BEGIN");
    while (reader.next(rec)) {
        insert(rec);
        if (++count > batch) {
            exec(db, "COMMIT");
            exec(db, "BEGIN");
            count = 0;
        }
    }
    exec(db, "COMMIT");
}

QString iso(const QDate& d) {
    return d.toString(Qt::ISODate);
}

// The same rows as the loaders write, without their look-ups, repeated-key handling and frame.
double rawBaseline(const QString& folder, const QString& release) {
    auto db = freshDatabase(folder);
    sqlite3* h = dao::detail::rawHandle(*db);
    const QString classes = release + "/" + classLineFileName(kState);
    const QString employers = release + "/" + employerFileName(kState);
    QElapsedTimer t;
    t.start();
    {
        Stmt cls(
            h,
            "INSERT INTO CLASS (FILE, SEQUENCE, CLASS, CLASSDESC, FILESEQ, LOSSCOST) VALUES (?,?,?,?,?,?)");
        rawBatches(h, classes, kClassLineRecordLength, kClassBatch, [&](const QByteArray& rec) {
            if (!sortsAfter(rec, kFilterBlankBang)) return;
            const ClassLine c = parseClassLine(rec, Layout::Standard);
            cls.text(1, c.file);
            cls.text(2, c.sequence);
            cls.text(3, c.classCode);
            sqlite3_bind_null(cls.s, 4);
            cls.text(5, c.fileSeq());
            sqlite3_bind_double(cls.s, 6, c.lossCost.value_or(0));
            cls.run();
        });
        Stmt prime(
            h,
            "INSERT INTO PRIME (STATE, FILE, SEQUENCE, NAME1, NameSort, NAME2, STREET, CITY, ST, ZIP, PHONE, "
            "AREA, SIC, COUNTY, EMPLOYEES, SALES, FILESEQ, TITLE, ZIPEXT, FAX, Omit, User1, User2, User3, "
            "ASSOCIATES, INTERSTATE, REVISED, CONTACT, EXPIRE, MOD, ISSUE1) "
            "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,' ',' ',' ',' ',?,0,0,?,?,?,?)");
        Stmt mods(h, "INSERT INTO MODS (FILE, SEQUENCE, ISSUE, EFFECTIVE, EXPIRE, MOD) VALUES (?,?,?,?,?,?)");
        Stmt notes(h, "INSERT INTO NOTES (FILE, SEQUENCE, NOTES) VALUES (?,?,' ')");
        rawBatches(h, employers, kEmployerRecordLength, kEmployerBatch, [&](const QByteArray& rec) {
            if (!sortsAfter(rec, kFilterBang)) return;
            const EmployerRecord e = parseEmployerRecord(rec, Layout::Standard, false);
            const QString fields[] = {e.state,     e.file,  e.sequence,  e.name1, e.name1,  e.name2, e.street,
                                      e.city,      e.st,    e.zip,       e.phone, e.area,   e.sic,   e.county,
                                      e.employees, e.sales, e.fileSeq(), e.title, e.zipExt, e.fax};
            int i = 0;
            for (const QString& f : fields)
                prime.text(++i, f);
            sqlite3_bind_int(prime.s, ++i, e.associates ? 1 : 0);
            prime.text(++i, e.contact);
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
                mods.text(1, e.file);
                mods.text(2, e.sequence);
                mods.text(3, iso(m.issue));
                mods.text(4, iso(m.effective));
                mods.text(5, iso(m.expire));
                sqlite3_bind_double(mods.s, 6, m.mod.value_or(0));
                mods.run();
            }
            prime.text(++i, iso(expire));
            sqlite3_bind_double(prime.s, ++i, mod);
            sqlite3_bind_int(prime.s, ++i, issue1);
            prime.run();
            notes.text(1, e.file);
            notes.text(2, e.sequence);
            notes.run();
        });
    }
    return t.elapsed() / 1000.0;
}

struct LoaderTimes {
    double classes = 0, employers = 0;
};

LoaderTimes realLoaders(const QString& folder, const QString& release) {
    auto db = freshDatabase(folder);
    copyRelease(release, folder);
    LoadContext ctx;
    ctx.db = db.get();
    ctx.folder = folder;
    ctx.state = kState;
    NEWSICSTD(ctx);
    NEWCLASSLISTSTD(ctx);
    NEWCOUNTYSTD(ctx);
    LoaderTimes times;
    QElapsedTimer t;
    t.start();
    NEWCLASSSTD(ctx);
    times.classes = t.restart() / 1000.0;
    NEWDATASTD(ctx);
    times.employers = t.elapsed() / 1000.0;
    return times;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int employers = argc > 1 ? std::atoi(argv[1]) : 150000;
    QTemporaryDir tmp;
    const QString base = argc > 2 ? QString::fromLocal8Bit(argv[2]) : tmp.path();
    const QString release = base + "/release", real = base + "/real", raw = base + "/raw";
    for (const QString& d : {release, real, raw})
        QDir().mkpath(d);

    GeneratorOptions o;
    o.state = kState;
    o.employers = employers;
    o.seed = 2024;
    GeneratedRelease gen;
    QElapsedTimer t;
    t.start();
    QString error;
    if (!generateRelease(o, release, &gen, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("generated %lld employers, %lld class lines in %.2f s\n", gen.employerRecords,
                gen.classLineRecords, t.elapsed() / 1000.0);

    const LoaderTimes loaders = realLoaders(real, release);
    const double rawSeconds = rawBaseline(raw, release);
    const double loaderSeconds = loaders.classes + loaders.employers;
    std::printf("real loaders:  class lines %.2f s, employers %.2f s, total %.2f s: %.0f employers/s\n",
                loaders.classes, loaders.employers, loaderSeconds, employers / loaderSeconds);
    std::printf("raw baseline:  total %.2f s: %.0f employers/s\n", rawSeconds, employers / rawSeconds);
    std::printf("ratio (loaders / raw time): %.2f\n", loaderSeconds / rawSeconds);
    return 0;
}
