// The report files kept in the program folder and what every run gives them besides their data.
#pragma once

#include "platform/report/report.h"

#include <QString>

namespace printing {

// Opens the report file name (e.g. "VKPRTSUM.RPT") from the program folder, with the lists of
// values its fields show as words: "noDate" (the placeholder date 01/01/50 that stands for no
// date, shown blank) and "merit" (the MOD values that are merit classes, shown as their names).
// Throws report::ReportError when the file is missing or cannot be read.
report::Report openReportFile(const QString& name);

} // namespace printing
