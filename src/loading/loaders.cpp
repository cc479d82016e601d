#include "loading/loaders.h"

#include "dataset/data_set.h"
#include "loading/loader_frame.h"
#include "loading/release_records.h"
#include "loading/row_statement.h"
#include "platform/dao/dao.h"
#include "platform/dao/statement.h"

#include <QHash>

#include <algorithm>
#include <cstring>

#include <memory>
#include <optional>

namespace loading {

namespace {

const QString kDuplicateCode = QStringLiteral("records repeating a code already loaded (the first was kept)");
const QString kKeyNotText = QStringLiteral("records whose key is not printable text (not stored)");
const QString kNameNotText =
    QStringLiteral("records whose name holds control characters (stored as they stand)");
const QString kNotADate = QStringLiteral("dates that are not dates (stored as 01/01/50)");
const QString kModNotANumber = QStringLiteral("used mod slots whose MOD is not a number (stored empty)");
const QString kLossCostNotANumber =
    QStringLiteral("class lines whose loss cost is not a number (stored empty)");

// Repeated keys are found by the tables' unique indexes: a row that is there already is not added.
const QString kIfNew = QStringLiteral(" ON CONFLICT DO NOTHING");

bool hasControlChar(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return true;
    return false;
}

// UTF-8 bytes with their ASCII letters in upper case: codes compare as the text columns do.
void foldCase(char* p, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i)
        if (p[i] >= 'a' && p[i] <= 'z') p[i] = char(p[i] - 'a' + 'A');
}

// A code table read whole (the category tables are small and do not change during a load): the
// text of a code, as UTF-8.
class CodeTable {
public:
    CodeTable(dao::Database& db, const QString& sql) {
        dao::Statement q(db, sql);
        while (q.step()) {
            QByteArray code = q.column(0).toString().toUtf8();
            foldCase(code.data(), code.size());
            if (!map_.contains(code)) map_.insert(code, q.column(1).toString().toUtf8());
        }
    }
    // The text of a code given as release bytes; nullptr when the table has no such code.
    const QByteArray* find(QByteArrayView win1252) const {
        char small[16];
        QByteArray key;
        const size_t n = size_t(win1252.size());
        if (n <= sizeof small &&
            std::all_of(win1252.begin(), win1252.end(), [](char c) { return (unsigned char)c < 0x80; })) {
            std::memcpy(small, win1252.data(), n);
            foldCase(small, qsizetype(n));
            key = QByteArray::fromRawData(small, qsizetype(n));
        } else {
            appendUtf8(key, win1252);
            foldCase(key.data(), key.size());
        }
        const auto it = map_.constFind(key);
        return it == map_.constEnd() ? nullptr : &*it;
    }

private:
    QHash<QByteArray, QByteArray> map_;
};

// ---- the three plain loaders: a code and a text per record; a repeated code keeps the first ----

using CodeParser = std::optional<std::pair<QString, QString>> (*)(const QByteArray&);

class CodeTableLoader : public RecordLoader {
public:
    CodeTableLoader(LoadContext& ctx, const QString& fileName, const QString& table, const QString& insertSql,
                    CodeParser parse)
        : ctx_(ctx), fileName_(fileName), table_(table), insert_(*ctx.db, insertSql + kIfNew), parse_(parse) {
    }

