#include "results/record_commands.h"

#include "dataset/text_rules.h"
#include "platform/dao/dao.h"
#include "platform/grid/data_control.h"
#include "platform/ui/events.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"
#include "results/detail_rules.h"
#include "results/list_form.h"
#include "results/list_grids.h"
#include "results/ny_address_form.h"
#include "results/panel_rules.h"
#include "results/record_detail.h"

namespace results {

namespace {

// NAME1 as a caption reads it: without the blanks that pad it to its stored width.
QString captionName(dao::Recordset& row) {
    return dataset::trimBlanks(row.text(QStringLiteral("NAME1")), dataset::BlankEnds::Trailing);
}

} // namespace

void moreInfo(VKLIST& list) {
    dao::Recordset* row = list.currentRecord();
    if (!row) return;
    try {
        VKLISTI form(list, &list);
        form.KEYFILE = row->text(QStringLiteral("FILE"));
        form.KEYSEQ = row->text(QStringLiteral("SEQUENCE"));
        form.setWindowTitle(QStringLiteral("VKLISTI - ") + captionName(*row));
        if (form.Form_Activate()) ui::showModal(form);
    } catch (const dao::DaoError& e) {
        // The form releases the note when it goes; the list stays as it was.
        ui::MsgBox(e.message(), ui::vbOKOnly | ui::vbExclamation);
        return;
    }

    row = list.currentRecord();
    if (!row || !list.PRIMETB) return;
    try {
        // Read through PRIMETB, which the detail form wrote through, so the user values just entered show.
        dao::Recordset& prime = *list.PRIMETB;
        prime.setIndex(QStringLiteral("PRIMARY"));
        prime.Seek(QStringLiteral("="),
                   {row->text(QStringLiteral("FILE")), row->text(QStringLiteral("SEQUENCE"))});
        if (prime.NoMatch()) return;
        list.setPanelContact(moreInfoPanelRefresh([&prime](const QString& f) { return prime.value(f); }));
    } catch (const dao::DaoError& e) {
        ui::MsgBox(e.message(), ui::vbOKOnly | ui::vbExclamation);
    }
}

void fullAddress(VKLIST& list) {
    dao::Recordset* row = list.currentRecord();
    if (!row) return;
    showFullAddress(row->text(QStringLiteral("FILE")), row->text(QStringLiteral("SEQUENCE")),
                    captionName(*row), &list);
}

bool narrowToCurrentRecord(VKLIST& list) {
    // The button shows on tab 0 only: the record is the all-records grid's current row.
    dao::Recordset* row = list.GFILE->Recordset();
    if (!hasCurrentRow(row)) return false;
    list.SFILE->RecordSource =
        oneRecordSource(row->text(QStringLiteral("FILE")), row->text(QStringLiteral("SEQUENCE")));
    try {
        list.SFILE->Refresh();
    } catch (const dao::DaoError& e) {
        ui::MsgBox(e.message(), ui::vbOKOnly | ui::vbExclamation);
        return false;
    }
    ui::doEvents();
    return true;
}

} // namespace results
