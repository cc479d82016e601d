#include "loading/loaders.h"

#include "dataset/data_set.h"
#include "loading/loader_frame.h"
#include "loading/release_records.h"
#include "platform/dao/dao.h"
#include "platform/dao/statement.h"

#include <QHash>
#include <QSet>

#include <memory>
#include <optional>

namespace loading {

namespace {

const QString kDuplicateCode = QStringLiteral("records repeating a code already loaded (the first was kept)");
const QString kModNotANumber = QStringLiteral("used mod slots whose MOD is not a number (stored empty)");
const QString kLossCostNotANumber =
    QStringLiteral("class lines whose loss cost is not a number (stored empty)");

// Keys compare as the text columns do: without regard to case.
QString keyOf(const QString& a) {
    return a.toUpper();
}
QString keyOf(const QString& a, const QString& b) {
    return a.toUpper() + QChar(0) + b.toUpper();
}
QString keyOf(const QString& a, const QString& b, const QString& c) {
    return keyOf(a, b) + QChar(0) + c.toUpper();
}

// A code table read whole: the category tables are small and do not change during a load.
QHash<QString, QString> readCodeTable(dao::Database& db, const QString& sql) {
    QHash<QString, QString> map;
    dao::Statement q(db, sql);
    while (q.step()) {
        const QString code = keyOf(q.column(0).toString());
        if (!map.contains(code)) map.insert(code, q.column(1).toString());
    }
    return map;
}

// The three plain loaders: a code and a text per record; a repeated code keeps the first.
RecordHandler
codeTableHandler(LoadContext& ctx, const QString& fileName, const QString& table, const QString& insertSql,
                 std::function<std::optional<std::pair<QString, QString>>(const QByteArray&)> parse) {
    auto insert = std::make_shared<dao::Statement>(*ctx.db, insertSql);
    auto seen = std::make_shared<QSet<QString>>();
    return [&ctx, fileName, table, insert, seen, parse](const QByteArray& rec) {
        const auto entry = parse(rec);
        if (!entry) return;
        const QString key = keyOf(entry->first);
        if (seen->contains(key)) {
            ctx.refuse(fileName, kDuplicateCode);
            return;
        }
        seen->insert(key);
        insert->bindText(1, entry->first);
        insert->bindText(2, entry->second);
        insert->run();
        ++ctx.rowsAdded[table];
    };
}

void runCodeTableLoader(LoadContext& ctx, const QString& fileName, int recordLength, const char* filter,
                        const QString& table, const QString& insertSql,
                        std::function<std::optional<std::pair<QString, QString>>(const QByteArray&)> parse) {
    FrameSpec spec;
    spec.fileName = fileName;
    spec.recordLength = recordLength;
    spec.filter = filter;
    spec.emptied = {table};
    runLoaderFrame(ctx, spec, [&] { return codeTableHandler(ctx, fileName, table, insertSql, parse); });
}

// ---- class lines ----------------------------------------------------------------------------

class ClassLineHandler {
public:
    ClassLineHandler(LoadContext& ctx, Layout layout, const QString& fileName)
        : ctx_(ctx), layout_(layout), fileName_(fileName),
          descriptions_(readCodeTable(*ctx.db, QStringLiteral("SELECT CLASS, [DESC] FROM CLASSLIST"))),
          select_(*ctx.db,
                  QStringLiteral("SELECT LOSSCOST FROM CLASS WHERE FILE = ? AND SEQUENCE = ? AND CLASS = ?")),
          insert_(*ctx.db,
                  QStringLiteral("INSERT INTO CLASS (FILE, SEQUENCE, CLASS, CLASSDESC, FILESEQ, LOSSCOST) "
                                 "VALUES (?, ?, ?, ?, ?, ?)")),
          // A description or loss cost given as Null keeps the stored one.
          update_(*ctx.db, QStringLiteral("UPDATE CLASS SET CLASSDESC = COALESCE(?, CLASSDESC), FILESEQ = ?, "
                                          "LOSSCOST = COALESCE(?, LOSSCOST) "
                                          "WHERE FILE = ? AND SEQUENCE = ? AND CLASS = ?")) {}

