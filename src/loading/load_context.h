// What the loaders work with: the open state database, the program folder, the data set, and the
// hooks through which a caller (the start-up's splash, or the headless loader) sees progress and
// asks for a stop. No widgets here.
#pragma once

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <stdexcept>

namespace dao {
class Database;
}

namespace loading {

// Records that were read but not stored as they stand, counted per file and reason; reported
// once when the load ends.
struct Refusal {
    QString file;
    QString reason;
    long long count = 0;
};

// A load that did not happen: nothing of it was written and the release files were kept. Either it
// stopped in a loader (the file, the record, 1-based or 0 when no record was being handled, and
// the reason), or it was refused before it began (the problems, one line each).
class LoadFailure : public std::runtime_error {
public:
    LoadFailure(const QString& file, long long record, const QString& reason);
    // file: the first file named by the problems.
    static LoadFailure refused(const QString& file, const QStringList& problems);
    QString file() const { return file_; }
    long long record() const { return record_; }
    QString reason() const { return reason_; }
    bool started() const { return started_; }
    // A text for the user: what stopped the load or why it was refused, and that nothing was changed.
    QString message() const;

private:
    QString file_;
    long long record_;
    QString reason_;
    bool started_ = true;
};

// What the user reads after a load that failed or was cancelled.
QString nothingChangedText();

struct LoadContext {
    dao::Database* db = nullptr;
    QString folder;                     // program folder holding the release files
    QString state;                      // data set code, e.g. "PA"
    QDate today = QDate::currentDate(); // the data version stamp

    // Progress text of the batched loaders ("TOTAL COMPANIES ADDED IS 300").
    std::function<void(const QString&)> progress;
    // Lets pending window events run (the splash repaints, its Cancel button is seen).
    std::function<void()> processEvents;
    // The load-cancel flag; may be null (nothing cancels).
    bool* cancelled = nullptr;

    long LoadTotal = 0; // running total shown in the progress text

    QVector<Refusal> refusals;
    QMap<QString, long long> rowsAdded; // table -> rows added by this load
    // Release files left after a committed load, each with the reason ("SIC.DAT: ..."): the next
    // start would load them again.
    QStringList undeleted;

    bool isCancelled() const { return cancelled && *cancelled; }
    void refuse(const QString& file, const QString& reason, long long count = 1);
    long long refusedCount() const;
    // "2 duplicate codes in SIC.DAT (the first was kept); ..."; "" when nothing was refused.
    QString refusalSummary() const;
    void showProgress(const QString& text) const {
        if (progress) progress(text);
    }
    void letEventsRun() const {
        if (processEvents) processEvents();
    }
};

} // namespace loading
