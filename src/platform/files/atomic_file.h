// Writing a file that replaces another: written under a temporary name beside it, flushed, then
// renamed into place, so a failure leaves the old file whole.
#pragma once

#include <QByteArray>
#include <QString>

namespace files {

// Returns false and sets error (a readable reason) when the file could not be written.
bool atomicWrite(const QString& path, const QByteArray& contents, QString* error = nullptr);

} // namespace files
