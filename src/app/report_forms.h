// The criteria forms a report request (printing::dmrsReport) opens, as windows of the main window
// beside the list; their previews open inside the main window.
#pragma once

#include "printing/print_run.h"
#include "printing/report_request.h"

class VKLIST;

namespace velk {

// What the list prints: the record source of its search tabs' data control (the search of the
// selected tab), the selected tab's caption and the number of rows. The list keeps its current row.
printing::SearchToPrint searchToPrint(VKLIST& list);

class AppReportForms : public printing::ReportForms {
public:
    // VKPRINT on the search of the list's selected tab; gone when it closes.
    QWidget* showPrintOptions() override;
    // The one VKSINGLE, made when there is none; showing it again while it is up does not print again.
    QWidget* showSingleRecord() override;
};

// The forms report requests of this program open.
printing::ReportForms& reportForms();

} // namespace velk
