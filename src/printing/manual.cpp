#include "printing/manual.h"

#include "platform/files/folders.h"
#include "platform/files/win1252.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"
#include "printing/report_engine.h"

#include <QFile>

namespace printing {

namespace {

constexpr int kTabStop = 8;

QString expandTabs(const QString& line) {
    if (!line.contains(QLatin1Char('\t'))) return line;
    QString out;
    for (QChar c : line) {
        if (c == QLatin1Char('\t'))
            out.append(QString(kTabStop - out.size() % kTabStop, QLatin1Char(' ')));
        else
            out.append(c);
    }
    return out;
}

} // namespace

QStringList manualLines(const QByteArray& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.append(expandTabs(files::fromWin1252(text.constData() + start, i - start)));
        if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) lines.append(expandTabs(files::fromWin1252(text.constData() + start, n - start)));
    return lines;
}

const report::FontSpec& manualFont() {
    static const report::FontSpec font{QStringLiteral("DejaVu Sans Mono"), 10, false, false};
    return font;
}

QSizeF manualPaper() {
    return QPageSize(QPageSize::Letter).size(QPageSize::Point);
}

QMarginsF manualMargins() {
    return QMarginsF(54, 54, 54, 54);
}

int manualLinesPerPage() {
    report::TextMeasure measure;
    const qreal height = manualPaper().height() - manualMargins().top() - manualMargins().bottom();
    return std::max(1, int(height / measure.lineSpacing(manualFont())));
}

QVector<report::Page> manualPages(const QStringList& lines) {
    QVector<report::Page> pages;
    report::TextMeasure measure;
    const report::FontSpec& font = manualFont();
    const qreal spacing = measure.lineSpacing(font);
    const int perPage = manualLinesPerPage();
    const QMarginsF m = manualMargins();
    const qreal width = manualPaper().width() - m.left() - m.right();
    const qreal ellipsis = measure.width(font, QStringLiteral("..."));
    for (int i = 0; i < lines.size(); ++i) {
        if (i % perPage == 0) {
            pages.append(report::Page());
            pages.last().number = int(pages.size());
            pages.last().paper = manualPaper();
        }
        QString text = lines[i];
        // Blanks at the end take no ink; the ones in front indent, so they stay.
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        if (measure.width(font, text) > width) {
            while (!text.isEmpty() && measure.width(font, text) + ellipsis > width)
                text.chop(1);
            text += QStringLiteral("...");
        }
        const QRectF box(m.left(), m.top() + (i % perPage) * spacing, width, spacing);
        pages.last().texts.append(measure.place(text, font, box, Qt::AlignLeft));
    }
    return pages;
}

bool printManual(const QString& programFolder, QWidget* parent) {
    ui::BusyCursor busy;
    auto say = [](const QString& text) {
        ui::setDefaultPointer();
        ui::MsgBox(text, ui::vbExclamation);
    };
    const QString path = files::existsNoCase(programFolder, kManualFile)
                             ? files::findFileNoCase(programFolder, kManualFile)
                             : QString();
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        say(QStringLiteral("The manual %1 cannot be found in the program folder %2, so nothing was printed.")
                .arg(kManualFile, programFolder));
        return false;
    }
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        say(QStringLiteral("The manual %1 cannot be read: %2. Nothing was printed.")
                .arg(file.fileName(), file.errorString()));
        return false;
    }
    const QVector<report::Page> pages = manualPages(manualLines(text));
    if (pages.isEmpty()) {
        say(QStringLiteral("The manual %1 is empty, so nothing was printed.").arg(kManualFile));
        return false;
    }
    try {
        // The questions about a missing printer come with the normal pointer.
        ui::setDefaultPointer();
        return printOrSavePdf(pages, QStringLiteral("VELK User's Manual"), 1, parent);
    } catch (const report::ReportError& e) {
        ui::setDefaultPointer();
        ui::MsgBox(QStringLiteral("The manual could not be printed.\n\n%1").arg(e.message()), ui::vbCritical);
        return false;
    }
}

} // namespace printing