    void handle(const QByteArray& rec) {
        const ClassLine line = parseClassLine(rec, layout_);
        if (!line.lossCost) ctx_.refuse(fileName_, kLossCostNotANumber);
        const auto desc = descriptions_.constFind(keyOf(line.classCode));
        const QVariant description = desc == descriptions_.constEnd() ? QVariant() : QVariant(*desc);
        const QVariant lossCost = line.lossCost ? QVariant(*line.lossCost) : QVariant();

        const QString key = keyOf(line.file, line.sequence, line.classCode);
        if (!seen_.contains(key)) {
            seen_.insert(key);
            insert_.bindText(1, line.file);
            insert_.bindText(2, line.sequence);
            insert_.bindText(3, line.classCode);
            insert_.bind(4, description);
            insert_.bindText(5, line.fileSeq());
            insert_.bind(6, lossCost);
            insert_.run();
            ++ctx_.rowsAdded[QStringLiteral("CLASS")];
            return;
        }
        // A repeated line of the same file: written only when its loss cost differs.
        select_.bindText(1, line.file);
        select_.bindText(2, line.sequence);
        select_.bindText(3, line.classCode);
        QVariant stored;
        if (select_.step()) stored = select_.column(0);
        select_.reset();
        if (line.lossCost && stored.isValid() && stored.toDouble() == *line.lossCost) return;
        update_.bind(1, description);
        update_.bindText(2, line.fileSeq());
        update_.bind(3, lossCost);
        update_.bindText(4, line.file);
        update_.bindText(5, line.sequence);
        update_.bindText(6, line.classCode);
        update_.run();
    }

private:
    LoadContext& ctx_;
    Layout layout_;
    QString fileName_;
    QHash<QString, QString> descriptions_;
    QSet<QString> seen_;
    dao::Statement select_, insert_, update_;
};

void runClassLoader(LoadContext& ctx, Layout layout) {
    FrameSpec spec;
    spec.fileName =
        layout == Layout::NewYork ? classLineFileName(QStringLiteral("NY")) : classLineFileName(ctx.state);
    spec.recordLength = kClassLineRecordLength;
    spec.filter = kFilterBlankBang;
    spec.emptied = {QStringLiteral("CLASS")};
    spec.batchSize = kClassBatch;
    spec.progressText = QString::fromLatin1(kClassProgress);
    runLoaderFrame(ctx, spec, [&]() -> RecordHandler {
        auto h = std::make_shared<ClassLineHandler>(ctx, layout, spec.fileName);
        return [h](const QByteArray& rec) { h->handle(rec); };
    });
}

// ---- employer records -----------------------------------------------------------------------

// The PRIME columns a record sets, in the order of their parameters.
QStringList primeColumns(Layout layout, bool nj) {
    QStringList c{"STATE",      "FILE",    "SEQUENCE", "NAME1",      "NameSort",   "NAME2",   "STREET",
                  "CITY",       "ST",      "ZIP",      "PHONE",      "AREA",       "SIC",     "COUNTY",
                  "EMPLOYEES",  "SALES",   "FILESEQ",  "TITLE",      "ZIPEXT",     "FAX",     "Omit",
                  "User1",      "User2",   "User3",    "ASSOCIATES", "INTERSTATE", "REVISED", "COUNTYNAME",
                  "CountySort", "CONTACT", "EXPIRE",   "MOD",        "ISSUE1"};
    if (layout == Layout::Standard && nj)
        c << QStringList{"CONDITIONAL", "ARESTPREM", "ARTOTPREM", "ARTOTLOSS", "NJAR", "NJPPAP", "NJCCPAP"};
    return c;
}

// What a record may carry over from an earlier record with the same key.
struct PrimeCarry {
    std::optional<QDate> expire;
    QVariant mod, issue1, countyName, njar;
};

class EmployerHandler {
public:
    EmployerHandler(LoadContext& ctx, Layout layout, const QString& fileName)
        : ctx_(ctx), layout_(layout), nj_(layout == Layout::Standard && dataset::isNewJersey(ctx.state)),
          fileName_(fileName), columns_(primeColumns(layout_, nj_)),
          counties_(readCodeTable(*ctx.db, QStringLiteral("SELECT CODE, COUNTY FROM COUNTY"))),
          select_(*ctx.db, QStringLiteral("SELECT EXPIRE, MOD, ISSUE1, COUNTYNAME, NJAR FROM PRIME "
                                          "WHERE FILE = ? AND SEQUENCE = ?")),
          insert_(*ctx.db, insertSql()), update_(*ctx.db, updateSql()),
          insertMod_(*ctx.db,
                     QStringLiteral("INSERT INTO MODS (FILE, SEQUENCE, ISSUE, EFFECTIVE, EXPIRE, MOD) "
                                    "VALUES (?, ?, ?, ?, ?, ?)")),
          // The user's note of an employer known from an earlier release stays as it is.
          insertNote_(
              *ctx.db,
              QStringLiteral("INSERT OR IGNORE INTO NOTES (FILE, SEQUENCE, NOTES) VALUES (?, ?, ' ')")) {}