    void handle(const QByteArray& rec) override {
        const auto entry = parse_(rec);
        if (!entry) return;
        if (hasControlChar(entry->first)) {
            ++notText_;
            return;
        }
        insert_.bindText(1, entry->first);
        insert_.bindText(2, entry->second);
        if (insert_.run() > 0)
            ++added_;
        else
            ++repeated_;
    }
    void finish() override {
        ctx_.refuse(fileName_, kKeyNotText, notText_);
        ctx_.refuse(fileName_, kDuplicateCode, repeated_);
        ctx_.rowsAdded[table_] += added_;
    }

private:
    LoadContext& ctx_;
    QString fileName_, table_;
    dao::Statement insert_;
    CodeParser parse_;
    long long added_ = 0, repeated_ = 0, notText_ = 0;
};

void runCodeTableLoader(LoadContext& ctx, const QString& fileName, int recordLength, const char* filter,
                        const QString& table, const QString& insertSql, CodeParser parse) {
    FrameSpec spec;
    spec.fileName = fileName;
    spec.recordLength = recordLength;
    spec.filter = filter;
    spec.emptied = {table};
    runLoaderFrame(ctx, spec,
                   [&] { return std::make_unique<CodeTableLoader>(ctx, fileName, table, insertSql, parse); });
}

// ---- class lines ----------------------------------------------------------------------------

class ClassLineLoader : public RecordLoader {
public:
    ClassLineLoader(LoadContext& ctx, Layout layout, const QString& fileName)
        : ctx_(ctx), layout_(layout), fileName_(fileName),
          descriptions_(*ctx.db, QStringLiteral("SELECT CLASS, [DESC] FROM CLASSLIST")),
          insert_(*ctx.db,
                  QStringLiteral("INSERT INTO CLASS (FILE, SEQUENCE, CLASS, CLASSDESC, FILESEQ, LOSSCOST) "
                                 "VALUES (?, ?, ?, ?, ?, ?)") +
                      kIfNew),
          select_(*ctx.db,
                  QStringLiteral("SELECT LOSSCOST FROM CLASS WHERE FILE = ? AND SEQUENCE = ? AND CLASS = ?")),
          // A description or loss cost given as Null keeps the stored one.
          update_(*ctx.db, QStringLiteral("UPDATE CLASS SET CLASSDESC = COALESCE(?, CLASSDESC), FILESEQ = ?, "
                                          "LOSSCOST = COALESCE(?, LOSSCOST) "
                                          "WHERE FILE = ? AND SEQUENCE = ? AND CLASS = ?")) {}

    void handle(const QByteArray& rec) override {
        const ClassLine line = parseClassLine(rec, layout_);
        if (!line.key.printable() || hasControlByte(line.classCode)) {
            ++notText_;
            return;
        }
        if (!line.lossCost) ++lossCostNotANumber_;
        const QByteArray* desc = descriptions_.find(line.classCode);
        const QVariant lossCost = line.lossCost ? QVariant(*line.lossCost) : QVariant();

        insert_.text(1, line.key.file());
        insert_.text(2, line.key.sequence());
        insert_.text(3, line.classCode);
        bindDescription(insert_, 4, desc);
        insert_.text(5, line.key.fileSeq());
        insert_.value(6, lossCost);
        if (insert_.run() > 0) {
            ++added_;
            return;
        }
        // A repeated line of the same file: written only when its loss cost differs.
        select_.text(1, line.key.file());
        select_.text(2, line.key.sequence());
        select_.text(3, line.classCode);
        QVariant stored;
        if (select_.step()) stored = select_.column(0);
        select_.reset();
        if (line.lossCost && stored.isValid() && stored.toDouble() == *line.lossCost) return;
        bindDescription(update_, 1, desc);
        update_.text(2, line.key.fileSeq());
        update_.value(3, lossCost);
        update_.text(4, line.key.file());
        update_.text(5, line.key.sequence());
        update_.text(6, line.classCode);
        update_.run();
    }
    void finish() override {
        ctx_.refuse(fileName_, kKeyNotText, notText_);
        ctx_.refuse(fileName_, kLossCostNotANumber, lossCostNotANumber_);
        ctx_.rowsAdded[QStringLiteral("CLASS")] += added_;
    }

private:
    static void bindDescription(RowStatement& s, int i, const QByteArray* desc) {
        if (desc)
            s.utf8(i, *desc);
        else
            s.value(i, QVariant());
    }

