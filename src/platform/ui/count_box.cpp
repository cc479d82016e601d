#include "count_box.h"

#include "platform/ui/keep_room.h"

#include <QLineEdit>

namespace ui {

void showOnlyWhenFilled(QLineEdit* box) {
    keepRoomWhenHidden({box});
    box->setVisible(!box->text().isEmpty());
    QObject::connect(box, &QLineEdit::textChanged, box,
                     [box](const QString& text) { box->setVisible(!text.isEmpty()); });
}

} // namespace ui
