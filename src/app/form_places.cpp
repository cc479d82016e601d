#include "app/form_places.h"

#include "platform/ui/msgbox.h"

namespace velk {

void FormPlace::show(bool modal) const {
    if (show_) {
        show_(modal);
        return;
    }
    ui::MsgBox(notInstalledText_, ui::vbOKOnly | ui::vbInformation);
}

FormPlace& printSearchForm() {
    static FormPlace place(QStringLiteral("Printing lookups is not installed yet."));
    return place;
}

FormPlace& printManualForm() {
    static FormPlace place(QStringLiteral("Printing the manual is not installed yet."));
    return place;
}

FormPlace& notesForm() {
    static FormPlace place(
        QStringLiteral("Backup and restore of user notes and fields is not installed yet."));
    return place;
}

} // namespace velk
