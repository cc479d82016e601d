#include "dataset/report_rows.h"

#include "dataset/report_database.h"
#include "dataset/text_rules.h"
#include "platform/dao/dao.h"
#include "platform/dao/statement.h"

#include <QDate>

#include <algorithm>
#include <cmath>
#include <optional>

namespace dataset {

namespace {

struct Mod {
    QVariant issue, effective, expire, mod;
};

// Newest first, a missing date last, as a descending order in SQL gives.
int compareDesc(const QVariant& a, const QVariant& b) {
    const QDate x = dao::toDate(a), y = dao::toDate(b);
    if (x == y) return 0;
    if (!x.isValid()) return 1;
    if (!y.isValid()) return -1;
    return x > y ? -1 : 1;
}

// A stored date: ISO text as the layer stores it, anything else read the way the layer reads dates.
QVariant storedDate(const QVariant& v) {
    if (v.typeId() == QMetaType::QString && v.toString().size() == 10) {
        const QString& s = *static_cast<const QString*>(v.constData());
        if (const QDate d = dao::dateFromStorage(s); d.isValid()) return d;
        if (const QDate d = QDate::fromString(s, Qt::ISODate); d.isValid()) return d;
    }
    const QDate d = dao::toDate(v);
    return d.isValid() ? QVariant(d) : QVariant();
}

// Month x 100 + day of a date; Null when there is no date.
QVariant monthDay(const QVariant& date) {
    const QDate d = dao::toDate(date);
    return d.isValid() ? QVariant(d.month() * 100 + d.day()) : QVariant();
}

// The one column of an employer's row that query finds by its key; invalid when there is none (or
// it is Null, which writes nothing either).
QVariant byKey(dao::Statement& query, const QString& file, const QString& sequence) {
    query.bindText(1, file);
    query.bindText(2, sequence);
    if (!query.step()) return QVariant();
    QVariant v = query.column(0);
    query.reset();
    return v;
}

bool isPrintRun(RowWriter kind) {
    return kind == RowWriter::Summary || kind == RowWriter::Detail;
}

} // namespace

// Fields of a recordset found by their names once rather than on every row. A name the recordset
// does not have is named again when it is used, so that it fails there as it always did.
class ReportRowWriter::Fields {
public:
    explicit Fields(QStringList names) : names_(std::move(names)), at_(names_.size(), -1) {}
    // Finds the fields in r, unless they were found in a recordset with the same fields.
    void find(const dao::Recordset& r) {
        if (!found_.isEmpty() && r.fieldNames() == found_) return;
        found_ = r.fieldNames();
        for (qsizetype i = 0; i < names_.size(); ++i)
            at_[size_t(i)] = r.fieldIndex(names_[i]);
    }
    QVariant get(const dao::Recordset& r, int i) const {
        return at_[size_t(i)] < 0 ? r.value(names_[i]) : r.value(at_[size_t(i)]);
    }
    void set(dao::Recordset& r, int i, const QVariant& v) const {
        if (at_[size_t(i)] < 0)
            r.setValue(names_[i], v);
        else
            r.setValue(at_[size_t(i)], v);
    }

private:
    QStringList names_;
    std::vector<int> at_;
    QStringList found_;
};

namespace {

// The PRIME fields the writers read from the employer or write, by number (in the order of
// kPrimeFields); the numbered families follow them.
enum Prime : int {
    fFILE,
    fSEQUENCE,
    fNAME1,
    fNAME2,
    fSTREET,
    fCITY,
    fZIP,
    fZIPEXT,
    fPHONE,
    fUserPhone,
    fFAX,
    fUserFax,
    fAREA,
    fSIC,
    fCOUNTY,
    fEMPLOYEES,
    fSALES,
    fCOUNTYNAME,
    fCONTACT,
    fUserContact,
    fUser1,
    fUser2,
    fUser3,
    fST,
    fTITLE,
    fUserTitle,
    fOmit,
    fARESTPREM,
    fARTOTPREM,
    fARTOTLOSS,
    fNJPPAP,
    fNJCCPAP,
    fNJAR,
    fREVISED,
    fINTERSTATE,
    fEXPIRE,
    fEMPDESC,
    fSICDESC,
    fSALESDESC,
    fNOTES,
    fADDRESSES,
    fISSUE0,
    fEFFECTIVE0 = fISSUE0 + kModSlots,
    fEXPIRE0 = fEFFECTIVE0 + kModSlots,
    fMOD0 = fEXPIRE0 + kModSlots
};
constexpr const char* kPrimeFields[] = {
    "FILE",      "SEQUENCE",  "NAME1",     "NAME2",      "STREET",    "CITY",        "ZIP",
    "ZIPEXT",    "PHONE",     "UserPhone", "FAX",        "UserFax",   "AREA",        "SIC",
    "COUNTY",    "EMPLOYEES", "SALES",     "COUNTYNAME", "CONTACT",   "UserContact", "User1",
    "User2",     "User3",     "ST",        "TITLE",      "UserTitle", "Omit",        "ARESTPREM",
    "ARTOTPREM", "ARTOTLOSS", "NJPPAP",    "NJCCPAP",    "NJAR",      "REVISED",     "INTERSTATE",
    "EXPIRE",    "EMPDESC",   "SICDESC",   "SALESDESC",  "NOTES",     "ADDRESSES"};
static_assert(std::size(kPrimeFields) == fISSUE0);

// CLASS: the key, then the family of each slot.
enum Class : int {
    cFILE,
    cSEQUENCE,
    cCLASS0,
    cCLASSDESC0 = cCLASS0 + kClassSlots,
    cCLASSLOSS0 = cCLASSDESC0 + kClassSlots
};

QStringList withSlots(QStringList names, std::initializer_list<const char*> families, int count) {
    for (const char* family : families)
        for (int i = 0; i < count; ++i)
            names << QString::fromLatin1(family) + QString::number(i);
    return names;
}

QStringList primeNames() {
    QStringList names;
    for (const char* name : kPrimeFields)
        names << QString::fromLatin1(name);
    return withSlots(names, {"ISSUE", "EFFECTIVE", "EXPIRE", "MOD"}, kModSlots);
}

QStringList classNames() {
    return withSlots({QStringLiteral("FILE"), QStringLiteral("SEQUENCE")},
                     {"CLASS", "CLASSDESC", "CLASSLOSS"}, kClassSlots);
}

} // namespace

struct ReportRowWriter::Tables {
    std::unique_ptr<dao::Recordset> prime, cls; // report database
    Fields employer{primeNames()}, primeOut{primeNames()}, classOut{classNames()};
    // State database, each read by its key: an employer's mods and classes, a description, a note.
    std::unique_ptr<dao::Statement> mods, classes, employees, sic, sales, notes, addresses;
    // Descriptions by code, none when the table has no row for it: a few codes serve all employers.
    QHash<QString, std::optional<QVariant>> described[3];
};

ReportRowWriter::ReportRowWriter(RowWriter kind, const dataset::DataSet& dataSet, dao::Database* state,
                                 dao::Database* report)
    : kind_(kind), dataSet_(dataSet), t_(std::make_unique<Tables>()) {
    if (report) {
        t_->prime = report->OpenTable(QStringLiteral("PRIME"));
        t_->primeOut.find(*t_->prime);
        if (kind_ != RowWriter::ExpiryPass) {
            t_->cls = report->OpenTable(QStringLiteral("CLASS"));
            t_->classOut.find(*t_->cls);
        }
    }
    if (!state) return;
    auto query = [&](const QString& sql) { return std::make_unique<dao::Statement>(*state, sql); };
    // In the order of the key's index: what a seek on it and a walk along its rows gave.
    if (kind_ != RowWriter::Labels)
        t_->mods = query(
            QStringLiteral("SELECT ISSUE, EFFECTIVE, EXPIRE, MOD FROM MODS WHERE FILE = ? AND SEQUENCE = ? "
                           "ORDER BY rowid"));
    const bool withSlots = isPrintRun(kind_) || kind_ == RowWriter::PrintRecord;
    if (withSlots) {
        // The class codes in their index's order.
        t_->classes = query(QStringLiteral("SELECT CLASS, CLASSDESC, LOSSCOST FROM CLASS WHERE FILE = ? AND "
                                           "SEQUENCE = ? ORDER BY CLASS LIMIT %1")
                                .arg(kClassSlots));
        t_->employees = query(QStringLiteral("SELECT DESCRIPTION FROM EMPLOYEES WHERE CODE = ?"));
        t_->sic = query(QStringLiteral("SELECT DESC FROM SICCODES WHERE CODE = ?"));
        t_->sales = query(QStringLiteral("SELECT DESCRIPTION FROM SALES WHERE CODE = ?"));
    }
    if (kind_ == RowWriter::Detail || kind_ == RowWriter::PrintRecord) {
        t_->notes = query(QStringLiteral("SELECT NOTES FROM NOTES WHERE FILE = ? AND SEQUENCE = ?"));
        if (dataSet_.isNY())
            t_->addresses =
                query(QStringLiteral("SELECT ADDRESSES FROM ADDRESSES WHERE FILE = ? AND SEQUENCE = ?"));
    }
}

ReportRowWriter::~ReportRowWriter() = default;

void ReportRowWriter::write(const dao::Recordset& e) {
    read(e, scratch_);
    write(scratch_);
}

void ReportRowWriter::write(const ReportRow& row) {
    dao::Recordset& p = *t_->prime;
    p.AddNew();
    for (const auto& [field, v] : row.prime)
        t_->primeOut.set(p, field, v);
    if (t_->cls) {
        t_->cls->AddNew();
        for (const auto& [field, v] : row.cls)
            t_->classOut.set(*t_->cls, field, v);
    }
    p.Update();
    if (t_->cls) t_->cls->Update();
}

void ReportRowWriter::read(const dao::Recordset& e, ReportRow& row) {
    row.prime.clear();
    row.cls.clear();
    row_ = &row;
    Fields& in = t_->employer;
    in.find(e);
    const QVariant fileValue = in.get(e, fFILE), sequenceValue = in.get(e, fSEQUENCE);
    const QString file = fileValue.toString(), sequence = sequenceValue.toString();
    if (kind_ != RowWriter::ExpiryPass) row.cls = {{cFILE, fileValue}, {cSEQUENCE, sequenceValue}};
    writeBase(e);
    if (kind_ == RowWriter::ExpiryPass) put(fOmit, in.get(e, fOmit));
    if (kind_ != RowWriter::Labels) writeMods(file, sequence);
    if (isPrintRun(kind_) || kind_ == RowWriter::PrintRecord) {
        writeClasses(file, sequence);
        writeDescriptions(e);
    }
    if (kind_ != RowWriter::Labels && kind_ != RowWriter::LabelsByExpiry && dataSet_.isNJ())
        writeNewJersey(e);
    if (kind_ == RowWriter::Detail || kind_ == RowWriter::PrintRecord) {
        writeNote(file, sequence);
        if (dataSet_.isNY()) writeNewYork(file, sequence, e);
    }
}

void ReportRowWriter::writeBase(const dao::Recordset& e) {
    const Fields& in = t_->employer;
    auto copy = [&](int field) { put(field, in.get(e, field)); };
    // The user's own telephone, fax, contact and title stand for the released ones when present.
    auto preferred = [&](int field, int user) {
        const QVariant own = in.get(e, user);
        put(field, dataset::sortsAfter(own, QStringLiteral("!")) ? own : in.get(e, field));
    };
    for (int f : {fFILE, fSEQUENCE, fNAME1, fNAME2, fSTREET, fCITY})
        copy(f);
    const QVariant zipExt = in.get(e, fZIPEXT);
    put(fZIP, dataset::sortsAfter(zipExt, QStringLiteral("!"))
                  ? QVariant(in.get(e, fZIP).toString() + QLatin1Char('-') + zipExt.toString())
                  : in.get(e, fZIP));
    preferred(fPHONE, fUserPhone);
    preferred(fFAX, fUserFax);
    for (int f : {fAREA, fSIC, fCOUNTY, fEMPLOYEES, fSALES, fCOUNTYNAME})
        copy(f);
    preferred(fCONTACT, fUserContact);
    for (int f : {fUser1, fUser2, fUser3, fST})
        copy(f);
    preferred(fTITLE, fUserTitle);
}

void ReportRowWriter::writeMods(const QString& file, const QString& sequence) {
    dao::Statement& rs = *t_->mods;
    QVector<Mod> mods;
    rs.bindText(1, file);
    rs.bindText(2, sequence);
    while (rs.step())
        mods.append(
            {storedDate(rs.column(0)), storedDate(rs.column(1)), storedDate(rs.column(2)), rs.column(3)});
    // Newest effective date first, then latest expiry; the print run and the expiry order also go
    // by the latest issue.
    const bool byIssue = kind_ != RowWriter::PrintRecord;
    std::stable_sort(mods.begin(), mods.end(), [&](const Mod& a, const Mod& b) {
        int c = compareDesc(a.effective, b.effective);
        if (c == 0) c = compareDesc(a.expire, b.expire);
        if (c == 0 && byIssue) c = compareDesc(a.issue, b.issue);
        return c < 0;
    });

    if (kind_ == RowWriter::ExpiryPass || kind_ == RowWriter::LabelsByExpiry) {
        // The expiry order puts an employer without a mod with the 11 November expiries.
        QVariant md = mods.isEmpty() ? QVariant() : monthDay(mods.first().expire);
        if (kind_ == RowWriter::ExpiryPass && !md.isValid()) md = 1111;
        if (md.isValid()) put(fEXPIRE, md);
        return;
    }
    const int n = std::min(int(mods.size()), kModSlots);
    const bool effective = kind_ == RowWriter::PrintRecord || !dataSet_.isNY();
    for (int i = 0; i < n; ++i) {
        put(fISSUE0 + i, mods[i].issue);
        if (effective) put(fEFFECTIVE0 + i, mods[i].effective);
        put(fEXPIRE0 + i, mods[i].expire);
        put(fMOD0 + i, mods[i].mod);
    }
    if (isPrintRun(kind_) && n > 0) {
        const QVariant md = monthDay(mods.first().expire);
        if (md.isValid()) put(fEXPIRE, md);
    }
}

void ReportRowWriter::writeClasses(const QString& file, const QString& sequence) {
    dao::Statement& rs = *t_->classes;
    rs.bindText(1, file);
    rs.bindText(2, sequence);
    for (int i = 0; rs.step(); ++i) {
        row_->cls.emplace_back(cCLASS0 + i, rs.column(0));
        row_->cls.emplace_back(cCLASSDESC0 + i, rs.column(1));
        row_->cls.emplace_back(cCLASSLOSS0 + i, rs.column(2));
    }
}

void ReportRowWriter::writeDescriptions(const dao::Recordset& e) {
    int which = 0;
    auto describe = [&](dao::Statement& table, int code, int target) {
        QHash<QString, std::optional<QVariant>>& known = t_->described[which++];
        const QVariant key = t_->employer.get(e, code);
        if (!key.isValid() || key.isNull()) return;
        auto lookUp = [&]() -> std::optional<QVariant> {
            table.bind(1, key);
            if (!table.step()) return std::nullopt;
            QVariant description = table.column(0);
            table.reset();
            return description;
        };
        // Text codes are kept; a code of another type is looked up as it is, every time.
        std::optional<QVariant> description;
        if (key.typeId() != QMetaType::QString) {
            description = lookUp();
        } else {
            auto found = known.constFind(key.toString());
            if (found == known.cend()) found = known.insert(key.toString(), lookUp());
            description = *found;
        }
        if (description) put(target, *description);
    };
    describe(*t_->employees, fEMPLOYEES, fEMPDESC);
    describe(*t_->sic, fSIC, fSICDESC);
    describe(*t_->sales, fSALES, fSALESDESC);
}

void ReportRowWriter::writeNewJersey(const dao::Recordset& e) {
    const Fields& in = t_->employer;
    for (int f : {fARESTPREM, fARTOTPREM, fARTOTLOSS, fNJPPAP, fNJCCPAP})
        put(f, in.get(e, f));
    const QVariant njar = in.get(e, fNJAR);
    if (kind_ == RowWriter::ExpiryPass) {
        put(fNJAR, njar);
        return;
    }
    const QString text = dataset::njarMonthYear(njar);
    put(fNJAR, text.isEmpty() ? QStringLiteral(" ") : text);
}

void ReportRowWriter::writeNote(const QString& file, const QString& sequence) {
    if (const QVariant note = byKey(*t_->notes, file, sequence); note.isValid()) put(fNOTES, note);
}

void ReportRowWriter::writeNewYork(const QString& file, const QString& sequence, const dao::Recordset& e) {
    const Fields& in = t_->employer;
    if (const QVariant addresses = byKey(*t_->addresses, file, sequence); addresses.isValid())
        put(fADDRESSES, addresses);
    put(fREVISED, in.get(e, fREVISED));
    put(fINTERSTATE, in.get(e, fINTERSTATE));
}

} // namespace dataset
