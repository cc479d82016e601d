// Database layer benchmark: inserts through table recordsets beside the same inserts through raw
// prepared SQLite statements, then opening the 500,000-row table and seeking random keys.
//
// Usage: bench_dao_layer [rows]   (default 500000)
#include "platform/dao/dao.h"
#include "platform/dao/sqlite_util.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kBatch = 300;
constexpr int kSeeks = 10000;

const QVector<dao::ColumnDef> kColumns = {
    {"STATE", "TEXT", 2}, {"FILE", "TEXT", 7},    {"SEQUENCE", "TEXT", 2}, {"NAME1", "TEXT", 35},
    {"NameSort", "TEXT"}, {"STREET", "TEXT", 34}, {"CITY", "TEXT", 22},    {"ST", "TEXT", 2},
    {"ZIP", "TEXT", 5},   {"PHONE", "TEXT", 12},  {"SIC", "TEXT", 4},      {"COUNTY", "TEXT", 3},
    {"EXPIRE", "DATE"},   {"MOD", "DOUBLE"},      {"ASSOCIATES", "YESNO"}, {"Omit", "TEXT", 1},
};

QString fileOf(int i) {
    return QStringLiteral("%1").arg(i, 7, 10, QLatin1Char('0'));
}

// The values of row i, as a loader would hold them.
QVariantList rowValues(int i) {
    const QString name = QStringLiteral("COMPANY %1 OF PENNSYLVANIA").arg((i * 7919) % 1000003);
    return {QStringLiteral("PA"),
            fileOf(i),
            QStringLiteral("01"),
            name,
            name,
            QStringLiteral("%1 MAIN STREET").arg(i % 9999),
            QStringLiteral("HARRISBURG"),
            QStringLiteral("PA"),
            QStringLiteral("17%1").arg(i % 1000, 3, 10, QLatin1Char('0')),
            QStringLiteral("717-555-%1").arg(i % 10000, 4, 10, QLatin1Char('0')),
            QStringLiteral("%1").arg(1000 + i % 9000),
            QStringLiteral("%1").arg(i % 67, 3, 10, QLatin1Char('0')),
            QDate(1995 + i % 10, 1 + i % 12, 1 + i % 28),
            (800 + i % 700) / 1000.0,
            (i % 5) == 0,
            QStringLiteral(" ")};
}

std::unique_ptr<dao::Database> makeDatabase(const QString& path, bool sync = true) {
    auto db = dao::Database::create(path, QStringLiteral("bench"));
    if (!sync) // to see the layer's own cost apart from the disk's
        db->execute("PRAGMA synchronous=OFF");
    db->createTable("PRIME", kColumns);
    db->createIndex("PRIME", "PRIMARY", {"FILE", "SEQUENCE"}, true);
    return db;
}

double insertThroughLayer(dao::Database& db, int rows) {
    QElapsedTimer t;
    t.start();
    auto rs = db.OpenTable("PRIME");
    QStringList names;
    for (const dao::ColumnDef& c : kColumns)
        names << c.name;
    db.BeginTrans();
    for (int i = 0; i < rows; ++i) {
        const QVariantList v = rowValues(i);
        rs->AddNew();
        for (int c = 0; c < names.size(); ++c)
            rs->setValue(names[c], v[c]);
        rs->Update();
        if ((i + 1) % kBatch == 0) {
            db.CommitTrans();
            db.BeginTrans();
        }
    }
    db.CommitTrans();
    return t.elapsed() / 1000.0;
}

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

