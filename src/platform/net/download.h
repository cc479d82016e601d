// Downloading a URL into a file (libcurl). The file is written under a hidden temporary name
// beside its destination and renamed into place only when the transfer is complete, so a failed,
// timed-out or cancelled download leaves whatever the destination held before.
#pragma once

#include <QString>

#include <functional>

namespace net {

struct DownloadOptions {
    int connectTimeout = 30; // seconds allowed to reach the server
    int stallTimeout = 60;   // seconds without a byte arriving before the transfer is given up
    int totalTimeout = 0;    // seconds for the whole transfer; 0 for no limit
    // The most bytes the file may have: a larger one is refused when announced, or stopped as soon
    // as it runs past; -1 for no limit. tooLarge completes the cause "it is larger than ..."
    // ("65536 bytes" when empty).
    qint64 maxBytes = -1;
    QString tooLarge;
    // Called as data arrive with the bytes so far and the bytes announced (0 when unknown);
    // returning false cancels the download.
    std::function<bool(qint64 done, qint64 total)> progress;
};

struct DownloadResult {
    bool ok = false;
    QString error;       // "Cannot download <url>: <cause>." when not ok
    long httpStatus = 0; // the server's final status code; 0 for file:// or when none came
    qint64 bytes = 0;    // bytes received
};

// True for the addresses downloadFile takes: http://, https:// and file:// URLs.
bool isSupportedUrl(const QString& url);

// Fetches url into localFile. An http(s) answer other than 2xx is a failure naming the status;
// redirects are followed, but only to http(s). No shell or other program is involved.
DownloadResult downloadFile(const QString& url, const QString& localFile, const DownloadOptions& options = {});

} // namespace net
