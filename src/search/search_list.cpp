#include "search/search_list.h"

#include "dataset/text_rules.h"
#include "platform/ui/msgbox.h"
#include "search/search_file.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace search {

namespace {

QSet<QString>& reportedProblems() {
    static QSet<QString> reported;
    return reported;
}

QString problemKey(const ListingProblem& p) {
    const QFileInfo fi(p.path);
    return QStringLiteral("%1|%2|%3|%4")
        .arg(p.path)
        .arg(fi.exists() ? fi.size() : -1)
        .arg(fi.lastModified().toMSecsSinceEpoch())
        .arg(p.message);
}

} // namespace

SearchListing listSavedSearches(const QString& folder) {
    SearchListing listing;
    QStringList names;
    const QDir dir(folder);
    // Only regular files (or links to them): a FIFO or a device named like a search is none.
    for (const QFileInfo& fi : dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::NoSort))
        if (fi.isFile() && fi.fileName().endsWith(QLatin1String(".VKD"), Qt::CaseInsensitive))
            names << fi.fileName();
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    for (const QString& name : names) {
        if (listing.searches.size() == kSearchTabs) break;
        const QString path = dir.filePath(name);
        QString title, error;
        if (readSearchTitle(path, &title, &error))
            listing.searches.append({name, title});
        else
            listing.problems.append({path, error});
    }
    return listing;
}

TabsPlan planTabs(const QString& folder, int selectedTab) {
    TabsPlan plan;
    const SearchListing listing = listSavedSearches(folder);
    int i = 1;
    for (const SavedSearch& s : listing.searches) {
        plan.files[i] = s.fileName;
        plan.captions[i] = s.title;
        ++i;
    }
    plan.selectTab = selectedTab >= i ? 0 : selectedTab;
    plan.problems = listing.problems;
    return plan;
}

void reportListingProblems(const QList<ListingProblem>& problems) {
    QStringList fresh;
    for (const ListingProblem& p : problems) {
        const QString key = problemKey(p);
        if (!reportedProblems().contains(key)) {
            reportedProblems().insert(key);
            fresh << p.message;
        }
    }
    if (fresh.isEmpty()) return;
    fresh << QStringLiteral("A saved search that cannot be read is left off the tabs.");
    ui::MsgBox(fresh.join(QLatin1Char('\n')), ui::vbOKOnly | ui::vbExclamation);
}

void resetReportedProblems() {
    reportedProblems().clear();
}

QStringList editableTitles(const std::array<QString, 10>& captions) {
    static const QString floor = QStringLiteral("    !");
    QStringList titles;
    for (int k = 1; k <= kSearchTabs; ++k) {
        if (!dataset::sortsAfter(captions[k], floor)) break;
        titles << captions[k];
    }
    return titles;
}

} // namespace search
