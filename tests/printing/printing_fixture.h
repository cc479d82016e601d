// A program folder with a data set's database and the report template, a private folder for the
// working copy, and helpers to add employers and read the report database back.
#pragma once

#include "dataset/data_set.h"
#include "dataset/report_database.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QHash>

namespace printingtest {

using Row = QHash<QString, QVariant>;

class PrintingTest : public testsupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        files::setProgramFolder(folder());
        files::setTempDirOverride(path("private"));
        std::unique_ptr<dao::Database> t = dao::Database::create(path("REPORT.MDB"));
        dataset::createReportTables(*t);
    }
    void TearDown() override {
        files::setTempDirOverride(QString());
        files::setProgramFolder(QString());
    }

    // Creates the data set's database with its category tables and one SIC code.
    void makeState(const QString& code) {
        dataSet = dataset::DataSet{code, dataset::defaultConnect(code)};
        QFile::remove(dataSet.databasePath(folder()));
        std::unique_ptr<dao::Database> db =
            dao::Database::create(dataSet.databasePath(folder()), dao::passwordFromConnect(dataSet.connect));
        loading::createStateTables(*db, code);
        db->executeBound("INSERT INTO SICCODES (CODE, DESC) VALUES ('3599', 'Industrial machinery')", {});
    }

    std::unique_ptr<dao::Database> openState() const {
        return dao::Database::open(dataSet.databasePath(folder()), false, false, dataSet.connect);
    }

    // A PRIME row from fields (FILE and SEQUENCE included), with a NOTES row when note is valid.
    void addEmployer(const Row& fields, const QVariant& note = QVariant()) const {
        std::unique_ptr<dao::Database> db = openState();
        QStringList names, marks;
        QVariantList values;
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            names.append(it.key());
            marks.append("?");
            values.append(it.value());
        }
        db->executeBound(
            QStringLiteral("INSERT INTO PRIME (%1) VALUES (%2)").arg(names.join(","), marks.join(",")),
            values);
        if (note.isValid())
            db->executeBound("INSERT INTO NOTES (FILE, SEQUENCE, NOTES) VALUES (?, ?, ?)",
                             {fields.value("FILE"), fields.value("SEQUENCE"), note});
    }
    void addMod(const QString& file, const QString& seq, const QDate& issue, const QDate& effective,
                const QDate& expire, double mod) const {
        openState()->executeBound(
            "INSERT INTO MODS (FILE, SEQUENCE, ISSUE, EFFECTIVE, EXPIRE, MOD) VALUES (?, ?, ?, ?, ?, ?)",
            {file, seq, dao::dateToStorage(issue), dao::dateToStorage(effective), dao::dateToStorage(expire),
             mod});
    }
    void addClass(const QString& file, const QString& seq, const QString& code, double loss) const {
        openState()->executeBound(
            "INSERT INTO CLASS (FILE, SEQUENCE, CLASS, CLASSDESC, LOSSCOST) VALUES (?, ?, ?, ?, ?)",
            {file, seq, code, "DESC " + code, loss});
    }

    // Every row of a table of the working copy, in the order written.
    QVector<Row> reportRows(const QString& table) const {
        QVector<Row> rows;
        std::unique_ptr<dao::Database> db = dao::Database::open(dataset::workingCopyPath());
        std::unique_ptr<dao::Recordset> rs =
            db->OpenRecordset("SELECT * FROM " + table + " ORDER BY rowid", dao::RecordsetType::Snapshot);
        for (; !rs->atEOF(); rs->MoveNext()) {
            Row r;
            for (const QString& f : rs->fieldNames())
                r.insert(f.toUpper(), rs->value(f));
            rows.append(r);
        }
        return rows;
    }

    dataset::DataSet dataSet;
};

} // namespace printingtest
