// Where the list form hands over to the export form. The export form is not part of this build yet;
// until it is, its place tells the user so instead of doing nothing.
#pragma once

#include <QString>

namespace results {

// The message shown while export is not installed.
QString exportNotInstalledText();

// Shows the export form modally over the record source the caller has set on the search data control.
void showExportForm();

} // namespace results
