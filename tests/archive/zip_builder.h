// Archives written by the tests themselves with libzip, entry by entry.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

namespace testsupport {

struct ZipItem {
    QByteArray name;        // stored exactly as given
    QByteArray data;
    unsigned unixMode = 0;  // file type and permissions as Unix records them; 0 records none, as on Windows
    bool store = false;     // stored uncompressed instead of deflated
};

inline ZipItem folderItem(const QByteArray& name) {
    return {name, QByteArray(), S_IFDIR | 0755, false};
}

inline ZipItem linkItem(const QByteArray& name, const QByteArray& target) {
    return {name, target, S_IFLNK | 0777, true};
}

// Writes an archive holding items in order; a refusal by libzip fails the test.
inline void writeZip(const QString& path, const QList<ZipItem>& items) {
    int code = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(za, nullptr) << "libzip cannot create " << path.toStdString() << " (" << code << ")";
    for (const ZipItem& item : items) {
        zip_int64_t index;
        if ((item.unixMode & S_IFMT) == S_IFDIR) {
            index = zip_dir_add(za, item.name.constData(), ZIP_FL_ENC_RAW);
        } else {
            // The buffer is read when the archive is closed; items outlives that.
            zip_source_t* source = zip_source_buffer(za, item.data.constData(), zip_uint64_t(item.data.size()), 0);
            index = zip_file_add(za, item.name.constData(), source, ZIP_FL_ENC_RAW);
            if (index < 0) zip_source_free(source);
        }
        ASSERT_GE(index, 0) << "libzip refuses " << item.name.constData() << ": " << zip_strerror(za);
        if (item.store) zip_set_file_compression(za, zip_uint64_t(index), ZIP_CM_STORE, 0);
        if (item.unixMode != 0)
            zip_file_set_external_attributes(za, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, zip_uint32_t(item.unixMode) << 16);
        else
            zip_file_set_external_attributes(za, zip_uint64_t(index), 0, ZIP_OPSYS_DOS, 0);
    }
    ASSERT_EQ(zip_close(za), 0) << "libzip cannot write " << path.toStdString();
}

} // namespace testsupport
