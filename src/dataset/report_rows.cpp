#include "dataset/report_rows.h"

#include "dataset/report_database.h"
#include "dataset/text_rules.h"
#include "platform/dao/dao.h"
#include "platform/dao/statement.h"

#include <QDate>

#include <algorithm>
#include <cmath>

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
        const QDate d = QDate::fromString(v.toString(), Qt::ISODate);
        if (d.isValid()) return d;
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

struct ReportRowWriter::Tables {
    std::unique_ptr<dao::Recordset> prime, cls; // report database
    // State database, each read by its key: an employer's mods and classes, a description, a note.
    std::unique_ptr<dao::Statement> mods, classes, employees, sic, sales, notes, addresses;
};

ReportRowWriter::ReportRowWriter(RowWriter kind, const dataset::DataSet& dataSet, dao::Database& state,
                                 dao::Database& report)
    : kind_(kind), dataSet_(dataSet), t_(std::make_unique<Tables>()) {
    auto query = [&](const QString& sql) { return std::make_unique<dao::Statement>(state, sql); };
    t_->prime = report.OpenTable(QStringLiteral("PRIME"));
    if (kind_ != RowWriter::ExpiryPass) t_->cls = report.OpenTable(QStringLiteral("CLASS"));
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
    const QString file = e.text(QStringLiteral("FILE"));
    const QString sequence = e.text(QStringLiteral("SEQUENCE"));
    t_->prime->AddNew();
    if (t_->cls) {
        t_->cls->AddNew();
        t_->cls->setValue(QStringLiteral("FILE"), e.value(QStringLiteral("FILE")));
        t_->cls->setValue(QStringLiteral("SEQUENCE"), e.value(QStringLiteral("SEQUENCE")));
    }
    writeBase(e);
    if (kind_ == RowWriter::ExpiryPass)
        t_->prime->setValue(QStringLiteral("Omit"), e.value(QStringLiteral("Omit")));
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
    t_->prime->Update();
    if (t_->cls) t_->cls->Update();
}

void ReportRowWriter::writeBase(const dao::Recordset& e) {
    dao::Recordset& p = *t_->prime;
    auto copy = [&](const char* field) {
        const QString name = QString::fromLatin1(field);
        p.setValue(name, e.value(name));
    };
    // The user's own telephone, fax, contact and title stand for the released ones when present.
    auto preferred = [&](const char* field, const char* user) {
        const QVariant own = e.value(QString::fromLatin1(user));
        p.setValue(QString::fromLatin1(field),
                   dataset::sortsAfter(own, QStringLiteral("!")) ? own : e.value(QString::fromLatin1(field)));
    };
    for (const char* f : {"FILE", "SEQUENCE", "NAME1", "NAME2", "STREET", "CITY"})
        copy(f);
    const QVariant zipExt = e.value(QStringLiteral("ZIPEXT"));
    p.setValue(QStringLiteral("ZIP"),
               dataset::sortsAfter(zipExt, QStringLiteral("!"))
                   ? QVariant(e.text(QStringLiteral("ZIP")) + QLatin1Char('-') + zipExt.toString())
                   : e.value(QStringLiteral("ZIP")));
    preferred("PHONE", "UserPhone");
    preferred("FAX", "UserFax");
    for (const char* f : {"AREA", "SIC", "COUNTY", "EMPLOYEES", "SALES", "COUNTYNAME"})
        copy(f);
    preferred("CONTACT", "UserContact");
    for (const char* f : {"User1", "User2", "User3", "ST"})
        copy(f);
    preferred("TITLE", "UserTitle");
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

    dao::Recordset& p = *t_->prime;
    const QString expire = QStringLiteral("EXPIRE");
    if (kind_ == RowWriter::ExpiryPass || kind_ == RowWriter::LabelsByExpiry) {
        // The expiry order puts an employer without a mod with the 11 November expiries.
        QVariant md = mods.isEmpty() ? QVariant() : monthDay(mods.first().expire);
        if (kind_ == RowWriter::ExpiryPass && !md.isValid()) md = 1111;
        if (md.isValid()) p.setValue(expire, md);
        return;
    }
    const int n = std::min(int(mods.size()), kModSlots);
    const bool effective = kind_ == RowWriter::PrintRecord || !dataSet_.isNY();
    for (int i = 0; i < n; ++i) {
        const QString slot = QString::number(i);
        p.setValue(QStringLiteral("ISSUE") + slot, mods[i].issue);
        if (effective) p.setValue(QStringLiteral("EFFECTIVE") + slot, mods[i].effective);
        p.setValue(QStringLiteral("EXPIRE") + slot, mods[i].expire);
        p.setValue(QStringLiteral("MOD") + slot, mods[i].mod);
    }
    if (isPrintRun(kind_) && n > 0) {
        const QVariant md = monthDay(mods.first().expire);
        if (md.isValid()) p.setValue(expire, md);
    }
}

void ReportRowWriter::writeClasses(const QString& file, const QString& sequence) {
    dao::Statement& rs = *t_->classes;
    dao::Recordset& c = *t_->cls;
    rs.bindText(1, file);
    rs.bindText(2, sequence);
    for (int i = 0; rs.step(); ++i) {
        const QString slot = QString::number(i);
        c.setValue(QStringLiteral("CLASS") + slot, rs.column(0));
        c.setValue(QStringLiteral("CLASSDESC") + slot, rs.column(1));
        c.setValue(QStringLiteral("CLASSLOSS") + slot, rs.column(2));
    }
}

void ReportRowWriter::writeDescriptions(const dao::Recordset& e) {
    auto describe = [&](dao::Statement& table, const char* code, const char* target) {
        const QVariant key = e.value(QString::fromLatin1(code));
        if (!key.isValid() || key.isNull()) return;
        table.bind(1, key);
        if (table.step()) {
            t_->prime->setValue(QString::fromLatin1(target), table.column(0));
            table.reset();
        }
    };
    describe(*t_->employees, "EMPLOYEES", "EMPDESC");
    describe(*t_->sic, "SIC", "SICDESC");
    describe(*t_->sales, "SALES", "SALESDESC");
}

void ReportRowWriter::writeNewJersey(const dao::Recordset& e) {
    dao::Recordset& p = *t_->prime;
    for (const char* f : {"ARESTPREM", "ARTOTPREM", "ARTOTLOSS", "NJPPAP", "NJCCPAP"})
        p.setValue(QString::fromLatin1(f), e.value(QString::fromLatin1(f)));
    const QVariant njar = e.value(QStringLiteral("NJAR"));
    if (kind_ == RowWriter::ExpiryPass) {
        p.setValue(QStringLiteral("NJAR"), njar);
        return;
    }
    const QString text = dataset::njarMonthYear(njar);
    p.setValue(QStringLiteral("NJAR"), text.isEmpty() ? QStringLiteral(" ") : text);
}

void ReportRowWriter::writeNote(const QString& file, const QString& sequence) {
    if (const QVariant note = byKey(*t_->notes, file, sequence); note.isValid())
        t_->prime->setValue(QStringLiteral("NOTES"), note);
}

void ReportRowWriter::writeNewYork(const QString& file, const QString& sequence, const dao::Recordset& e) {
    dao::Recordset& p = *t_->prime;
    if (const QVariant addresses = byKey(*t_->addresses, file, sequence); addresses.isValid())
        p.setValue(QStringLiteral("ADDRESSES"), addresses);
    p.setValue(QStringLiteral("REVISED"), e.value(QStringLiteral("REVISED")));
    p.setValue(QStringLiteral("INTERSTATE"), e.value(QStringLiteral("INTERSTATE")));
}

} // namespace dataset
