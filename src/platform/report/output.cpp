#include "platform/report/output.h"

#include "platform/report/report.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include <malloc.h>

namespace report {

namespace {

// Qt's PDF output (also behind printing) takes two buffers of 10 MB for every page it compresses.
// With glibc's default thresholds they are mapped, touched and given back to the system on every
// page, which costs more than drawing the page; kept in the heap, they are reused.
void keepPageBuffers() {
    static const bool done = [] {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
        return true;
    }();
    (void)done;
}

// Lays out and draws the pages one after the other on a painter begun on device.
int drawPages(const Document& doc, QPainter& painter, QPagedPaintDevice& device) {
    keepPageBuffers();
    const qreal scale = device.logicalDpiX() / 72.0;
    Paginator paginator(doc);
    Page page;
    int count = 0;
    while (paginator.next(page)) {
        if (count++ > 0 && !device.newPage())
            throw ReportError(QStringLiteral("The output stopped after page %1.").arg(count - 1));
        paintPage(painter, page, scale);
    }
    return count;
}

} // namespace

void paintPage(QPainter& painter, const Page& page, qreal scale) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QPen pen(Qt::black);
    pen.setCapStyle(Qt::FlatCap);
    for (const Rule& r : page.rules) {
        pen.setWidthF(r.width * scale);
        painter.setPen(pen);
        painter.drawLine(QLineF(r.line.p1() * scale, r.line.p2() * scale));
    }
    painter.setPen(Qt::black);
    // Fonts are given in points of the device: the size a text is drawn at is its size in
    // points times scale, whatever resolution the device has.
    const qreal dpi = painter.device()->logicalDpiY();
    FontSpec current;
    current.size = -1;
    for (const TextRun& t : page.texts) {
        if (!(t.font == current)) {
            current = t.font;
            QFont f = makeFont(t.font);
            f.setPointSizeF(t.font.size * scale * 72.0 / dpi);
            painter.setFont(f);
        }
        painter.drawText(t.origin * scale, t.text);
    }
    painter.restore();
}

int printDocument(const Document& doc, QPrinter& printer) {
    if (doc.recordCount() == 0) return 0;
    const Definition& def = doc.definition();
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(def.paper));
    printer.setPageOrientation(def.orientation);
    printer.setDocName(def.title.isEmpty() ? def.name : def.title);
    QPainter painter;
    if (!painter.begin(&printer))
        throw ReportError(QStringLiteral("The printer %1 could not be started.").arg(printer.printerName()));
    int pages = 0;
    try {
        pages = drawPages(doc, painter, printer);
    } catch (...) {
        printer.abort();
        painter.end();
        throw;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw ReportError(QStringLiteral("The printer %1 reported an error.").arg(printer.printerName()));
    return pages;
}

int writePdf(const Document& doc, const QString& path) {
    if (doc.recordCount() == 0) return 0;
    const Definition& def = doc.definition();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ReportError(QStringLiteral("The file %1 cannot be written: %2").arg(path, file.errorString()));
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(QPageLayout(QPageSize(def.paper), def.orientation, QMarginsF()));
        writer.setTitle(def.title.isEmpty() ? def.name : def.title);
        writer.setCreator(QStringLiteral("VELK"));
        QPainter painter;
        if (!painter.begin(&writer))
            throw ReportError(QStringLiteral("The file %1 cannot be written.").arg(path));
        try {
            pages = drawPages(doc, painter, writer);
        } catch (...) {
            painter.end();
            throw;
        }
        painter.end();
    }
    if (!file.commit())
        throw ReportError(QStringLiteral("The file %1 cannot be written: %2").arg(path, file.errorString()));
    return pages;
}

} // namespace report
