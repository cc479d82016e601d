// The update downloader's work: where to fetch from (DOWNLOAD.INI in the program folder), which
// archives to fetch (the list UPDATES.TXT at that location), fetching them all into the source
// folder, and the outcome it leaves in DONE.TXT.
//
// DOWNLOAD.INI, beside the program:
//     ; where the update archives are published
//     [Download]
//     Location=https://updates.example.com/velk/
// Only the Location line counts (key without regard to case; the section is optional); its value
// is an http://, https:// or file:// URL of a folder.
//
// UPDATES.TXT, in that folder: one archive name per line (VELK*.ZIP, letters, digits, "_" and "-"
// only), at most 21; blank lines and lines starting with "#" or ";" are skipped.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace download1 {

inline const QString kSettingsFile = QStringLiteral("DOWNLOAD.INI");
inline const QString kIndexFile = QStringLiteral("UPDATES.TXT");
inline const QString kDoneFile = QStringLiteral("DONE.TXT");
// More archives than this would not all be installed in one go.
inline constexpr int kMaxArchives = 21;

struct Parsed {
    QString location;    // parseSettings: the URL
    QStringList names;   // parseIndex: the archive names in order
    QString error;       // empty when the text was usable
};

// The Location of a DOWNLOAD.INI text; error when it has none or it is not a URL we can fetch.
Parsed parseSettings(const QByteArray& text);
// The archive names of an UPDATES.TXT text; error names the first bad line.
Parsed parseIndex(const QByteArray& text);

// The location set in programFolder's DOWNLOAD.INI (the file found without regard to case).
Parsed readSettings(const QString& programFolder);

// location with name appended as the last step of its path.
QString urlOf(const QString& location, const QString& name);

struct Outcome {
    bool ok = false;
    QString message;     // one or more lines for a person to read
    QStringList archives; // paths of the archives placed in the source folder
};

struct FetchOptions {
    int connectTimeout = 30;
    int stallTimeout = 60;
    int deadline = 340;  // seconds for the whole run, so it ends before the update form stops waiting
    qint64 spareBytes = qint64(64) << 20; // left free on the source folder's file system
    std::function<bool()> stopRequested; // polled during transfers; true stops the run
    std::function<void(const QString&)> log;
};

// Fetches the list and every archive it names into a hidden folder inside sourceFolder, then moves
// them all into sourceFolder (replacing an archive of the same name found without regard to case).
// Nothing of a failed run is left in sourceFolder, and what a killed run left there is removed. A
// transfer stops at its limit: 64 KB for the list; for an archive 4 GB, and never more than the
// free space less spareBytes.
Outcome fetchUpdate(const QString& location, const QString& sourceFolder, const FetchOptions& options = {});

// The whole run of the program: settings from programFolder, archives into sourceFolder.
Outcome run(const QString& programFolder, const QString& sourceFolder, const FetchOptions& options = {});

// DONE.TXT's content: "OK" or "FAILED" on the first line, then the message.
QByteArray doneText(const Outcome& outcome);

} // namespace download1
