#include "search/search_run.h"

#include "platform/files/folders.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/msgbox.h"
#include "search/search_file.h"
#include "search/sql_builder.h"

namespace search {

PreparedSearch prepareSearch(const QString& folder, const QString& fileName, const QString& state,
                             bool copyMarked) {
    PreparedSearch run;
    QString error;
    if (fileName.isEmpty()) // a tab without a search: nothing to run
        return run;
    if (!readSearchFile(files::joinPath(folder, fileName), &run.lookups, &error)) {
        ui::MsgBox(error, ui::vbOKOnly | ui::vbExclamation);
        return run;
    }
    const QString warning = verifyLookups(run.lookups, state);
    if (!warning.isEmpty()) {
        ui::MsgBox(warning, ui::vbOKOnly | ui::vbExclamation, QString::fromLatin1(kVerifyTitle));
        return run;
    }
    run.terms = buildSearchTerms(run.lookups);
    run.sql = run.terms.text;
    if (run.sql == QLatin1String("SELECT * FROM PRIME"))
        ui::MsgBox(QStringLiteral("ALL RECORDS SELECTED"), ui::vbOKOnly);
    copySqlIfMarked(copyMarked, run.sql);
    run.ok = true;
    return run;
}

void copySqlIfMarked(bool copyMarked, const QString& sql) {
    if (!copyMarked) return;
    ui::setClipboardText(sql);
    ui::MsgBox(sql, ui::vbOKOnly);
}

} // namespace search
