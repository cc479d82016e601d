// Rules of the record detail form that need no window: band texts, the assigned-risk date,
// the note's date stamp and the list panel's refresh after the form closes.
#pragma once

#include "dataset/categories.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>

namespace results {

using dataset::employeesText;
using dataset::salesText;

// The assigned-risk date "MM/YY" from NJAR (dataset::njarMonthYear); no value or 0 gives "/".
QString njarDateText(const QVariant& njar);

// A note stamped for typing: "<date> - " and a line break in front of the previous text.
struct StampedNote {
    QString text;
    int caret; // right after "<date> - ", where the user types
};
StampedNote stampNote(const QString& previous, const QString& dateText, const QString& lineBreak);
// A stamp put on top of the note: its "<date> - " and the note it was put on.
struct Stamping {
    QString stamp;
    QString before;
};
// The note without the stamps after which nothing was typed: from the newest stamp back, while the
// note is still that stamp on top of what it was put on (blanks and line breaks aside), it goes
// back to what it was. A stamp after which the user typed anything, on its line or below it,
// stays: it dates what was typed.
QString withoutUntypedStamps(QString note, const QVector<Stamping>& stampings);
// Today's date in the system's short date format.
QString todayShortDate();

// Texts of the list panel's boxes after the detail form has closed, read from the record's PRIME row.
struct PanelRefresh {
    QStringList addressLines; // joined by the panel with its line break
    QString PHONE;
    QString txtFax;
    QString CONTACT;
    QString TITLE;
};
using FieldReader = std::function<QVariant(const QString& field)>;
PanelRefresh moreInfoPanelRefresh(const FieldReader& field);

} // namespace results
