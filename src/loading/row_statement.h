// A prepared statement fed straight from release records: text fields are bound from the record's
// bytes without a string per field.
#pragma once

#include "platform/dao/statement.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>

#include <vector>

namespace loading {

class RowStatement {
public:
    RowStatement(dao::Database& db, const QString& sql) : stmt_(db, sql) {}

    // Windows-1252 bytes as text. Plain ASCII (nearly every field) is bound as it lies; the bytes
    // must stay until the statement has run.
    void text(int i, QByteArrayView win1252);
    // UTF-8 bytes as text, under the same condition.
    void utf8(int i, QByteArrayView utf8) { stmt_.bindUtf8(i, utf8.data(), utf8.size()); }
    // A date in its stored form; an invalid date binds Null.
    void date(int i, const QDate& d);
    void value(int i, const QVariant& v) { stmt_.bind(i, v); }

    long long run() { return stmt_.run(); }
    bool step() { return stmt_.step(); }
    void reset() { stmt_.reset(); }
    QVariant column(int i) const { return stmt_.column(i); }

private:
    QByteArray& buffer(int i);

    dao::Statement stmt_;
    std::vector<QByteArray> buffers_; // per parameter, kept between rows
};

// Windows-1252 bytes as UTF-8, appended to out.
void appendUtf8(QByteArray& out, QByteArrayView win1252);

} // namespace loading
