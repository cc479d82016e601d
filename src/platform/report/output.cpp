#include "platform/report/output.h"

#include "platform/files/atomic_file.h"
#include "platform/report/pages_ahead.h"
#include "platform/report/report.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <list>
#include <malloc.h>
#include <memory>

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

// Whether the PDF file at path was written to its end: its last line "%%EOF", and where the line
// before says its cross-reference table starts, that table. A write that failed on the way (a full
// disk) leaves the file short, or every offset after the failure wrong.
bool isWholePdf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 32) return false;
    const qint64 size = f.size();
    f.seek(size - std::min<qint64>(size, 64));
    const QByteArray tail = f.readAll();
    const qsizetype at = tail.lastIndexOf("startxref");
    if (at < 0 || !tail.trimmed().endsWith("%%EOF")) return false;
    bool number = false;
    const qint64 xref = tail.mid(at + 9).trimmed().split('\n').value(0).trimmed().toLongLong(&number);
    return number && xref > 0 && xref < size && f.seek(xref) && f.read(4) == "xref";
}

// The font a spec stands for on a device drawn at scale device pixels to a point: its size in
// points times scale, whatever resolution the device has.
QFont deviceFont(const FontSpec& spec, qreal scale, const QPaintDevice& device) {
    QFont f = makeFont(spec);
    f.setPointSizeF(spec.size * scale * 72.0 / device.logicalDpiY());
    return f;
}

// Draws pages (those of one output job, or one of a preview), each font made once rather than at
// every change.
class PageDrawer {
public:
    PageDrawer(QPainter& painter, qreal scale) : painter_(painter), scale_(scale) {}

    void draw(const Page& page) {
        painter_.save();
        QPen pen(Qt::black);
        pen.setCapStyle(Qt::FlatCap);
        for (const Rule& r : page.rules) {
            pen.setWidthF(r.width * scale_);
            painter_.setPen(pen);
            painter_.drawLine(QLineF(r.line.p1() * scale_, r.line.p2() * scale_));
        }
        painter_.setPen(Qt::black);
        current_ = nullptr;
        for (const TextRun& t : page.texts) {
            if (!current_ || !(current_->spec == t.font)) {
                auto it = std::find_if(fonts_.begin(), fonts_.end(),
                                       [&](const Font& f) { return f.spec == t.font; });
                if (it == fonts_.end())
                    it =
                        fonts_.insert(fonts_.end(), {t.font, deviceFont(t.font, scale_, *painter_.device())});
                current_ = &*it;
                painter_.setFont(current_->font);
            }
            painter_.drawText(t.origin * scale_, t.text);
        }
        painter_.restore();
    }

private:
    struct Font {
        FontSpec spec;
        QFont font;
    };
    QPainter& painter_;
    qreal scale_;
    std::list<Font> fonts_;
    const Font* current_ = nullptr;
};

// Draws the pages that each source made by start gives, copies times over, on a painter begun on
// device, telling progress after each page. Returns the pages of one copy.
template <typename Start>
int drawPages(Start start, int copies, QPainter& painter, QPagedPaintDevice& device,
              const OutputProgress& progress) {
    keepPageBuffers();
    PageDrawer drawer(painter, device.logicalDpiX() / 72.0);
    Page page;
    int count = 0;
    for (int copy = 0; copy < copies; ++copy) {
        auto next = start();
        while (next(page)) {
            if (count++ > 0 && !device.newPage())
                throw ReportError(QStringLiteral("The output stopped after page %1.").arg(count - 1));
            drawer.draw(page);
            if (progress && !progress(count, (copy + page.done) / copies)) throw OutputCancelled();
        }
    }
    return copies > 0 ? count / copies : 0;
}

// A PDF file made by write (given a temporary file's path, returning the number of pages), written
// under a temporary name beside path and put in its place only when it is whole: a failure or a full
// disk leaves an earlier file as it was. What is not a file (a pipe that would block, a folder) is
// refused before anything is written.
template <typename Write> int pdfIntoPlace(const QString& path, Write write) {
    if (const QString kind = files::notAFile(path); !kind.isEmpty())
        throw ReportError(
            QStringLiteral("The report cannot be written to %1: it is %2, not a file.").arg(path, kind));
    files::ReplacingFile file(path);
    if (!file.ok())
        throw ReportError(QStringLiteral("The file %1 cannot be written: %2").arg(path, file.reason()));
    const int pages = write(file.tempPath());
    if (!isWholePdf(file.tempPath()))
        throw ReportError(QStringLiteral("The file %1 could not be written whole (is the disk full?). "
                                         "An earlier file of that name is kept as it was.")
                              .arg(path));
    if (!file.commit())
        throw ReportError(QStringLiteral("The file %1 cannot be written: %2").arg(path, file.reason()));
    return pages;
}