    void handle(const QByteArray& rec) {
        const EmployerRecord r = parseEmployerRecord(rec, layout_, nj_);
        const QString key = keyOf(r.file, r.sequence);
        const bool repeated = seen_.contains(key);
        PrimeCarry carry;
        if (repeated) {
            carry = readCarry(r);
        } else {
            seen_.insert(key);
        }
        if (const auto county = counties_.constFind(keyOf(r.county)); county != counties_.constEnd())
            carry.countyName = *county;
        if (r.njar) carry.njar = *r.njar;

        for (const ModSlot& slot : r.mods) {
            if (!slot.inUse) continue;
            const QVariant mod = slot.mod ? QVariant(*slot.mod) : QVariant();
            if (!slot.mod) ctx_.refuse(fileName_, kModNotANumber);
            // Among equal expiry dates the earliest slot keeps its MOD.
            if (!carry.expire || slot.expire > *carry.expire) {
                carry.expire = slot.expire;
                carry.mod = mod;
            }
            if (layout_ == Layout::Standard &&
                (carry.issue1.isNull() || slot.issue.year() > carry.issue1.toInt()))
                carry.issue1 = slot.issue.year();
            insertMod_.bindText(1, r.file);
            insertMod_.bindText(2, r.sequence);
            insertMod_.bind(3, slot.issue);
            insertMod_.bind(4, slot.effective);
            insertMod_.bind(5, slot.expire);
            insertMod_.bind(6, mod);
            insertMod_.run();
            ++ctx_.rowsAdded[QStringLiteral("MODS")];
        }

        insertNote_.bindText(1, r.file);
        insertNote_.bindText(2, r.sequence);
        if (insertNote_.run() > 0) ++ctx_.rowsAdded[QStringLiteral("NOTES")];

        dao::Statement& write = repeated ? update_ : insert_;
        const int n = bindRow(write, r, carry);
        if (repeated) {
            write.bindText(n + 1, r.file);
            write.bindText(n + 2, r.sequence);
        }
        write.run();
        if (!repeated) ++ctx_.rowsAdded[QStringLiteral("PRIME")];
    }

private:
    QString insertSql() const {
        QStringList marks;
        for (int i = 0; i < columns_.size(); ++i)
            marks << QStringLiteral("?");
        return QStringLiteral("INSERT INTO PRIME (%1) VALUES (%2)")
            .arg(columns_.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    }
    QString updateSql() const {
        QStringList sets;
        for (const QString& c : columns_)
            sets << c + QStringLiteral(" = ?");
        return QStringLiteral("UPDATE PRIME SET %1 WHERE FILE = ? AND SEQUENCE = ?")
            .arg(sets.join(QStringLiteral(", ")));
    }

    PrimeCarry readCarry(const EmployerRecord& r) {
        PrimeCarry c;
        select_.bindText(1, r.file);
        select_.bindText(2, r.sequence);
        if (select_.step()) {
            const QVariant expire = select_.column(0);
            if (expire.isValid()) c.expire = dao::toDate(expire);
            c.mod = select_.column(1);
            c.issue1 = select_.column(2);
            c.countyName = select_.column(3);
            c.njar = select_.column(4);
        }
        select_.reset();
        return c;
    }

    // Binds the columns of columns_ in order; returns how many were bound.
    int bindRow(dao::Statement& s, const EmployerRecord& r, const PrimeCarry& c) const {
        const QString blank = QStringLiteral(" ");
        const QVariant values[] = {r.state,
                                   r.file,
                                   r.sequence,
                                   r.name1,
                                   r.name1,
                                   r.name2,
                                   r.street,
                                   r.city,
                                   r.st,
                                   r.zip,
                                   r.phone,
                                   r.area,
                                   r.sic,
                                   r.county,
                                   r.employees,
                                   r.sales,
                                   r.fileSeq(),
                                   r.title,
                                   r.zipExt,
                                   r.fax,
                                   blank,
                                   blank,
                                   blank,
                                   blank,
                                   r.associates,
                                   r.interstate,
                                   r.revised,
                                   c.countyName,
                                   c.countyName,
                                   r.contact,
                                   c.expire ? QVariant(*c.expire) : QVariant(),
                                   c.mod,
                                   c.issue1};
        int i = 0;
        for (const QVariant& v : values)
            s.bind(++i, v);
        if (nj_) {
            for (const QVariant& v : {QVariant(r.conditional), QVariant(r.arEstPrem), QVariant(r.arTotPrem),
                                      QVariant(r.arTotLoss), c.njar, QVariant(r.njPpap), QVariant(r.njCcpap)})
                s.bind(++i, v);
        }
        return i;
    }

    LoadContext& ctx_;
    Layout layout_;
    bool nj_;
    QString fileName_;
    QStringList columns_;
    QHash<QString, QString> counties_;
    QSet<QString> seen_;
    dao::Statement select_, insert_, update_, insertMod_, insertNote_;
};

void runEmployerLoader(LoadContext& ctx, Layout layout) {
    FrameSpec spec;
    spec.fileName =
        layout == Layout::NewYork ? employerFileName(QStringLiteral("NY")) : employerFileName(ctx.state);
    spec.recordLength = kEmployerRecordLength;
    spec.filter = kFilterBang;
    spec.emptied = {QStringLiteral("PRIME"), QStringLiteral("MODS")};
    spec.batchSize = kEmployerBatch;
    spec.progressText = QString::fromLatin1(kEmployerProgress);
    runLoaderFrame(ctx, spec, [&]() -> RecordHandler {
        auto h = std::make_shared<EmployerHandler>(ctx, layout, spec.fileName);
        return [h](const QByteArray& rec) { h->handle(rec); };
    });
}

// ---- New York address lines -----------------------------------------------------------------

class AddressHandler {
public:
    explicit AddressHandler(LoadContext& ctx)
        : ctx_(ctx),
          select_(*ctx.db, QStringLiteral("SELECT ADDRESSES FROM ADDRESSES WHERE FILE = ? AND SEQUENCE = ?")),
          insert_(*ctx.db,
                  QStringLiteral("INSERT INTO ADDRESSES (FILE, SEQUENCE, ADDRESSES) VALUES (?, ?, ?)")),
          update_(*ctx.db,
                  QStringLiteral("UPDATE ADDRESSES SET ADDRESSES = ? WHERE FILE = ? AND SEQUENCE = ?")) {}

