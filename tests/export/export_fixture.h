// A program folder with one data set's database filled with hand-made employers, their mods and
// classes, for the export run and the export form.
#pragma once

#include "dataset/data_set.h"
#include "dataset/report_database.h"
#include "export/export_run.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/ui/msgbox.h"
#include "support/scripted_msgbox.h"
#include "support/table_rows.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QHash>

namespace exporttest {

using Row = testsupport::Row;

// What the run showed.
struct RecordedProgress : exporting::ExportProgress {
    long long companies = -1;
    QVector<long long> counts;
    void started(long long n) override { companies = n; }
    void counted(long long n) override { counts.append(n); }
};

class ExportFixture : public testsupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        programFolder = path("VELK");
        QDir().mkpath(programFolder);
        QDir().mkpath(path("out"));
        files::setTempDirOverride(path("private"));
    }
    void TearDown() override {
        db.reset();
        files::setTempDirOverride(QString());
    }

    void makeDataSet(const QString& st) {
        dataSet = {st, dataset::defaultConnect(st)};
        db = dao::Database::create(programFolder + "/" + dataset::stateDatabaseName(st),
                                   dao::passwordFromConnect(dataSet.connect));
        loading::createStateTables(*db, st);
    }

    // An employer as the loaders store one (blanks for nothing); fields given override them.
    void addEmployer(const QString& file, const QString& seq, const QString& name, const Row& more = {}) {
        Row r = {{"STATE", dataSet.code},
                 {"FILE", file},
                 {"SEQUENCE", seq},
                 {"NAME1", name},
                 {"NameSort", name},
                 {"NAME2", " "},
                 {"STREET", "1 MAIN ST"},
                 {"CITY", "YORK"},
                 {"ST", "PA"},
                 {"ZIP", "17401"},
                 {"ZIPEXT", " "},
                 {"PHONE", "717-555-0100"},
                 {"FAX", " "},
                 {"SIC", "3544"},
                 {"EMPLOYEES", "2"},
                 {"SALES", "3"},
                 {"FILESEQ", file + seq},
                 {"CONTACT", "PAT LEE"},
                 {"TITLE", "OWNER"},
                 {"Omit", " "},
                 {"User1", " "},
                 {"User2", " "},
                 {"User3", " "}};
        for (auto it = more.begin(); it != more.end(); ++it)
            r[it.key()] = it.value();
        insert("PRIME", r);
    }
    // n employers with file numbers 9000001 upwards, outside the searches of the tests.
    void addOthers(int n) {
        for (int i = 1; i <= n; ++i)
            addEmployer(QString::number(9000000 + i), "01", QStringLiteral("OTHER %1").arg(i));
    }
    void addMod(const QString& file, const QString& seq, const QString& issue, const QString& effective,
                const QString& expire, double mod) {
        insert("MODS", testsupport::modRow(file, seq, issue, effective, expire, mod));
    }
    void addClass(const QString& file, const QString& seq, const QString& cls) {
        insert("CLASS", {{"FILE", file}, {"SEQUENCE", seq}, {"CLASS", cls}, {"CLASSDESC", "OWN TEXT"},
                         {"FILESEQ", file + seq}, {"LOSSCOST", 1.5}});
    }
    void addListedClass(const QString& cls, const QString& desc) {
        insert("CLASSLIST", {{"CLASS", cls}, {"DESC", desc}});
    }
    void insert(const QString& table, const Row& r) { testsupport::insertRow(*db, table, r); }
    // The empty report database of the program folder, which the expiry order copies.
    void makeReportTemplate() {
        std::unique_ptr<dao::Database> t = dao::Database::create(programFolder + "/REPORT.MDB");
        dataset::createReportTables(*t);
    }

    exporting::ExportResult run(const QString& sql, const exporting::ExportOptions& options,
                                const QString& target) {
        return exporting::runExport(target, sql, options, dataSet, programFolder, progress);
    }
    QString target(const QString& name = QStringLiteral("EXPORT.CSV")) const { return path("out/" + name); }
    // The lines of a file, split at CR LF; a missing file gives none.
    static QList<QByteArray> linesOf(const QString& file) {
        const QByteArray all = testsupport::readFile(file);
        QList<QByteArray> lines;
        for (qsizetype from = 0; from < all.size();) {
            qsizetype end = all.indexOf("\r\n", from);
            if (end < 0) end = all.size();
            lines << all.mid(from, end - from);
            from = end + 2;
        }
        return lines;
    }
    // The keys (FILE-SEQUENCE) of the record lines of a delimited file, header left out.
    static QStringList keysOf(const QString& file) {
        QStringList keys;
        const QList<QByteArray> lines = linesOf(file);
        for (qsizetype i = 1; i < lines.size(); ++i)
            keys << QString::fromLatin1(lines[i].mid(1, lines[i].indexOf('"', 1) - 1));
        return keys;
    }
    // Files in the output folder, hidden ones too: nothing half-written may stay.
    QStringList outputFiles() const {
        return QDir(path("out")).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    QString programFolder;
    dataset::DataSet dataSet;
    std::unique_ptr<dao::Database> db;
    RecordedProgress progress;
    testsupport::ScriptedMsgBoxes boxes; // no box is expected unless a test says so
};

} // namespace exporttest