    LoadContext& ctx_;
    Layout layout_;
    QString fileName_;
    CodeTable descriptions_;
    RowStatement insert_, select_, update_;
    long long added_ = 0, notText_ = 0, lossCostNotANumber_ = 0;
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
    runLoaderFrame(ctx, spec, [&] { return std::make_unique<ClassLineLoader>(ctx, layout, spec.fileName); });
}

// ---- employer records -----------------------------------------------------------------------

// PRIME columns taken from the record as they stand.
struct TextColumn {
    const char* name;
    QByteArrayView EmployerRecord::*field;
};
const TextColumn kTextColumns[] = {
    {"STATE", &EmployerRecord::state},
    {"NAME1", &EmployerRecord::name1},
    {"NameSort", &EmployerRecord::name1},
    {"NAME2", &EmployerRecord::name2},
    {"STREET", &EmployerRecord::street},
    {"CITY", &EmployerRecord::city},
    {"ST", &EmployerRecord::st},
    {"ZIP", &EmployerRecord::zip},
    {"PHONE", &EmployerRecord::phone},
    {"AREA", &EmployerRecord::area},
    {"SIC", &EmployerRecord::sic},
    {"COUNTY", &EmployerRecord::county},
    {"EMPLOYEES", &EmployerRecord::employees},
    {"SALES", &EmployerRecord::sales},
    {"TITLE", &EmployerRecord::title},
    {"ZIPEXT", &EmployerRecord::zipExt},
    {"FAX", &EmployerRecord::fax},
    {"CONTACT", &EmployerRecord::contact},
};
const TextColumn kNewJerseyColumns[] = {
    {"CONDITIONAL", &EmployerRecord::conditional}, {"ARESTPREM", &EmployerRecord::arEstPrem},
    {"ARTOTPREM", &EmployerRecord::arTotPrem},     {"ARTOTLOSS", &EmployerRecord::arTotLoss},
    {"NJPPAP", &EmployerRecord::njPpap},           {"NJCCPAP", &EmployerRecord::njCcpap},
};
// The rest, bound by bindPrime in this order after the text columns.
const char* const kOtherColumns[] = {"FILE",       "SEQUENCE", "FILESEQ",    "ASSOCIATES",
                                     "INTERSTATE", "REVISED",  "COUNTYNAME", "CountySort",
                                     "EXPIRE",     "MOD",      "ISSUE1",     "NJAR"};
// Written as a single blank by every load: the user fields and the exclusion mark start again.
const char* const kBlankColumns[] = {"Omit", "User1", "User2", "User3"};

// What a record may carry over from an earlier record with the same key.
struct PrimeCarry {
    QDate expire; // invalid: none
    QVariant mod;
    std::optional<int> issue1, njar;
    std::optional<QByteArray> countyName; // UTF-8
};

class EmployerLoader : public RecordLoader {
public:
    EmployerLoader(LoadContext& ctx, Layout layout, const QString& fileName)
        : ctx_(ctx), layout_(layout), nj_(layout == Layout::Standard && dataset::isNewJersey(ctx.state)),
          fileName_(fileName), counties_(*ctx.db, QStringLiteral("SELECT CODE, COUNTY FROM COUNTY")),
          insert_(*ctx.db, insertSql()), update_(*ctx.db, updateSql()),
          select_(*ctx.db, QStringLiteral("SELECT EXPIRE, MOD, ISSUE1, COUNTYNAME, NJAR FROM PRIME "
                                          "WHERE FILE = ? AND SEQUENCE = ?")),
          insertMod_(*ctx.db,
                     QStringLiteral("INSERT INTO MODS (FILE, SEQUENCE, ISSUE, EFFECTIVE, EXPIRE, MOD) "
                                    "VALUES (?, ?, ?, ?, ?, ?)")),
          // The user's note of an employer known from an earlier release stays as it is.
          insertNote_(*ctx.db,
                      QStringLiteral("INSERT INTO NOTES (FILE, SEQUENCE, NOTES) VALUES (?, ?, ' ')") +
                          kIfNew) {}

    void handle(const QByteArray& rec) override {
        const EmployerRecord r = parseEmployerRecord(rec, layout_, nj_);
        if (!r.key.printable()) {
            ++notText_;
            return;
        }
        if (hasControlByte(r.name1)) ++nameNotText_;

        PrimeCarry carry;
        takeRecord(carry, r);
        bindPrime(insert_, r, carry);
        if (insert_.run() > 0) {
            ++added_;
        } else {
            // The same key earlier in the file: its row takes this record's fields, and its
            // expiry, MOD and issue year move only forward.
            carry = storedCarry(r);
            takeRecord(carry, r);
            bindPrime(update_, r, carry);
            update_.run();
        }

        for (const ModSlot& slot : r.mods) {
            if (!slot.inUse) continue;
            notDates_ += slot.notDates;
            if (!slot.mod) ++modNotANumber_;
            insertMod_.text(1, r.key.file());
            insertMod_.text(2, r.key.sequence());
            insertMod_.date(3, slot.issue);
            insertMod_.date(4, slot.effective);
            insertMod_.date(5, slot.expire);
            insertMod_.value(6, slot.mod ? QVariant(*slot.mod) : QVariant());
            insertMod_.run();
            ++modsAdded_;
        }

        insertNote_.text(1, r.key.file());
        insertNote_.text(2, r.key.sequence());
        if (insertNote_.run() > 0) ++notesAdded_;
    }

