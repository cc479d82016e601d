// The saved searches of a workspace folder and the tabs 1 to 9 of the list form that show them.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace search {

inline constexpr int kSearchTabs = 9;

struct SavedSearch {
    QString fileName; // e.g. "SEARCH3.VKD"
    QString title;    // field 1 of its first line
};

// A file that matched but cannot be listed (empty, unreadable, malformed first line).
struct ListingProblem {
    QString path;
    QString message; // names the file and the reason
};

struct SearchListing {
    QList<SavedSearch> searches; // at most kSearchTabs, sorted by file name
    QList<ListingProblem> problems;
};

// The *.VKD regular files of folder (the extension matched without regard to case), sorted by name,
// the first nine that can be read. A file that cannot be read (or is too large to be a saved search)
// gets no tab and is reported instead, so one bad file never hides the others.
SearchListing listSavedSearches(const QString& folder);

// What SETTABS puts on the tab control.
struct TabsPlan {
    // File names (no folder) behind the tabs: entry 0 (all records) and 10 stay empty, entries 1
    // to 9 name the saved search on that tab or are empty for a tab without one.
    std::array<QString, 11> files;
    std::array<QString, 10> captions; // captions of tabs 1 to 9 (entry 0 unused)
    int selectTab = 0; // tab to select: the selected one, or 0 when it no longer holds a search
    QList<ListingProblem> problems;
};
TabsPlan planTabs(const QString& folder, int selectedTab);

// Shows one warning naming the listing's problem files. A file already reported and unchanged since
// (same size and modification time) is not reported again, since the tabs are rebuilt after nearly
// every command.
void reportListingProblems(const QList<ListingProblem>& problems);
// Forgets which files were reported (a new workspace, tests).
void resetReportedProblems();

// The titles VKEDDEL offers: captions of tabs 1, 2, ... up to the first one that does not sort after
// four blanks and "!" (by character code). Entry j belongs to tab j + 1.
QStringList editableTitles(const std::array<QString, 10>& captions);

} // namespace search