    void handle(const QByteArray& rec) {
        const AddressRecord a = parseAddressRecord(rec);
        QString memo;
        const QString key = keyOf(a.file, a.sequence);
        const bool repeated = seen_.contains(key);
        if (repeated) {
            select_.bindText(1, a.file);
            select_.bindText(2, a.sequence);
            if (select_.step()) memo = select_.column(0).toString();
            select_.reset();
        } else {
            seen_.insert(key);
        }
        for (const QString& line : a.lines)
            memo += line + QStringLiteral("\r\n");
        const QVariant value = memo.isEmpty() ? QVariant() : QVariant(memo);
        if (repeated) {
            update_.bind(1, value);
            update_.bindText(2, a.file);
            update_.bindText(3, a.sequence);
            update_.run();
        } else {
            insert_.bindText(1, a.file);
            insert_.bindText(2, a.sequence);
            insert_.bind(3, value);
            insert_.run();
            ++ctx_.rowsAdded[QStringLiteral("ADDRESSES")];
        }
    }

private:
    LoadContext& ctx_;
    QSet<QString> seen_;
    dao::Statement select_, insert_, update_;
};

} // namespace

QString sicFileName() {
    return QStringLiteral("SIC.DAT");
}
QString classListFileName() {
    return QStringLiteral("CLASSES.DAT");
}
QString countyFileName(const QString& state) {
    return QStringLiteral("CTY") + state + QStringLiteral(".DAT");
}
QString classLineFileName(const QString& state) {
    return QStringLiteral("DATA1") + state + QStringLiteral(".DAT");
}
QString employerFileName(const QString& state) {
    return QStringLiteral("DATA") + state + QStringLiteral(".DAT");
}
QString addressFileName() {
    return QStringLiteral("DATA2NY.DAT");
}

void NEWSICSTD(LoadContext& ctx) {
    // No record filter: the code's length decides.
    runCodeTableLoader(ctx, sicFileName(), kSicRecordLength, nullptr, QStringLiteral("SICCODES"),
                       QStringLiteral("INSERT INTO SICCODES (CODE, [DESC]) VALUES (?, ?)"),
                       [](const QByteArray& rec) -> std::optional<std::pair<QString, QString>> {
                           const auto e = parseSicRecord(rec);
                           if (!e) return std::nullopt;
                           return std::pair{e->code, e->desc};
                       });
}

void NEWCLASSLISTSTD(LoadContext& ctx) {
    runCodeTableLoader(ctx, classListFileName(), kClassListRecordLength, kFilterBlankBang,
                       QStringLiteral("CLASSLIST"),
                       QStringLiteral("INSERT INTO CLASSLIST (CLASS, [DESC]) VALUES (?, ?)"),
                       [](const QByteArray& rec) -> std::optional<std::pair<QString, QString>> {
                           const ClassListEntry e = parseClassListRecord(rec);
                           return std::pair{e.classCode, e.desc};
                       });
}

void NEWCOUNTYSTD(LoadContext& ctx) {
    runCodeTableLoader(ctx, countyFileName(ctx.state), kCountyRecordLength, kFilterBlankBang,
                       QStringLiteral("COUNTY"),
                       QStringLiteral("INSERT INTO COUNTY (CODE, COUNTY) VALUES (?, ?)"),
                       [](const QByteArray& rec) -> std::optional<std::pair<QString, QString>> {
                           const CountyEntry e = parseCountyRecord(rec);
                           return std::pair{e.code, e.name};
                       });
}

void NEWCLASSNY(LoadContext& ctx) {
    runClassLoader(ctx, Layout::NewYork);
}

void NEWCLASSSTD(LoadContext& ctx) {
    runClassLoader(ctx, Layout::Standard);
}

void NEWDATANY(LoadContext& ctx) {
    runEmployerLoader(ctx, Layout::NewYork);
}

void NEWDATASTD(LoadContext& ctx) {
    runEmployerLoader(ctx, Layout::Standard);
}

void NEWADDRESSESNY(LoadContext& ctx) {
    FrameSpec spec;
    spec.fileName = addressFileName();
    spec.recordLength = kAddressRecordLength;
    spec.filter = kFilterBlankBang;
    spec.emptied = {QStringLiteral("ADDRESSES")};
    spec.batchSize = kAddressBatch;
    spec.progressText = QString::fromLatin1(kAddressProgress);
    runLoaderFrame(ctx, spec, [&]() -> RecordHandler {
        auto h = std::make_shared<AddressHandler>(ctx);
        return [h](const QByteArray& rec) { h->handle(rec); };
    });
}

} // namespace loading
