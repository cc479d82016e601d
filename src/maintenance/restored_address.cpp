#include "maintenance/restored_address.h"

#include "dataset/address_override.h"
#include "dataset/user_fields.h"

namespace maintenance {

RestoredAddress restoredAddress(const QVariant& User1, const QVariant& User2, const QVariant& User3,
                                const QString& stateCode) {
    RestoredAddress a;
    a.override = dataset::hasOverrideMarker(User1.toString());
    if (!a.override) return a;
    // The street is stored as typed; the detail form trimmed it when it saved User2.
    const QString street = User2.toString();
    const dataset::AddressParts parts = dataset::parseCityStZip(User3.toString());
    a.problem = dataset::streetProblem(street, stateCode);
    if (a.problem.isEmpty()) a.problem = dataset::cityStZipProblem(parts);
    if (!a.problem.isEmpty()) return a;
    a.STREET = street;
    a.CITY = parts.CITY;
    a.ST = parts.ST;
    a.ZIP = parts.ZIP;
    if (!parts.ZIPEXT.isEmpty()) a.ZIPEXT = parts.ZIPEXT;
    return a;
}

} // namespace maintenance
