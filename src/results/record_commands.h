// The list form's record commands: More Info, Full Address and Export Record, each on the record
// current in the shown tab. With no current record they do nothing.
#pragma once

class VKLIST;

namespace results {

// Opens the record detail form for the record, waits for it to close and refreshes the panel's
// address and contact boxes from the record then current (a jump may have moved the list).
void moreInfo(VKLIST& list);

// Opens the New York full-address form for the record.
void fullAddress(VKLIST& list);

// Export Record: narrows the search data control to the all-records grid's current record, the
// source the export form reads; it stays until a search tab is chosen. False when there is no
// current record or the record cannot be read (said).
bool narrowToCurrentRecord(VKLIST& list);

} // namespace results
