#include "platform/archive/zip_archive.h"

#include "platform/files/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

namespace archive {

namespace {

constexpr zip_uint64_t kChunk = 256 * 1024;
// Deflate shrinks real files (databases, programs, text) far less than this; an archive whose
// entries claim to grow more is built to fill the disk. Small archives are let through, since
// runs of zeros shrink this well.
constexpr qint64 kMaxExpansion = 200;
constexpr qint64 kExpansionFloor = qint64(64) << 20;

QString systemText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

QString zipText(int code) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&e));
    zip_error_fini(&e);
    return text;
}

// Why zip_open refused a file, in words a user can act on.
QString openReason(int code, int err) {
    switch (code) {
    case ZIP_ER_NOENT: return QStringLiteral("it does not exist");
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK: return QStringLiteral("it cannot be read (%1)").arg(systemText(err));
    case ZIP_ER_NOZIP: return QStringLiteral("it is not a zip archive, or it is incomplete");
    case ZIP_ER_INCONS: return QStringLiteral("it is damaged (its table of contents does not match its contents)");
    case ZIP_ER_MULTIDISK: return QStringLiteral("it is one part of an archive split over several files");
    default: return zipText(code);
    }
}

// Why an entry's data could not be read back, completing "the entry X ...".
QString readReason(zip_error_t* e) {
    switch (zip_error_code_zip(e)) {
    case ZIP_ER_CRC: return QStringLiteral("does not match its checksum");
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA: return QStringLiteral("holds damaged compressed data");
    case ZIP_ER_EOF: return QStringLiteral("runs past the end of the archive");
    case ZIP_ER_READ:
    case ZIP_ER_SEEK: return QStringLiteral("cannot be read (%1)").arg(systemText(zip_error_code_system(e)));
    default: return QStringLiteral("cannot be read (%1)").arg(QString::fromUtf8(zip_error_strerror(e)));
    }
}

} // namespace

ZipArchive::~ZipArchive() {
    close();
}

void ZipArchive::close() {
    if (zip_) zip_discard(zip_);
    zip_ = nullptr;
    entries_.clear();
    lookup_.clear();
}

bool ZipArchive::fail(Error error, const QString& message) {
    error_ = error;
    errorString_ = message;
    return false;
}

bool ZipArchive::begin() {
    error_ = Error::None;
    errorString_.clear();
    return isOpen() || fail(Error::Open, QStringLiteral("No archive is open."));
}

bool ZipArchive::failEntry(Error error, int index, const QString& reason) {
    const QString name = entries_.at(index).name;
    switch (error) {
    case Error::Damaged:
        return fail(error, QStringLiteral("The archive %1 is damaged: the entry \"%2\" %3.").arg(path_, name, reason));
    case Error::Refused:
        return fail(error, QStringLiteral("The entry \"%2\" of the archive %1 is refused: %3.").arg(path_, name, reason));
    default:
        return fail(error,
                    QStringLiteral("The entry \"%2\" of the archive %1 cannot be written: %3.").arg(path_, name, reason));
    }
}

bool ZipArchive::open(const QString& path) {
    close();
    path_ = path;
    error_ = Error::None;
    errorString_.clear();
    auto refuse = [&](const QString& reason) {
        close();
        return fail(Error::Open, QStringLiteral("The archive %1 cannot be opened: %2.").arg(path, reason));
    };

    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0)
        return refuse(errno == ENOENT ? QStringLiteral("it does not exist")
                                      : QStringLiteral("it cannot be read (%1)").arg(systemText(errno)));
    if (S_ISDIR(st.st_mode)) return refuse(QStringLiteral("it is a folder"));
    // libzip would take an empty file for an empty archive; an empty download is a failed one.
    if (st.st_size == 0) return refuse(QStringLiteral("it is empty (0 bytes)"));
    fileSize_ = st.st_size;

    // Without libzip's strict consistency check: archivers differ in small ways it would refuse.
    // Damage that matters is found by reading the data back (verify).
    int code = 0;
    zip_ = zip_open(native.constData(), ZIP_RDONLY, &code);
    if (!zip_) return refuse(openReason(code, errno));

    const zip_int64_t n = zip_get_num_entries(zip_, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t zs;
        zip_stat_init(&zs);
        if (zip_stat_index(zip_, zip_uint64_t(i), 0, &zs) != 0 || !(zs.valid & ZIP_STAT_NAME))
            return refuse(QStringLiteral("its entry %1 cannot be read (%2)")
                              .arg(i + 1)
                              .arg(QString::fromUtf8(zip_strerror(zip_))));
        Entry e;
        e.name = QString::fromUtf8(zs.name);
        e.size = (zs.valid & ZIP_STAT_SIZE) ? qint64(zs.size) : 0;

        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(zip_, zip_uint64_t(i), 0, &system, &attributes);
        const unsigned unixMode = system == ZIP_OPSYS_UNIX ? attributes >> 16 : 0;
        const unsigned type = unixMode & S_IFMT;

        e.path = entryPath(e.name);
        if (type == S_IFDIR) e.path.directory = true;
        e.directory = e.path.directory;
        if (type == 0 || type == S_IFREG || type == S_IFDIR) e.mode = unixMode & 0777;

        if (!e.path.refusal.isEmpty())
            e.refusal = e.path.refusal;
        else if (type == S_IFLNK)
            e.refusal = QStringLiteral("it is a symbolic link");
        else if (type != 0 && type != S_IFREG && type != S_IFDIR)
            e.refusal = QStringLiteral("it is neither a file nor a folder");
        else if ((zs.valid & ZIP_STAT_ENCRYPTION_METHOD) && zs.encryption_method != ZIP_EM_NONE)
            e.refusal = QStringLiteral("it is encrypted");
        else if ((zs.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(zs.comp_method, 0))
            e.refusal = QStringLiteral("it is compressed by a method that cannot be read (%1)").arg(zs.comp_method);
        entries_.append(e);
    }
    return true;
}

