#include "results/panel_rules.h"

#include "dataset/data_set.h"
#include "dataset/text_rules.h"
#include "platform/dao/jet_sql.h"

#include <cmath>

namespace results {

namespace {
using dataset::sortsAfter;

QString withoutTrailingBlanks(const QString& s) {
    return dataset::trimBlanks(s, dataset::BlankEnds::Trailing);
}
} // namespace

QString name2Threshold(PanelTab tab) {
    return QString(tab == PanelTab::AllRecords ? 3 : 10, QLatin1Char(' ')) + QLatin1Char('!');
}

QStringList addressLines(const FieldReader& field, PanelTab tab) {
    auto text = [&](const char* name) { return field(QLatin1String(name)).toString(); };
    QStringList lines;
    lines << withoutTrailingBlanks(text("NAME1"));
    const QVariant name2 = field(QStringLiteral("NAME2"));
    if (sortsAfter(name2, name2Threshold(tab))) lines << withoutTrailingBlanks(name2.toString());
    lines << text("STREET");
    QString last = withoutTrailingBlanks(text("CITY")) + QStringLiteral(", ") + text("ST") +
                   QStringLiteral("  ") + text("ZIP");
    const QVariant zipext = field(QStringLiteral("ZIPEXT"));
    if (dataset::isPresent(zipext)) last += QLatin1Char('-') + zipext.toString();
    lines << last;
    return lines;
}

QString contactBoxText(const QVariant& stored, const QVariant& user, int blanks, PanelTab tab) {
    const QString storedText = stored.toString();
    const bool hasUser = user.isValid() && !user.isNull();
    if (tab == PanelTab::Search) return dataset::isPresent(user) ? user.toString() : storedText;
    QString box = storedText;
    if (hasUser && !user.toString().isEmpty()) box = user.toString();
    if (box.isEmpty() || box == QString(blanks, QLatin1Char(' '))) box = storedText;
    return box;
}

bool addressMarked(const QVariant& user1) {
    return user1.isValid() && !user1.isNull() && user1.toString() == QLatin1String("!&");
}

QColor addressOverrideColor() {
    return QColor(255, 255, 128);
}

bool seeNotesShown(std::optional<int> noteLength) {
    return !noteLength || *noteLength > 2;
}

bool assignedRiskShown(const QVariant& njar) {
    if (!njar.isValid() || njar.isNull()) return false;
    bool ok = false;
    const double d = njar.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d)) return false;
    const double r = std::nearbyint(d); // half to even, as the 16-bit conversion rounds
    if (r < -32768.0 || r > 32767.0) return false;
    return r > 0;
}

ModsHeadings modsHeadings(const QString& state) {
    if (dataset::isNewYork(state)) {
        return {QStringLiteral(" "), QStringLiteral("STANDARD"), QStringLiteral("Anniversary")};
    }
    return {QStringLiteral("Effective"), QStringLiteral("MM/DD/YY"), QStringLiteral("Expires")};
}

namespace {
QString inDoubleQuotes(QString v) {
    v.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + v + QLatin1Char('"');
}
} // namespace

QString modsRecordSource(const QString& file, const QString& sequence, PanelTab tab) {
    QString sql = QStringLiteral("SELECT * FROM MODS WHERE FILE = ") + inDoubleQuotes(file) +
                  QStringLiteral(" AND SEQUENCE = ") + inDoubleQuotes(sequence) +
                  QStringLiteral(" ORDER BY EFFECTIVE DESC, EXPIRE DESC");
    if (tab == PanelTab::Search) sql += QLatin1Char(' ');
    return sql;
}

QString oneRecordSource(const QString& file, const QString& sequence) {
    return QStringLiteral("SELECT * FROM PRIME WHERE FILE = ") + dao::quoteLiteral(file) +
           QStringLiteral(" AND SEQUENCE = ") + dao::quoteLiteral(sequence);
}

QString markItCaption(const QVariant& omit) {
    return omit.toString() == QLatin1String("Y") ? QStringLiteral("Include") : QStringLiteral("Exclude");
}

QString toggledOmit(const QVariant& omit) {
    return omit.toString() == QLatin1String("Y") ? QStringLiteral(" ") : QStringLiteral("Y");
}

std::optional<int> trimmedNoteLength(const QVariant& note) {
    if (!note.isValid() || note.isNull()) return std::nullopt;
    const qsizetype n = dataset::trimBlanks(note.toString()).size();
    if (n > 32767) return std::nullopt;
    return int(n);
}

} // namespace results
