// Where the start-up and the main window show the update form.
#pragma once

#include <functional>

namespace velk {

// Shows the update form modally; the caller clears UpgradeDone first and reads it afterwards.
// Until an update form is installed (setUpgradeForm), this reports that no update is installed and
// leaves UpgradeDone False.
void showUpgradeForm();

// Installs the update form (its modal showing); empty restores the report that none is installed.
void setUpgradeForm(std::function<void()> show);

} // namespace velk
