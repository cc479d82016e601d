// Synthetic data releases: a complete, referentially consistent set of release files for one data
// set in the exact record layouts, deterministic for a seed. Used by velk-gen, the demo folder, the
// benchmark and the tests.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace generator {

struct GeneratorOptions {
    QString state = QStringLiteral("PA");
    int employers = 3000;
    quint64 seed = 1;
    // Edge cases for tests.
    bool blankRecords = false; // blank records between the others in every file
    bool duplicates = false;   // repeated codes in the code files, repeated employer, class and address keys
    bool unknownCodes = false; // county codes missing from CTY<st>.DAT, class codes missing from CLASSES.DAT
    bool ctrlZ = false;        // a trailing end-of-file character (26) after the last record
};

struct GeneratedRelease {
    QStringList files; // names written, in the order written
    long long employerRecords = 0, classLineRecords = 0, addressRecords = 0;
};

// Writes the release files into folder (created when missing). Returns false and sets error on a
// failure to write.
bool generateRelease(const GeneratorOptions& options, const QString& folder,
                     GeneratedRelease* result = nullptr, QString* error = nullptr);

// A fixed-length record under construction: blanks, then CR LF in its last two columns.
class RecordBuilder {
public:
    explicit RecordBuilder(int length);
    // Puts text at column col (1-based), cut or padded with blanks to width.
    RecordBuilder& put(int col, const QByteArray& text, int width);
    RecordBuilder& put(int col, const QString& text, int width);
    RecordBuilder& put(int col, const char* text, int width) { return put(col, QByteArray(text), width); }
    const QByteArray& bytes() const { return rec_; }

private:
    QByteArray rec_;
};

} // namespace generator
