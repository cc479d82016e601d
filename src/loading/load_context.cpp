#include "loading/load_context.h"

#include <QStringList>

namespace loading {

namespace {

QString describe(const QString& file, long long record, const QString& reason) {
    if (record > 0) return QStringLiteral("%1, record %2: %3").arg(file).arg(record).arg(reason);
    return QStringLiteral("%1: %2").arg(file, reason);
}

} // namespace

LoadFailure::LoadFailure(const QString& file, long long record, const QString& reason)
    : std::runtime_error(describe(file, record, reason).toStdString()), file_(file), record_(record),
      reason_(reason) {}

LoadFailure LoadFailure::refused(const QString& file, const QStringList& problems) {
    LoadFailure f(file, 0, problems.join(QStringLiteral("\r\n")));
    f.started_ = false;
    return f;
}

QString LoadFailure::message() const {
    QString text;
    if (!started_)
        text = QStringLiteral("The data release cannot be loaded:");
    else if (record_ > 0)
        text = QStringLiteral("The data load stopped at record %1 of %2.").arg(record_).arg(file_);
    else
        text = QStringLiteral("The data load stopped on %1.").arg(file_);
    return text + QStringLiteral("\r\n\r\n") + reason_ + QStringLiteral("\r\n\r\n") + nothingChangedText();
}

QString nothingChangedText() {
    return QStringLiteral("Nothing was changed: the data is as it was before, and the release files were "
                          "kept, so the load is offered again at the next start.");
}

void LoadContext::refuse(const QString& file, const QString& reason, long long count) {
    if (count <= 0) return;
    for (Refusal& r : refusals) {
        if (r.file == file && r.reason == reason) {
            r.count += count;
            return;
        }
    }
    refusals.append({file, reason, count});
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
