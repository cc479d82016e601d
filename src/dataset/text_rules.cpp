#include "dataset/text_rules.h"

namespace dataset {

namespace {
const QString kBang = QStringLiteral("!");
} // namespace

bool isPresent(const QVariant& text) {
    return sortsAfter(text, kBang);
}

bool isEmptyText(const QString& text) {
    return QString::compare(text, kBang, Qt::CaseSensitive) < 0;
}

bool sortsAfter(const QVariant& v, const QString& threshold) {
    if (!v.isValid() || v.isNull()) return false;
    return QString::compare(v.toString(), threshold, Qt::CaseSensitive) > 0;
}

QString trimBlanks(const QString& text, BlankEnds ends) {
    const QStringView kept = trimBlanks(QStringView(text), ends);
    return kept.size() == text.size() ? text : kept.toString();
}

QStringView trimBlanks(QStringView text, BlankEnds ends) {
    qsizetype from = 0, to = text.size();
    if (ends == BlankEnds::Both)
        while (from < to && text.at(from) == QLatin1Char(' '))
            ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' '))
        --to;
    return text.sliced(from, to - from);
}

QString properCase(const QString& text) {
    QString s = text.toLower();
    if (!s.isEmpty()) s[0] = s[0].toUpper();
    for (qsizetype i = 0; i + 1 < s.size(); ++i)
        if (s[i] == QLatin1Char(' ')) s[i + 1] = s[i + 1].toUpper();
    return s;
}

} // namespace dataset
