#include "count_box.h"

#include <QLineEdit>

namespace ui {

void showOnlyWhenFilled(QLineEdit* box) {
    QSizePolicy keepRoom = box->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    box->setSizePolicy(keepRoom);
    box->setVisible(!box->text().isEmpty());
    QObject::connect(box, &QLineEdit::textChanged, box,
                     [box](const QString& text) { box->setVisible(!text.isEmpty()); });
}

} // namespace ui
