#include "loading/load_context.h"

#include <QStringList>

namespace loading {

namespace {

QString describe(const QString& file, long long record, const QString& reason) {
    if (record > 0) return QStringLiteral("%1, record %2: %3").arg(file).arg(record).arg(reason);
    return QStringLiteral("%1: %2").arg(file, reason);
}

} // namespace

LoadFailure::LoadFailure(const QString& file, long long record, const QString& reason, bool unsaved)
    : std::runtime_error(describe(file, record, reason).toStdString()), file_(file), record_(record),
      reason_(reason), unsaved_(unsaved) {}

QString LoadFailure::message() const {
    QString where = record_ > 0
                        ? QStringLiteral("The data load stopped at record %1 of %2.").arg(record_).arg(file_)
                        : QStringLiteral("The data load stopped on %1.").arg(file_);
    where += QStringLiteral("\r\n\r\n") + reason_;
    if (!unsaved_) return where;
    return where +
           QStringLiteral("\r\n\r\nThe rows of the unfinished batch were not saved and %1 was kept, so the "
                          "load is offered again at the next start.")
               .arg(file_);
}

void LoadContext::refuse(const QString& file, const QString& reason) {
    for (Refusal& r : refusals) {
        if (r.file == file && r.reason == reason) {
            ++r.count;
            return;
        }
    }
    refusals.append({file, reason, 1});
}

long long LoadContext::refusedCount() const {
    long long n = 0;
    for (const Refusal& r : refusals)
        n += r.count;
    return n;
}

QString LoadContext::refusalSummary() const {
    QStringList parts;
    for (const Refusal& r : refusals)
        parts << QStringLiteral("%1: %2 %3").arg(r.file).arg(r.count).arg(r.reason);
    return parts.join(QStringLiteral("; "));
}

} // namespace loading