bool ZipArchive::readEntry(int index, files::ReplacingFile* out, Progress& progress, const ProgressFn& report) {
    const Entry& e = entries_.at(index);
    progress.entry = index;
    progress.name = e.name;
    progress.entryDone = 0;
    progress.entrySize = e.size;
    if (report && !report(progress)) return fail(Error::Cancelled, QStringLiteral("Cancelled."));

    zip_file_t* file = zip_fopen_index(zip_, zip_uint64_t(index), 0);
    if (!file) return failEntry(Error::Damaged, index, readReason(zip_get_error(zip_)));
    QByteArray buffer(qsizetype(kChunk), Qt::Uninitialized);
    bool ok = true;
    for (;;) {
        // At most one byte past the recorded size: what was checked against the free space is that size.
        const zip_uint64_t want = std::min(kChunk, zip_uint64_t(e.size - progress.entryDone) + 1);
        const zip_int64_t n = zip_fread(file, buffer.data(), want);
        if (n < 0) {
            ok = failEntry(Error::Damaged, index, readReason(zip_file_get_error(file)));
            break;
        }
        if (n == 0) break;
        if (progress.entryDone + n > e.size) {
            ok = failEntry(Error::Damaged, index,
                           QStringLiteral("holds more than its recorded %1 bytes").arg(e.size));
            break;
        }
        if (out && !out->write(buffer.constData(), n)) {
            ok = failEntry(Error::Write, index, out->reason());
            break;
        }
        progress.entryDone += n;
        progress.totalDone += n;
        if (report && !report(progress)) {
            ok = fail(Error::Cancelled, QStringLiteral("Cancelled."));
            break;
        }
    }
    zip_fclose(file);
    if (ok && progress.entryDone != e.size)
        ok = failEntry(Error::Damaged, index,
                       QStringLiteral("holds %1 bytes instead of %2").arg(progress.entryDone).arg(e.size));
    return ok;
}

bool ZipArchive::verify(const ProgressFn& progress) {
    if (!begin()) return false;
    Progress p;
    p.entryCount = count();
    for (const Entry& e : std::as_const(entries_))
        if (!e.directory && e.refusal.isEmpty()) p.totalSize += e.size;
    for (int i = 0; i < count(); ++i) {
        // Entries that cannot be read at all are refused by check(); their data are not looked at.
        if (entries_[i].directory || !entries_[i].refusal.isEmpty()) continue;
        if (!readEntry(i, nullptr, p, progress)) {
            if (error_ == Error::Cancelled)
                errorString_ = QStringLiteral("Checking the archive %1 was cancelled.").arg(path_);
            return false;
        }
    }
    return true;
}

Destination ZipArchive::destination(int index, const QString& folder) const {
    const Entry& e = entries_.at(index);
    if (!e.refusal.isEmpty()) {
        Destination d;
        d.refusal = e.refusal;
        return d;
    }
    return resolveDestination(folder, e.path, &lookup_);
}

qint64 ZipArchive::expandedSize() const {
    qint64 total = 0;
    for (const Entry& e : entries_)
        if (!e.directory) total += e.size;
    return total;
}

