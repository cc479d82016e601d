#include "platform/ui/events.h"

#include <QCoreApplication>

#include <utility>

namespace ui {

namespace {
std::function<void()>& hook() {
    static std::function<void()> h;
    return h;
}
} // namespace

void doEvents() {
    if (hook()) {
        hook()();
        return;
    }
    QCoreApplication::processEvents();
}

void setDoEventsHook(std::function<void()> h) {
    hook() = std::move(h);
}

} // namespace ui
