#include "dataset/data_set.h"

#include "platform/dao/dao.h"
#include "platform/files/folders.h"

#include <cmath>

namespace dataset {

namespace {
DataSet& inUse() {
    static DataSet dataSet;
    return dataSet;
}
} // namespace

const QStringList& codes() {
    static const QStringList list{QStringLiteral("DE"), QStringLiteral("NJ"), QStringLiteral("NY"),
                                  QStringLiteral("PA"), QStringLiteral("PM"), QStringLiteral("DM")};
    return list;
}

QString stateDatabaseName(const QString& code) {
    return QStringLiteral("VELK%1.MDB").arg(code);
}

QString indexDatabaseName() {
    return QStringLiteral("VELKI.MDB");
}

QString indexDbConnect() {
    return QStringLiteral(";PWD=Trn58kwpzb");
}

QString defaultConnect(const QString& code) {
    return QStringLiteral(";PWD=velk%1db").arg(code.toLower());
}

bool isNewYork(const QString& code) {
    return code == QLatin1String("NY");
}

bool isNewJersey(const QString& code) {
    return code == QLatin1String("NJ");
}

bool hasMeritClasses(const QString& code) {
    return code == QLatin1String("PM") || code == QLatin1String("DM");
}

QString DataSet::databasePath(const QString& folder) const {
    return files::findFileNoCase(folder, stateDatabaseName(code));
}

QString DataSet::databasePath() const {
    return databasePath(files::programFolder());
}

QString connectFromSetup(const QString& folder, const QString& code) {
    const QString path = files::findFileNoCase(folder, indexDatabaseName());
    auto indexDb = dao::Database::open(path, false, false, indexDbConnect());
    if (!indexDb->tableExists(QStringLiteral("Setup")))
        throw dao::DaoError(path, QStringLiteral("read the data sets from"),
                            QStringLiteral("the file has no table Setup"));
    auto setup = indexDb->OpenTable(QStringLiteral("Setup"));
    setup->setIndex(QStringLiteral("Key"));
    setup->Seek(QStringLiteral("="), {code});
    if (setup->NoMatch())
        throw dao::DaoError(path, QStringLiteral("find the data set %1 in").arg(code),
                            QStringLiteral("its table Setup has no row for %1").arg(code));
    return setup->text(QStringLiteral("pwd"));
}

const DataSet& current() {
    return inUse();
}

void setCurrent(const DataSet& dataSet) {
    inUse() = dataSet;
}

QString njarMonthYear(const QVariant& njar) {
    if (!njar.isValid() || njar.isNull()) return QString();
    bool ok = false;
    const double d = njar.toDouble(&ok);
    QString digits;
    if (ok) {
        const long long n = std::llround(d);
        if (n <= 0) return QString();
        digits = QString::number(n).rightJustified(4, QLatin1Char('0'));
    } else {
        digits = njar.toString().trimmed();
        if (digits.isEmpty()) return QString();
    }
    return digits.right(2) + QLatin1Char('/') + digits.left(2);
}

} // namespace dataset