template <typename Start> int drawOnPrinter(QPrinter& printer, Start start, const OutputProgress& progress) {
    // Output to a file makes no copies of its own: the document is drawn once per copy.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    QPainter painter;
    if (!painter.begin(&printer))
        throw ReportError(QStringLiteral("The printer %1 could not be started.").arg(printer.printerName()));
    int pages = 0;
    try {
        pages = drawPages(start, copies, painter, printer, progress);
    } catch (...) {
        printer.abort();
        painter.end();
        throw;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw ReportError(QStringLiteral("The printer %1 reported an error.").arg(printer.printerName()));
    return pages;
}

template <typename Start>
int printWith(QPrinter& printer, const QPageSize& paper, QPageLayout::Orientation orientation,
              const QString& docName, Start start, const OutputProgress& progress) {
    printer.setFullPage(true);
    printer.setPageSize(paper);
    printer.setPageOrientation(orientation);
    printer.setDocName(docName);
    // A printer whose set-up sends its output to a PDF file. Each file gets a printer of its own with
    // the same settings: Qt's PDF output writes nothing more, ever, once one write has failed.
    const QString file = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    if (file.isEmpty()) return drawOnPrinter(printer, start, progress);
    return pdfIntoPlace(file, [&](const QString& temp) {
        QPrinter job(QPrinter::HighResolution);
        job.setResolution(printer.resolution());
        job.setOutputFormat(QPrinter::PdfFormat);
        job.setOutputFileName(temp);
        job.setFullPage(true);
        job.setPageLayout(printer.pageLayout());
        job.setDocName(docName);
        job.setCreator(printer.creator());
        job.setCopyCount(printer.copyCount());
        job.setCollateCopies(printer.collateCopies());
        job.setColorMode(printer.colorMode());
        return drawOnPrinter(job, start, progress);
    });
}

template <typename Start>
int pdfWith(const QString& path, const QPageSize& paper, QPageLayout::Orientation orientation,
            const QString& title, Start start, const OutputProgress& progress) {
    return pdfIntoPlace(path, [&](const QString& temp) {
        QPdfWriter writer(temp);
        writer.setPageLayout(QPageLayout(paper, orientation, QMarginsF()));
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("VELK"));
        QPainter painter;
        if (!painter.begin(&writer))
            throw ReportError(QStringLiteral("The file %1 cannot be written.").arg(path));
        try {
            const int pages = drawPages(start, 1, painter, writer, progress);
            painter.end();
            return pages;
        } catch (...) {
            painter.end();
            throw;
        }
    });
}

QString docNameOf(const Definition& def) {
    return def.title.isEmpty() ? def.name : def.title;
}

// The pages one by one from a list laid out before.
struct PageList {
    const QVector<Page>& pages;
    int next = 0;
    bool operator()(Page& page) {
        if (next >= pages.size()) return false;
        page = pages[next++];
        page.done = qreal(next) / pages.size();
        return true;
    }
};

// The pages of a document from its first, for each copy, laid out on a thread of their own while
// the pages before them are drawn.
auto fromStart(const Document& doc) {
    return [&doc] {
        auto pages = std::make_shared<PagesAhead>(doc);
        return [pages](Page& page) { return pages->take(page) == PagesAhead::Taken::Page; };
    };
}

QPageSize paperOf(const QVector<Page>& pages) {
    return QPageSize(pages.first().paper, QPageSize::Point);
}

QPageLayout::Orientation orientationOf(const QVector<Page>& pages) {
    const QSizeF paper = pages.first().paper;
    return paper.width() > paper.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

} // namespace

OutputCancelled::OutputCancelled() : ReportError(QStringLiteral("The output was cancelled.")) {}

void paintPage(QPainter& painter, const Page& page, qreal scale) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PageDrawer(painter, scale).draw(page);
    painter.restore();
}

int printDocument(const Document& doc, QPrinter& printer, const OutputProgress& progress) {
    if (doc.recordCount() == 0) return 0;
    const Definition& def = doc.definition();
    return printWith(printer, QPageSize(def.paper), def.orientation, docNameOf(def), fromStart(doc),
                     progress);
}

int writePdf(const Document& doc, const QString& path, const OutputProgress& progress) {
    if (doc.recordCount() == 0) return 0;
    const Definition& def = doc.definition();
    return pdfWith(path, QPageSize(def.paper), def.orientation, docNameOf(def), fromStart(doc), progress);
}

int printPages(const QVector<Page>& pages, const QString& docName, QPrinter& printer,
               const OutputProgress& progress) {
    if (pages.isEmpty()) return 0;
    return printWith(
        printer, paperOf(pages), orientationOf(pages), docName, [&] { return PageList{pages}; }, progress);
}

int writePdfPages(const QVector<Page>& pages, const QString& title, const QString& path,
                  const OutputProgress& progress) {
    if (pages.isEmpty()) return 0;
    return pdfWith(
        path, paperOf(pages), orientationOf(pages), title, [&] { return PageList{pages}; }, progress);
}

} // namespace report
