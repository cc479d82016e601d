#include "dataset/report_rows.h"

#include "dataset/report_database.h"
#include "dataset/text_rules.h"
#include "platform/dao/dao.h"

#include <QDate>

#include <algorithm>
#include <cmath>

namespace dataset {

namespace {

const QString kPrimary = QStringLiteral("PRIMARY");

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

bool sameKey(const dao::Recordset& rs, const QString& file, const QString& sequence) {
    return rs.text(QStringLiteral("FILE")).compare(file, Qt::CaseInsensitive) == 0 &&
           rs.text(QStringLiteral("SEQUENCE")).compare(sequence, Qt::CaseInsensitive) == 0;
}

// Month x 100 + day of a date; Null when there is no date.
QVariant monthDay(const QVariant& date) {
    const QDate d = dao::toDate(date);
    return d.isValid() ? QVariant(d.month() * 100 + d.day()) : QVariant();
}

bool isPrintRun(RowWriter kind) {
    return kind == RowWriter::Summary || kind == RowWriter::Detail;
}

} // namespace

struct ReportRowWriter::Tables {
    std::unique_ptr<dao::Recordset> prime, cls;                                             // report database
    std::unique_ptr<dao::Recordset> mods, classes, employees, sic, sales, notes, addresses; // state database
};

ReportRowWriter::ReportRowWriter(RowWriter kind, const dataset::DataSet& dataSet, dao::Database& state,
                                 dao::Database& report)
    : kind_(kind), dataSet_(dataSet), t_(std::make_unique<Tables>()) {
    auto indexed = [&](const QString& table, const QString& index) {
        std::unique_ptr<dao::Recordset> rs = state.OpenTable(table);
        rs->setIndex(index);
        return rs;
    };
    t_->prime = report.OpenTable(QStringLiteral("PRIME"));
    if (kind_ != RowWriter::ExpiryPass) t_->cls = report.OpenTable(QStringLiteral("CLASS"));
    if (kind_ != RowWriter::Labels) t_->mods = indexed(QStringLiteral("MODS"), QStringLiteral("KEYFILE"));
    const bool withSlots = isPrintRun(kind_) || kind_ == RowWriter::PrintRecord;
    if (withSlots) {
        // The class codes in their index's order.
        t_->classes = indexed(QStringLiteral("CLASS"), kPrimary);
        t_->employees = indexed(QStringLiteral("EMPLOYEES"), kPrimary);
        t_->sic = indexed(QStringLiteral("SICCODES"), kPrimary);
        t_->sales = indexed(QStringLiteral("SALES"), kPrimary);
    }
    if (kind_ == RowWriter::Detail || kind_ == RowWriter::PrintRecord) {
        t_->notes = indexed(QStringLiteral("NOTES"), kPrimary);
        if (dataSet_.isNY()) t_->addresses = indexed(QStringLiteral("ADDRESSES"), kPrimary);
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
    dao::Recordset& rs = *t_->mods;
    QVector<Mod> mods;
    rs.Seek(QStringLiteral("="), {file, sequence});
    for (bool found = !rs.NoMatch(); found && !rs.atEOF() && sameKey(rs, file, sequence); rs.MoveNext())
        mods.append({rs.value(QStringLiteral("ISSUE")), rs.value(QStringLiteral("EFFECTIVE")),
                     rs.value(QStringLiteral("EXPIRE")), rs.value(QStringLiteral("MOD"))});
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
    dao::Recordset& rs = *t_->classes;
    dao::Recordset& c = *t_->cls;
    rs.Seek(QStringLiteral("="), {file, sequence});
    int i = 0;
    for (bool found = !rs.NoMatch(); found && i < kClassSlots && !rs.atEOF() && sameKey(rs, file, sequence);
         rs.MoveNext(), ++i) {
        const QString slot = QString::number(i);
        c.setValue(QStringLiteral("CLASS") + slot, rs.value(QStringLiteral("CLASS")));
        c.setValue(QStringLiteral("CLASSDESC") + slot, rs.value(QStringLiteral("CLASSDESC")));
        c.setValue(QStringLiteral("CLASSLOSS") + slot, rs.value(QStringLiteral("LOSSCOST")));
    }
}

void ReportRowWriter::writeDescriptions(const dao::Recordset& e) {
    auto describe = [&](dao::Recordset& table, const char* code, const char* text, const char* target) {
        const QVariant key = e.value(QString::fromLatin1(code));
        if (!key.isValid() || key.isNull()) return;
        table.Seek(QStringLiteral("="), {key});
        if (!table.NoMatch())
            t_->prime->setValue(QString::fromLatin1(target), table.value(QString::fromLatin1(text)));
    };
    describe(*t_->employees, "EMPLOYEES", "DESCRIPTION", "EMPDESC");
    describe(*t_->sic, "SIC", "DESC", "SICDESC");
    describe(*t_->sales, "SALES", "DESCRIPTION", "SALESDESC");
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
    dao::Recordset& notes = *t_->notes;
    notes.Seek(QStringLiteral("="), {file, sequence});
    if (!notes.NoMatch()) t_->prime->setValue(QStringLiteral("NOTES"), notes.value(QStringLiteral("NOTES")));
}

void ReportRowWriter::writeNewYork(const QString& file, const QString& sequence, const dao::Recordset& e) {
    dao::Recordset& p = *t_->prime;
    dao::Recordset& addresses = *t_->addresses;
    addresses.Seek(QStringLiteral("="), {file, sequence});
    if (!addresses.NoMatch())
        p.setValue(QStringLiteral("ADDRESSES"), addresses.value(QStringLiteral("ADDRESSES")));
    p.setValue(QStringLiteral("REVISED"), e.value(QStringLiteral("REVISED")));
    p.setValue(QStringLiteral("INTERSTATE"), e.value(QStringLiteral("INTERSTATE")));
}

} // namespace dataset
