#include "printing/report_files.h"

#include "dataset/categories.h"

namespace printing {

report::Report openReportFile(const QString& name) {
    report::Report r = report::Report::open(name);
    r.setValueItems(QStringLiteral("noDate"), {{QStringLiteral("01/01/50"), QString()}});
    QVector<grid::ValueItem> merit;
    for (const dataset::CategoryRow& c : dataset::meritClasses())
        merit.append({c.code.toDouble(), c.description});
    r.setValueItems(QStringLiteral("merit"), merit);
    return r;
}

} // namespace printing
