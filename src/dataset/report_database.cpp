#include "dataset/report_database.h"

#include "platform/dao/dao.h"
#include "platform/files/atomic_file.h"
#include "platform/files/folders.h"
#include "platform/locks/run_folder.h"

namespace dataset {

QString reportDatabaseName() {
    return QStringLiteral("REPORT.MDB");
}

void createReportTables(dao::Database& db) {
    using dao::ColumnDef;
    auto text = [](const char* name, int size) {
        return ColumnDef{QString::fromLatin1(name), QStringLiteral("TEXT"), size};
    };
    auto typed = [](const QString& name, const char* type) {
        return ColumnDef{name, QString::fromLatin1(type), 0};
    };

    // Wide enough for every data set (New York's file numbers have nine characters) and for the
    // ZIP code with its extension.
    QVector<ColumnDef> prime = {
        text("FILE", 9),       text("SEQUENCE", 2),   text("NAME1", 40),      text("NAME2", 38),
        text("STREET", 40),    text("CITY", 22),      text("ZIP", 10),        text("PHONE", 12),
        text("FAX", 12),       text("AREA", 3),       text("SIC", 4),         text("COUNTY", 3),
        text("EMPLOYEES", 1),  text("SALES", 1),      text("COUNTYNAME", 30), text("CONTACT", 30),
        text("User1", 50),     text("User2", 50),     text("User3", 50),      text("ST", 2),
        text("TITLE", 30),     text("UserPhone", 12), text("UserFax", 12),    text("UserContact", 30),
        text("UserTitle", 30), text("Omit", 1),
    };
    for (const char* family : {"ISSUE", "EFFECTIVE", "EXPIRE", "MOD"})
        for (int i = 0; i < kModSlots; ++i)
            prime.append(typed(QString::fromLatin1(family) + QString::number(i),
                               qstrcmp(family, "MOD") == 0 ? "DOUBLE" : "DATE"));
    // Month x 100 + day: a number, so that sorting on it follows the calendar.
    prime.append(typed(QStringLiteral("EXPIRE"), "LONG"));
    prime += {text("EMPDESC", 50), text("SICDESC", 50), text("SALESDESC", 50),
              typed(QStringLiteral("NOTES"), "MEMO"), text("ARESTPREM", 7), text("ARTOTPREM", 7),
              text("ARTOTLOSS", 7), text("NJPPAP", 3), text("NJCCPAP", 3),
              // "MM/YY" from the print writers, the stored number from the export's expiry pass.
              text("NJAR", 5), typed(QStringLiteral("ADDRESSES"), "MEMO"),
              typed(QStringLiteral("REVISED"), "YESNO"), typed(QStringLiteral("INTERSTATE"), "YESNO")};
    db.createTable(QStringLiteral("PRIME"), prime);

    QVector<ColumnDef> classes = {text("FILE", 9), text("SEQUENCE", 2)};
    for (int i = 0; i < kClassSlots; ++i) {
        const QString n = QString::number(i);
        classes += {ColumnDef{QStringLiteral("CLASS") + n, QStringLiteral("TEXT"), 4},
                    ColumnDef{QStringLiteral("CLASSDESC") + n, QStringLiteral("TEXT"), 50},
                    typed(QStringLiteral("CLASSLOSS") + n, "DOUBLE")};
    }
    db.createTable(QStringLiteral("CLASS"), classes);
}

QString workingCopyPath() {
    const QString folder = files::GetTempDir();
    // Each running copy of the program has its own: two copies of one user print at the same time.
    const QString own = folder.isEmpty() ? QString() : locks::runFolder(folder);
    return own.isEmpty() ? QString() : own + reportDatabaseName();
}

bool replaceWorkingCopy(const QString& programFolder, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    const QString target = workingCopyPath();
    if (target.isEmpty())
        return fail(QStringLiteral("The private folder for working files cannot be created."));
    if (!files::existsNoCase(programFolder, reportDatabaseName()))
        return fail(QStringLiteral("%1 is missing from the program folder %2.")
                        .arg(reportDatabaseName(), programFolder));
    const QString source = files::findFileNoCase(programFolder, reportDatabaseName());
    if (const QString reason =
            files::copyIntoPlace(source, target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        !reason.isEmpty())
        return fail(reason);
    return true;
}

} // namespace dataset