    void finish() override {
        ctx_.refuse(fileName_, kKeyNotText, notText_);
        ctx_.refuse(fileName_, kNameNotText, nameNotText_);
        ctx_.refuse(fileName_, kNotADate, notDates_);
        ctx_.refuse(fileName_, kModNotANumber, modNotANumber_);
        ctx_.rowsAdded[QStringLiteral("PRIME")] += added_;
        ctx_.rowsAdded[QStringLiteral("MODS")] += modsAdded_;
        ctx_.rowsAdded[QStringLiteral("NOTES")] += notesAdded_;
    }

private:
    // Column names in parameter order; "?N" placeholders so that the insert and the update bind
    // the same way.
    QStringList columns() const {
        QStringList c;
        for (const TextColumn& t : kTextColumns)
            c << QString::fromLatin1(t.name);
        if (nj_)
            for (const TextColumn& t : kNewJerseyColumns)
                c << QString::fromLatin1(t.name);
        for (const char* name : kOtherColumns)
            c << QString::fromLatin1(name);
        return c;
    }
    QString insertSql() const {
        QStringList names = columns(), values;
        for (int i = 1; i <= names.size(); ++i)
            values << QStringLiteral("?%1").arg(i);
        for (const char* name : kBlankColumns) {
            names << QString::fromLatin1(name);
            values << QStringLiteral("' '");
        }
        return QStringLiteral("INSERT INTO PRIME (%1) VALUES (%2)")
                   .arg(names.join(QStringLiteral(", ")), values.join(QStringLiteral(", "))) +
               kIfNew;
    }
    QString updateSql() const {
        const QStringList names = columns();
        QStringList sets;
        for (int i = 0; i < names.size(); ++i)
            sets << QStringLiteral("%1 = ?%2").arg(names[i]).arg(i + 1);
        for (const char* name : kBlankColumns)
            sets << QString::fromLatin1(name) + QStringLiteral(" = ' '");
        return QStringLiteral("UPDATE PRIME SET %1 WHERE FILE = ?%2 AND SEQUENCE = ?%3")
            .arg(sets.join(QStringLiteral(", ")))
            .arg(names.indexOf(QStringLiteral("FILE")) + 1)
            .arg(names.indexOf(QStringLiteral("SEQUENCE")) + 1);
    }

    // What the record itself brings to the carried values: the county name when the county is
    // known, NJAR when it reads, and its used slots.
    void takeRecord(PrimeCarry& c, const EmployerRecord& r) const {
        if (const QByteArray* name = counties_.find(r.county)) c.countyName = *name;
        if (r.njar) c.njar = r.njar;
        for (const ModSlot& slot : r.mods) {
            if (!slot.inUse) continue;
            // Among equal expiry dates the earliest slot keeps its MOD.
            if (!c.expire.isValid() || slot.expire > c.expire) {
                c.expire = slot.expire;
                c.mod = slot.mod ? QVariant(*slot.mod) : QVariant();
            }
            if (layout_ == Layout::Standard && (!c.issue1 || slot.issue.year() > *c.issue1))
                c.issue1 = slot.issue.year();
        }
    }

    PrimeCarry storedCarry(const EmployerRecord& r) {
        PrimeCarry c;
        select_.text(1, r.key.file());
        select_.text(2, r.key.sequence());
        if (select_.step()) {
            c.expire = dao::toDate(select_.column(0));
            c.mod = select_.column(1);
            if (const QVariant v = select_.column(2); v.isValid()) c.issue1 = v.toInt();
            if (const QVariant v = select_.column(3); v.isValid()) c.countyName = v.toString().toUtf8();
            if (const QVariant v = select_.column(4); v.isValid()) c.njar = v.toInt();
        }
        select_.reset();
        return c;
    }