double insertRaw(dao::Database& db, int rows) {
    sqlite3* h = dao::detail::rawHandle(db);
    QElapsedTimer t;
    t.start();
    QStringList names, marks;
    for (const dao::ColumnDef& c : kColumns) {
        names << QLatin1Char('"') + c.name + QLatin1Char('"');
        marks << QStringLiteral("?");
    }
    const QByteArray sql = QStringLiteral("INSERT INTO PRIME (%1) VALUES (%2)")
                               .arg(names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))
                               .toUtf8();
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr), h);
    check(sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr), h);
    for (int i = 0; i < rows; ++i) {
        const QVariantList v = rowValues(i);
        for (int c = 0; c < v.size(); ++c) {
            const QVariant& x = v[c];
            if (x.typeId() == QMetaType::Double) {
                sqlite3_bind_double(st, c + 1, x.toDouble());
            } else if (x.typeId() == QMetaType::Bool) {
                sqlite3_bind_int(st, c + 1, x.toBool() ? 1 : 0);
            } else {
                const QByteArray u = x.typeId() == QMetaType::QDate
                                         ? x.toDate().toString(Qt::ISODate).toUtf8()
                                         : x.toString().toUtf8();
                sqlite3_bind_text(st, c + 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
            }
        }
        check(sqlite3_step(st), h);
        sqlite3_reset(st);
        if ((i + 1) % kBatch == 0) {
            check(sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr), h);
            check(sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr), h);
        }
    }
    check(sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr), h);
    sqlite3_finalize(st);
    return t.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 500000;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    try {
        std::printf("database layer benchmark: %d rows, transactions of %d\n", rows, kBatch);

        {
            auto raw = makeDatabase(dir.filePath("RAWNOSYNC.MDB"), false);
            const double rawSeconds = insertRaw(*raw, rows);
            auto db = makeDatabase(dir.filePath("LAYERNOSYNC.MDB"), false);
            const double layerSeconds = insertThroughLayer(*db, rows);
            std::printf("without disk syncs: raw %.2f s, layer %.2f s, layer / raw %.2f x\n", rawSeconds,
                        layerSeconds, layerSeconds / rawSeconds);
        }

        auto raw = makeDatabase(dir.filePath("RAW.MDB"));
        const double rawSeconds = insertRaw(*raw, rows);
        raw.reset();
        auto db = makeDatabase(dir.filePath("LAYER.MDB"));
        const double layerSeconds = insertThroughLayer(*db, rows);
        std::printf("insert, raw prepared statements : %8.2f s  (%.1f us/row)\n", rawSeconds,
                    rawSeconds * 1e6 / rows);
        std::printf("insert, through the layer       : %8.2f s  (%.1f us/row)\n", layerSeconds,
                    layerSeconds * 1e6 / rows);
        std::printf("layer / raw                     : %8.2f x  (goal: within 1.3x)\n",
                    layerSeconds / rawSeconds);
        db.reset();

        // Open afresh, as the list form does.
        QElapsedTimer t;
        t.start();
        auto opened = dao::Database::open(dir.filePath("LAYER.MDB"), false, false, ";PWD=bench");
        const double openDbMs = t.nsecsElapsed() / 1e6;
        t.restart();
        auto rs = opened->OpenTable("PRIME");
        rs->setIndex("PRIMARY");
        const QString first = rs->text("FILE");
        const double openTableMs = t.nsecsElapsed() / 1e6;
        std::printf("open database                   : %8.2f ms\n", openDbMs);
        std::printf("open table + index + first row  : %8.2f ms  (goal: under 50 ms)\n", openTableMs);

        t.restart();
        const long long count = rs->RecordCount();
        std::printf("RecordCount (%lld)          : %8.2f ms\n", count, t.nsecsElapsed() / 1e6);

        QRandomGenerator gen(42);
        int found = 0;
        t.restart();
        for (int i = 0; i < kSeeks; ++i) {
            // Every fifth key does not exist, to time the misses too.
            const int k = int(gen.bounded(rows));
            rs->Seek("=", {fileOf(k), i % 5 == 0 ? QStringLiteral("02") : QStringLiteral("01")});
            if (!rs->NoMatch()) {
                ++found;
                (void)rs->value("NAME1");
            }
        }
        const double seekMs = t.nsecsElapsed() / 1e6;
        std::printf("seek %d random keys (%d hits) : %8.2f ms  (%.1f us/seek)\n", kSeeks, found, seekMs,
                    seekMs * 1000 / kSeeks);

        t.restart();
        rs->Seek(">=", {fileOf(rows / 2)});
        int walked = 0;
        for (; walked < 10000 && !rs->atEOF(); ++walked)
            rs->MoveNext();
        std::printf("MoveNext x %d from the middle   : %8.2f ms\n", walked, t.nsecsElapsed() / 1e6);

        t.restart();
        rs->setAbsolutePosition(rows / 2);
        const double jumpMs = t.nsecsElapsed() / 1e6;
        t.restart();
        const long long pos = rs->AbsolutePosition();
        std::printf("setAbsolutePosition(%d)     : %8.2f ms; AbsolutePosition %lld: %.2f ms\n", rows / 2,
                    jumpMs, pos, t.nsecsElapsed() / 1e6);
        (void)first;
    } catch (const dao::DaoError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
