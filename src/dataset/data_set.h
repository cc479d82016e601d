// The data sets: their codes, the names and connect strings of their databases, the rules that
// differ by data set, and the one in use.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace dataset {

// The data sets, in the order the workspace dialog lists them.
const QStringList& codes();

QString stateDatabaseName(const QString& code); // "VELK" + st + ".MDB"
QString indexDatabaseName();                    // "VELKI.MDB", the settings database

// Connect string of VELKI.MDB.
QString indexDbConnect();
// The connect string written into Setup for a data set; the program reads it from there only.
QString defaultConnect(const QString& code);

bool isNewYork(const QString& code);
bool isNewJersey(const QString& code);
// PM and DM: the data sets whose MOD can stand for a merit class.
bool hasMeritClasses(const QString& code);

// The New Jersey assigned-risk month and year "MM/YY" from its stored number (year x 100 + month:
// 9905 is May 1999; the years 2000 to 2009 have fewer digits, 507 is July 2005); "" when there is
// none (Null or 0). The record detail form and the printed reports show it alike.
QString njarMonthYear(const QVariant& njar);

// A data set as it is opened: its code and the connect string its database is opened with.
struct DataSet {
    QString code = QStringLiteral("PA");
    QString connect;

    bool isNY() const { return isNewYork(code); }
    bool isNJ() const { return isNewJersey(code); }
    bool hasMerit() const { return hasMeritClasses(code); }
    // VELK<st>.MDB in folder, its name matched without regard to case.
    QString databasePath(const QString& folder) const;
    // The same in the program folder.
    QString databasePath() const;
};

// The connect string of data set code, read from the Setup table of VELKI.MDB in folder. Throws
// dao::DaoError naming VELKI.MDB and the cause (the file missing, empty, damaged or not ours, no
// table Setup, no row for the data set), so that it never shows as a wrong password on the data
// set's own database.
QString connectFromSetup(const QString& folder, const QString& code);

// The data set in use: PA without a connect string until a workspace is chosen.
const DataSet& current();
// Set by the workspace dialog when a data set is chosen (and by tests).
void setCurrent(const DataSet& dataSet);

} // namespace dataset
