// What the list form's detail panel shows for a row, as rules without widgets. Texts compare by
// character code, case-sensitive; a missing (Null) value sorts after nothing and equals nothing.
#pragma once

#include "results/detail_rules.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace results {

// The two fills differ in a few thresholds: tab 0 (all records) and the search tabs.
enum class PanelTab { AllRecords, Search };

// Second name line threshold: three blanks and "!" on tab 0, ten blanks and "!" on a search tab.
QString name2Threshold(PanelTab tab);

// Name and address lines: NAME1; NAME2 when it sorts after the threshold; STREET as stored;
// "CITY, ST  ZIP" with "-ZIPEXT" when ZIPEXT sorts after "!". Null fields read as empty text.
QStringList addressLines(const FieldReader& field, PanelTab tab);

// One of the telephone, fax, contact and title boxes. Tab 0: the user value unless it is Null,
// empty or exactly `blanks` blanks. Search tab: the user value when it sorts after "!".
// Otherwise the stored value. blanks is 50 for telephone, contact and title, 12 for fax.
QString contactBoxText(const QVariant& stored, const QVariant& user, int blanks, PanelTab tab);
inline constexpr int kPhoneBlanks = 50;
inline constexpr int kFaxBlanks = 12;
inline constexpr int kContactBlanks = 50;
inline constexpr int kTitleBlanks = 50;

// The address override marker: User1 equal to "!&" exactly colours the address box.
bool addressMarked(const QVariant& user1);
QColor addressOverrideColor(); // light yellow (red 255, green 255, blue 128)

// "See Notes": shown when the note's trimmed length is above 2, or when it could not be counted.
bool seeNotesShown(std::optional<int> noteLength);

// "Assigned Risk": NJAR as a 16-bit integer (rounded half to even) is above 0. A value that is
// missing or does not fit gives false.
bool assignedRiskShown(const QVariant& njar);

// Headings and format of the MODS grid's columns 1 and 2 by data set.
struct ModsHeadings {
    QString col1Caption;
    QString col1Format;
    QString col2Caption;
};
ModsHeadings modsHeadings(const QString& state);

// The MODS record source of a row (latest effective date first), with the values inside their
// double quotes doubled where they hold one. The search tab's text ends in one blank.
QString modsRecordSource(const QString& file, const QString& sequence, PanelTab tab);

// "SELECT * FROM PRIME WHERE FILE = '<file>' AND SEQUENCE = '<seq>'" (apostrophes doubled): the
// one-record source that printing and export read.
QString oneRecordSource(const QString& file, const QString& sequence);

// The Exclude/Include button names what the next click does: "Include" while Omit is "Y".
QString markItCaption(const QVariant& omit);
// The mark after a toggle: "Y" becomes one blank, anything else (Null included) becomes "Y".
QString toggledOmit(const QVariant& omit);

// Length of a note after blanks (the space character only) are trimmed from both ends; nothing
// for a Null note or one longer than 32,767 characters.
std::optional<int> trimmedNoteLength(const QVariant& note);

} // namespace results
