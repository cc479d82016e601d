#include "platform/net/download.h"

#include "platform/files/atomic_file.h"

#include <QFileInfo>
#include <QUrl>

#include <curl/curl.h>

#include <mutex>

namespace net {

namespace {

// What one transfer writes and learns on its way.
struct Transfer {
    files::ReplacingFile* file = nullptr;
    qint64 bytes = 0;
    qint64 maxBytes = -1;
    bool tooLarge = false;
    bool writeFailed = false;
    QByteArray statusLine;  // the last HTTP status line, for its reason phrase
    const std::function<bool(qint64, qint64)>* progress = nullptr;
};

size_t onData(char* data, size_t size, size_t count, void* userdata) {
    auto* t = static_cast<Transfer*>(userdata);
    if (t->maxBytes >= 0 && t->bytes + qint64(size * count) > t->maxBytes) {
        t->tooLarge = true;
        return 0;
    }
    if (!t->file->write(data, qint64(size * count))) {
        t->writeFailed = true;
        return 0; // makes curl stop with a write error
    }
    t->bytes += qint64(size * count);
    return size * count;
}

size_t onHeader(char* data, size_t size, size_t count, void* userdata) {
    auto* t = static_cast<Transfer*>(userdata);
    const QByteArray line(data, qsizetype(size * count));
    if (line.startsWith("HTTP/")) t->statusLine = line.trimmed();
    return size * count;
}

int onProgress(void* userdata, curl_off_t total, curl_off_t done, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(userdata);
    return t->progress && *t->progress && !(*t->progress)(qint64(done), qint64(total)) ? 1 : 0;
}

void initialiseCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// "404 Not Found" from "HTTP/1.1 404 Not Found"; the bare code when the line says no more.
QString statusText(long code, const QByteArray& line) {
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() >= 3 && parts[1].toLong() == code) return QString::fromLatin1(parts.mid(1).join(' '));
    return QString::number(code);
}

// Why curl gave up, in words naming the cause.
QString causeOf(CURLcode code, const char* detail, const QUrl& url, const Transfer& t, CURL* curl,
                const QString& localFile, const DownloadOptions& options) {
    if (code == CURLE_FILESIZE_EXCEEDED || (code == CURLE_WRITE_ERROR && t.tooLarge))
        return QStringLiteral("it is larger than ") + (options.tooLarge.isEmpty()
                                                           ? QStringLiteral("%1 bytes").arg(options.maxBytes)
                                                           : options.tooLarge);
    const QString more = detail && *detail ? QString::fromUtf8(detail).trimmed() : QString::fromUtf8(curl_easy_strerror(code));
    switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
        // The address itself was checked before: the server sent the request elsewhere.
        return QStringLiteral("the server redirected it to an address other than http:// or https://");
    case CURLE_URL_MALFORMAT: return QStringLiteral("the address is not a valid URL (%1)").arg(more);
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("the server name %1 cannot be found (DNS: %2)").arg(url.host(), more);
    case CURLE_COULDNT_RESOLVE_PROXY: return QStringLiteral("the proxy server cannot be found (DNS: %1)").arg(more);
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("no connection to %1 can be made; it was refused or the server cannot be reached (%2)")
            .arg(url.host(), more);
    case CURLE_OPERATION_TIMEDOUT: return QStringLiteral("the server did not answer in time (%1)").arg(more);
    case CURLE_PARTIAL_FILE: {
        curl_off_t announced = -1;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        if (announced > 0)
            return QStringLiteral("the transfer broke off after %1 of %2 bytes").arg(t.bytes).arg(qint64(announced));
        return QStringLiteral("the transfer broke off after %1 bytes (%2)").arg(t.bytes).arg(more);
    }
    case CURLE_GOT_NOTHING: return QStringLiteral("the server closed the connection without an answer");
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR: return QStringLiteral("the connection broke off (%1)").arg(more);
    case CURLE_WRITE_ERROR:
        if (t.writeFailed) return QStringLiteral("%1 cannot be saved: %2").arg(localFile, t.file->reason());
        return QStringLiteral("the received data cannot be written (%1)").arg(more);
    case CURLE_FILE_COULDNT_READ_FILE:
        return QStringLiteral("the file %1 is missing or cannot be read").arg(url.toLocalFile());
    case CURLE_TOO_MANY_REDIRECTS: return QStringLiteral("the server redirected the request too often");
    case CURLE_ABORTED_BY_CALLBACK: return QStringLiteral("it was cancelled");
    case CURLE_PEER_FAILED_VERIFICATION:
        return QStringLiteral("the server's certificate cannot be trusted (%1)").arg(more);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND: return QStringLiteral("the secure connection failed (%1)").arg(more);
    default: return more;
    }
}

} // namespace

bool isSupportedUrl(const QString& url) {
    const QUrl u(url, QUrl::TolerantMode);
    const QString scheme = u.scheme().toLower();
    return u.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                           scheme == QLatin1String("file"));
}

DownloadResult downloadFile(const QString& url, const QString& localFile, const DownloadOptions& options) {
    DownloadResult result;
    auto failWith = [&](const QString& cause) {
        result.ok = false;
        result.error = QStringLiteral("Cannot download %1: %2.").arg(url, cause);
        return result;
    };
    const QUrl parsed(url, QUrl::TolerantMode);
    if (!isSupportedUrl(url))
        return failWith(QStringLiteral("only http://, https:// and file:// addresses can be downloaded"));
    const bool http = parsed.scheme().toLower() != QLatin1String("file");

    if (QFileInfo(localFile).fileName().isEmpty()) return failWith(QStringLiteral("no file name was given to save it as"));
    files::ReplacingFile file(localFile);
    if (!file.ok()) return failWith(QStringLiteral("%1 cannot be saved: %2").arg(localFile, file.reason()));
    Transfer t;
    t.file = &file;
    t.maxBytes = options.maxBytes;
    t.progress = &options.progress;

    initialiseCurl();
    CURL* curl = curl_easy_init();
    if (!curl) return failWith(QStringLiteral("the transfer library cannot be started"));
    char detail[CURL_ERROR_SIZE] = {};
    // Spaces and other characters a user may type into a path are encoded, as curl expects.
    const QByteArray encoded = parsed.toEncoded();
    curl_easy_setopt(curl, CURLOPT_URL, encoded.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,file");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "VELK-update/1");
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(options.connectTimeout));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(options.stallTimeout));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, long(options.totalTimeout));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    // Refused before a byte arrives when the server announces more.
    if (options.maxBytes > 0) curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(options.maxBytes));

    const CURLcode code = curl_easy_perform(curl);
    if (http) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.httpStatus);
    result.bytes = t.bytes;
    QString cause;
    if (code != CURLE_OK)
        cause = causeOf(code, detail, parsed, t, curl, localFile, options);
    else if (http && (result.httpStatus < 200 || result.httpStatus > 299))
        cause = QStringLiteral("the server answered HTTP %1").arg(statusText(result.httpStatus, t.statusLine));
    curl_easy_cleanup(curl);

    if (cause.isEmpty() && !file.commit()) cause = QStringLiteral("%1 cannot be saved: %2").arg(localFile, file.reason());
    if (!cause.isEmpty()) return failWith(cause);
    result.ok = true;
    return result;
}

} // namespace net
