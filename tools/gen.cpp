// velk-gen: writes a synthetic data release (every release file of one data set) in the exact
// record layouts, the same for the same seed.
#include "dataset/data_set.h"
#include "generator/release_generator.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

void printUsage(std::FILE* to) {
    std::fputs(
        "Usage: velk-gen --state ST --employers N --seed S --out DIR [edge cases]\n"
        "Writes SIC.DAT, CLASSES.DAT, CTY<st>.DAT, DATA<st>.DAT, DATA1<st>.DAT (and DATA2NY.DAT for NY)\n"
        "into DIR for the data set ST (DE, NJ, NY, PA, PM, DM).\n"
        "Edge cases:\n"
        "  --blank-records   blank records among the others in every file\n"
        "  --duplicates      repeated codes, employer keys, class lines and address keys\n"
        "  --unknown-codes   county and class codes that the release does not describe\n"
        "  --ctrl-z          an end-of-file character (26) after the last record\n",
        to);
}

bool readNumber(const QString& text, qulonglong* out) {
    bool ok = false;
    *out = text.toULongLong(&ok);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    generator::GeneratorOptions o;
    QString out;
    bool haveState = false, haveEmployers = false, haveSeed = false;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString* v) {
            if (i + 1 >= args.size()) return false;
            *v = args[++i];
            return true;
        };
        QString v;
        qulonglong n = 0;
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            printUsage(stdout);
            return 0;
        } else if (a == QLatin1String("--state") && value(&v)) {
            o.state = v.toUpper();
            haveState = true;
        } else if (a == QLatin1String("--employers") && value(&v) && readNumber(v, &n) && n <= 9000000) {
            o.employers = int(n);
            haveEmployers = true;
        } else if (a == QLatin1String("--seed") && value(&v) && readNumber(v, &n)) {
            o.seed = n;
            haveSeed = true;
        } else if (a == QLatin1String("--out") && value(&v)) {
            out = v;
        } else if (a == QLatin1String("--blank-records")) {
            o.blankRecords = true;
        } else if (a == QLatin1String("--duplicates")) {
            o.duplicates = true;
        } else if (a == QLatin1String("--unknown-codes")) {
            o.unknownCodes = true;
        } else if (a == QLatin1String("--ctrl-z")) {
            o.ctrlZ = true;
        } else {
            std::fprintf(stderr, "velk-gen: unknown or incomplete option %s\n", qPrintable(a));
            printUsage(stderr);
            return 2;
        }
    }
    if (!haveState || !haveEmployers || !haveSeed || out.isEmpty()) {
        printUsage(stderr);
        return 2;
    }
    if (!dataset::codes().contains(o.state)) {
        std::fprintf(stderr, "velk-gen: %s is not a data set (DE, NJ, NY, PA, PM, DM)\n",
                     qPrintable(o.state));
        return 2;
    }
    generator::GeneratedRelease result;
    QString error;
    if (!generator::generateRelease(o, out, &result, &error)) {
        std::fprintf(stderr, "velk-gen: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s: %lld employer records, %lld class lines, %lld address records in %s (%s)\n",
                qPrintable(o.state), result.employerRecords, result.classLineRecords, result.addressRecords,
                qPrintable(out), qPrintable(result.files.join(QStringLiteral(", "))));
    return 0;
}
