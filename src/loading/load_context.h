// What the loaders work with: the open state database, the program folder, the data set, and the
// hooks through which a caller (the start-up's splash, or the headless loader) sees progress and
// asks for a stop. No widgets here.
#pragma once

#include <QDate>
#include <QMap>
#include <QString>
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

// A loader that stopped: names the release file, the record (1-based; 0 when no record was being
// handled) and the reason. unsaved: the open batch was rolled back and the file is kept (false
// for a failure after the rows were saved, such as the data version stamp).
class LoadFailure : public std::runtime_error {
public:
    LoadFailure(const QString& file, long long record, const QString& reason, bool unsaved = true);
    QString file() const { return file_; }
    long long record() const { return record_; }
    QString reason() const { return reason_; }
    // A text for the user: the file, the record, the reason, and (unsaved) that the file is kept.
    QString message() const;

private:
    QString file_;
    long long record_;
    QString reason_;
    bool unsaved_;
};

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

    bool isCancelled() const { return cancelled && *cancelled; }
    void refuse(const QString& file, const QString& reason);
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