    void bindPrime(RowStatement& s, const EmployerRecord& r, const PrimeCarry& c) const {
        int i = 0;
        for (const TextColumn& t : kTextColumns)
            s.text(++i, r.*t.field);
        if (nj_)
            for (const TextColumn& t : kNewJerseyColumns)
                s.text(++i, r.*t.field);
        s.text(++i, r.key.file());
        s.text(++i, r.key.sequence());
        s.text(++i, r.key.fileSeq());
        s.value(++i, r.associates);
        s.value(++i, r.interstate);
        s.value(++i, r.revised);
        for (int k = 0; k < 2; ++k) { // COUNTYNAME, CountySort
            if (c.countyName)
                s.utf8(++i, *c.countyName);
            else
                s.value(++i, QVariant());
        }
        s.date(++i, c.expire);
        s.value(++i, c.mod);
        s.value(++i, c.issue1 ? QVariant(*c.issue1) : QVariant());
        s.value(++i, c.njar ? QVariant(*c.njar) : QVariant());
    }

    LoadContext& ctx_;
    Layout layout_;
    bool nj_;
    QString fileName_;
    CodeTable counties_;
    RowStatement insert_, update_, select_, insertMod_, insertNote_;
    long long added_ = 0, modsAdded_ = 0, notesAdded_ = 0;
    long long notText_ = 0, nameNotText_ = 0, notDates_ = 0, modNotANumber_ = 0;
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
    runLoaderFrame(ctx, spec, [&] { return std::make_unique<EmployerLoader>(ctx, layout, spec.fileName); });
}

// ---- New York address lines -----------------------------------------------------------------

class AddressLoader : public RecordLoader {
public:
    AddressLoader(LoadContext& ctx, const QString& fileName)
        : ctx_(ctx), fileName_(fileName),
          insert_(*ctx.db,
                  QStringLiteral("INSERT INTO ADDRESSES (FILE, SEQUENCE, ADDRESSES) VALUES (?, ?, ?)") +
                      kIfNew),
          select_(*ctx.db, QStringLiteral("SELECT ADDRESSES FROM ADDRESSES WHERE FILE = ? AND SEQUENCE = ?")),
          update_(*ctx.db,
                  QStringLiteral("UPDATE ADDRESSES SET ADDRESSES = ? WHERE FILE = ? AND SEQUENCE = ?")) {}

    void handle(const QByteArray& rec) override {
        const AddressRecord a = parseAddressRecord(rec);
        if (!a.key.printable()) {
            ++notText_;
            return;
        }
        memo_.clear();
        for (int k = 0; k < a.lineCount; ++k) {
            appendUtf8(memo_, a.lines[k]);
            memo_.append("\r\n");
        }
        insert_.text(1, a.key.file());
        insert_.text(2, a.key.sequence());
        bindMemo(insert_, 3, memo_);
        if (insert_.run() > 0) {
            ++added_;
            return;
        }
        // The lines of a location's later records follow those of its earlier ones.
        select_.text(1, a.key.file());
        select_.text(2, a.key.sequence());
        QByteArray joined;
        if (select_.step()) joined = select_.column(0).toString().toUtf8();
        select_.reset();
        joined += memo_;
        bindMemo(update_, 1, joined);
        update_.text(2, a.key.file());
        update_.text(3, a.key.sequence());
        update_.run();
    }
    void finish() override {
        ctx_.refuse(fileName_, kKeyNotText, notText_);
        ctx_.rowsAdded[QStringLiteral("ADDRESSES")] += added_;
    }

private:
    // An empty memo is stored as Null.
    static void bindMemo(RowStatement& s, int i, const QByteArray& utf8) {
        if (utf8.isEmpty())
            s.value(i, QVariant());
        else
            s.utf8(i, utf8);
    }

    LoadContext& ctx_;
    QString fileName_;
    RowStatement insert_, select_, update_;
    QByteArray memo_;
    long long added_ = 0, notText_ = 0;
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
    runLoaderFrame(ctx, spec, [&] { return std::make_unique<AddressLoader>(ctx, spec.fileName); });
}

} // namespace loading
