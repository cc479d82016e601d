// Controls that come and go on a form keep their room while hidden, so the controls around them
// never move under the mouse.
#pragma once

#include <QWidget>

#include <initializer_list>

namespace ui {

inline void keepRoomWhenHidden(std::initializer_list<QWidget*> widgets) {
    for (QWidget* w : widgets) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
}

} // namespace ui
