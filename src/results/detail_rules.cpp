#include "results/detail_rules.h"

#include "dataset/data_set.h"
#include "results/panel_rules.h"

#include <QLocale>

#include <cmath>

namespace results {

QString njarDateText(const QVariant& njar) {
    const QString text = dataset::njarMonthYear(njar);
    return text.isEmpty() ? QStringLiteral("/") : text;
}

StampedNote stampNote(const QString& previous, const QString& dateText, const QString& lineBreak) {
    const QString head = dateText + QStringLiteral(" - ");
    return {head + lineBreak + previous, int(head.size())};
}

QString withoutUntypedStamps(QString note, const QVector<Stamping>& stampings) {
    // Blanks and line breaks typed at the stamp say nothing either.
    const auto words = [](QStringView text) {
        qsizetype i = 0;
        while (i < text.size() && text[i].isSpace())
            ++i;
        return text.mid(i);
    };
    for (auto s = stampings.crbegin(); s != stampings.crend(); ++s) {
        const QString stamp = s->stamp.trimmed();
        if (!note.startsWith(stamp) || words(QStringView(note).mid(stamp.size())) != words(s->before)) break;
        note = s->before;
    }
    return note;
}

QString todayShortDate() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

PanelRefresh moreInfoPanelRefresh(const FieldReader& field) {
    PanelRefresh r;
    // The second name line follows the search tab's threshold (ten blanks and "!") on every tab.
    r.addressLines = addressLines(field, PanelTab::Search);
    // A user value replaces the stored one whenever it holds a character, even a blank.
    auto pick = [&](const char* stored, const char* user) {
        const QString u = field(QLatin1String(user)).toString();
        return u.isEmpty() ? field(QLatin1String(stored)).toString() : u;
    };
    r.PHONE = pick("PHONE", "UserPhone");
    r.txtFax = pick("FAX", "UserFax");
    r.CONTACT = pick("CONTACT", "UserContact");
    r.TITLE = pick("TITLE", "UserTitle");
    return r;
}

} // namespace results
