#include "app/upgrade_form.h"

#include "platform/ui/msgbox.h"

#include <utility>

namespace velk {

namespace {
std::function<void()>& form() {
    static std::function<void()> f;
    return f;
}
} // namespace

void showUpgradeForm() {
    if (form()) {
        form()();
        return;
    }
    ui::MsgBox(QStringLiteral("No update is installed in this version of VELK."), ui::vbInformation);
}

void setUpgradeForm(std::function<void()> show) {
    form() = std::move(show);
}

} // namespace velk
