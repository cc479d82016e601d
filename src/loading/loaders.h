// The release-file loaders. Each turns one release file of the program folder into the rows of its
// tables, all or nothing: it throws LoadFailure when it stops on an error, its changes undone. The
// file stays; the load sequence deletes the files once the whole load is committed.
// Precondition: the release file exists.
#pragma once

#include "loading/load_context.h"

namespace loading {

// Release file names, spelled as shipped; they are found without regard to case.
QString sicFileName();                           // "SIC.DAT"
QString classListFileName();                     // "CLASSES.DAT"
QString countyFileName(const QString& state);    // "CTY" + st + ".DAT"
QString classLineFileName(const QString& state); // "DATA1" + st + ".DAT"
QString employerFileName(const QString& state);  // "DATA" + st + ".DAT"
QString addressFileName();                       // "DATA2NY.DAT"

// Plain loaders: small files, no progress, no stop.
void NEWSICSTD(LoadContext& ctx);
void NEWCLASSLISTSTD(LoadContext& ctx);
void NEWCOUNTYSTD(LoadContext& ctx);

// Batched loaders: show progress at every batch, stop on the cancel flag (their changes undone).
void NEWCLASSNY(LoadContext& ctx);
void NEWCLASSSTD(LoadContext& ctx);
void NEWDATANY(LoadContext& ctx);
void NEWDATASTD(LoadContext& ctx);
void NEWADDRESSESNY(LoadContext& ctx);

// Batch sizes and progress texts of the batched loaders.
inline constexpr int kClassBatch = 1000;
inline constexpr int kEmployerBatch = 300;
inline constexpr int kAddressBatch = 300;
inline constexpr char kClassProgress[] = "TOTAL CLASSES ADDED IS ";
inline constexpr char kEmployerProgress[] = "TOTAL COMPANIES ADDED IS ";
inline constexpr char kAddressProgress[] = "TOTAL OTHER INFORMATION ADDED IS ";

} // namespace loading