bool ZipArchive::check(const QString& folder) {
    if (!begin()) return false;
    if (const qint64 expanded = expandedSize();
        expanded > kExpansionFloor && expanded / kMaxExpansion > fileSize_)
        return fail(
            Error::Refused,
            QStringLiteral("The archive %1 is refused: its %2 bytes would expand to %3 bytes, more than %4 "
                           "times their size.")
                .arg(path_)
                .arg(fileSize_)
                .arg(expanded)
                .arg(kMaxExpansion));
    QHash<QString, int> filePaths; // case-folded, since destinations are found without regard to case
    for (int i = 0; i < count(); ++i) {
        const Destination d = destination(i, folder);
        if (!d.refusal.isEmpty()) return failEntry(Error::Refused, i, d.refusal);
        if (entries_[i].directory) continue;
        const QString key = entries_[i].path.segments.join(QLatin1Char('/')).toCaseFolded();
        if (const auto other = filePaths.constFind(key); other != filePaths.cend())
            return failEntry(
                Error::Refused, i,
                QStringLiteral("the entry \"%1\" before it has the same name").arg(entries_[*other].name));
        filePaths.insert(key, i);
    }
    // One entry must not need a folder where another puts a file.
    for (int i = 0; i < count(); ++i) {
        const QStringList& segments = entries_[i].path.segments;
        const qsizetype folders = entries_[i].directory ? segments.size() : segments.size() - 1;
        for (qsizetype k = 1; k <= folders; ++k)
            if (filePaths.contains(segments.mid(0, k).join(QLatin1Char('/')).toCaseFolded()))
                return failEntry(Error::Refused, i,
                                 QStringLiteral("it needs a folder where the archive also puts a file"));
    }
    return true;
}

bool ZipArchive::extractEntry(int index, const QString& folder, Progress& progress, const ProgressFn& report,
                              const BeforeReplaceFn& beforeReplace) {
    const Entry& e = entries_.at(index);
    const Destination d = destination(index, folder);
    if (!d.refusal.isEmpty()) return failEntry(Error::Refused, index, d.refusal);

    if (e.directory) {
        if (!QDir().mkpath(d.path))
            return failEntry(Error::Write, index, QStringLiteral("the folder %1 cannot be created").arg(d.path));
        noteCreated(folder, d.path);
        progress.entry = index;
        progress.name = e.name;
        progress.entryDone = progress.entrySize = 0;
        if (report && !report(progress)) return fail(Error::Cancelled, QStringLiteral("Cancelled."));
        return true;
    }

    const QString parent = QFileInfo(d.path).path();
    if (!QDir().mkpath(parent))
        return failEntry(Error::Write, index, QStringLiteral("the folder %1 cannot be created").arg(parent));
    noteCreated(folder, parent);
    // A new file takes the permissions the archive records; a replaced one keeps its own (a
    // database shared by a group stays so).
    files::ReplacingFile out(d.path, e.mode != 0 ? e.mode : 0666);
    if (!out.ok()) return failEntry(Error::Write, index, out.reason());
    if (!readEntry(index, &out, progress, report)) return false;
    if (beforeReplace) beforeReplace(d.path);
    if (!out.commit()) return failEntry(Error::Write, index, out.reason());
    lookup_.created(d.path);
    return true;
}

void ZipArchive::noteCreated(const QString& folder, const QString& path) {
    for (QString p = path; p.size() > folder.size() && p.contains(QLatin1Char('/')); p = QFileInfo(p).path())
        lookup_.created(p);
}

bool ZipArchive::extract(int index, const QString& folder, const ProgressFn& progress,
                         const BeforeReplaceFn& beforeReplace) {
    if (!begin()) return false;
    Progress p;
    p.entryCount = count();
    p.totalSize = entries_.at(index).directory ? 0 : entries_.at(index).size;
    if (extractEntry(index, folder, p, progress, beforeReplace)) return true;
    if (error_ == Error::Cancelled)
        errorString_ = QStringLiteral("Extracting the archive %1 was cancelled.").arg(path_);
    return false;
}

bool ZipArchive::extractAll(const QString& folder, const ProgressFn& progress) {
    if (!check(folder)) return false;
    Progress p;
    p.entryCount = count();
    for (const Entry& e : std::as_const(entries_))
        if (!e.directory) p.totalSize += e.size;
    for (int i = 0; i < count(); ++i) {
        if (!extractEntry(i, folder, p, progress)) {
            if (error_ == Error::Cancelled)
                errorString_ = QStringLiteral("Extracting the archive %1 was cancelled.").arg(path_);
            return false;
        }
    }
    return true;
}

} // namespace archive
