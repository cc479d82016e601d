// velk-screenshots: starts the program on a fresh program folder without a display and renders
// the main window, the splash, the workspace dialog, the lookup editor and the export form as PNG
// files; then loads
// demo releases as scripts/run does and prints them through the print run of the print options
// form into pictures: detail pages, a summary page, both label sheets and the preview window, and
// draws the manual's first page. So the windows and the printouts can be looked at from a build
// machine, without a printer.
#include "app/main_window.h"
#include "app/program.h"
#include "app/splash_form.h"
#include "app/workspace_dialog.h"
#include "dataset/data_set.h"
#include "export/export_form.h"
#include "folder_setup/program_folder.h"
#include "generator/release_generator.h"
#include "loading/load_sequence.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/report/output.h"
#include "platform/report/preview.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"
#include "printing/manual.h"
#include "printing/print_run.h"
#include "printing/report_engine.h"
#include "printing/report_files.h"
#include "search/lookup_editor.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <optional>

namespace {

// The pictures, by file name, taken while the dialogs are up.
std::map<QString, QPixmap> shots;

// Drives the dialogs the start-up and New Search show: the first choice of workspace and data
// set, and Cancel in the lookup editor.
int driveDialog(QDialog& dialog) {
    if (auto* d = qobject_cast<VKWSPACE*>(&dialog)) {
        d->WORKSPACE->setEditText(QStringLiteral("INITIAL"));
        d->STATE->setCurrentText(QStringLiteral("PA"));
        shots[QStringLiteral("vkwspace.png")] = d->grab();
        if (TITLE* splash = TITLE::instance()) shots[QStringLiteral("title.png")] = splash->grab();
        d->OK->click();
    } else if (auto* d = qobject_cast<VKLOOKUP*>(&dialog)) {
        shots[QStringLiteral("vklookup.png")] = d->grab();
        d->CANCEL->click();
    } else {
        dialog.reject();
    }
    return dialog.result();
}

// A printed page as a picture at 100 dots per inch.
QPixmap pagePicture(const report::Page& page) {
    constexpr qreal dpi = 100;
    QImage image((page.paper * dpi / 72).toSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    report::paintPage(painter, page, dpi / 72);
    painter.end();
    return QPixmap::fromImage(image);
}

// Instead of printing, draws the report's first pages as pictures; instead of a preview, takes a
// picture of the preview window.
class PictureEngine : public printing::ReportEngine {
public:
    PictureEngine(QString name, int pages) : name_(std::move(name)), pages_(pages) {}

    void open(const QString& file) override { report_.emplace(printing::openReportFile(file)); }
    void setTableLocation(int table, const QString& path) override { report_->setTableLocation(table, path); }
    void setFormula(const QString& name, const QString& text) override { report_->setFormula(name, text); }
    void addSortField(const QString& field) override { report_->addSortField(field); }
    void previewIn(QWidget*) override { preview(); }
    void preview() override {
        report::PreviewWindow window(report_->read());
        window.resize(900, 720);
        window.show();
        QCoreApplication::processEvents();
        shots[name_ + QStringLiteral(".png")] = window.grab();
    }
    bool print(int) override {
        const std::shared_ptr<const report::Document> doc = report_->read();
        report::Paginator paginator(*doc);
        report::Page page;
        for (int n = 1; n <= pages_ && paginator.next(page); ++n)
            shots[pages_ == 1 ? name_ + QStringLiteral(".png")
                              : QStringLiteral("%1-%2.png").arg(name_).arg(n)] = pagePicture(page);
        return true;
    }

private:
    QString name_;
    int pages_;
    std::optional<report::Report> report_;
};

// Generates a demo release of a data set into the program folder and loads it, then gives its
// first employer a note and a contact of the user's own, as a user would.
void loadDemo(const QString& folder, const QString& state, quint64 seed) {
    generator::GeneratorOptions options;
    options.state = state;
    options.employers = 120;
    options.seed = seed;
    QString error;
    if (!generator::generateRelease(options, folder, nullptr, &error))
        throw std::runtime_error(error.toStdString());
    const dataset::DataSet set{state, dataset::defaultConnect(state)};
    std::unique_ptr<dao::Database> db =
        dao::Database::open(set.databasePath(folder), false, false, set.connect);
    loading::LoadContext ctx;
    ctx.db = db.get();
    ctx.folder = folder;
    ctx.state = state;
    ctx.today = QDate::currentDate();
    loading::runLoadSequence(ctx, loading::measureReleaseFiles(folder, state));
    // In New Jersey one with an assigned-risk date, so that its block has something to show.
    const QString file =
        db->scalar(QStringLiteral("SELECT FILE FROM PRIME ORDER BY (NJAR IS NULL), NAME1 LIMIT 1"))
            .toString();
    QStringList note;
    for (int i = 1; i <= 6; ++i)
        note << QStringLiteral(
                    "03/%1/25 - Called about the renewal; they want a quote before the end of the month "
                    "and asked about the safety programme credit.")
                    .arg(i * 4);
    db->executeBound(QStringLiteral("UPDATE NOTES SET NOTES = ? WHERE FILE = ?"), {note.join("\r\n"), file});
    db->executeBound(
        QStringLiteral("UPDATE PRIME SET UserContact = 'PAT RIVERA', User1 = 'Quote due 4/1' WHERE FILE = ?"),
        {file});
}

// Prints demo data of several data sets into pictures. False when a run printed nothing.
bool printReports(const QString& program) {
    struct Report {
        const char* name;
        QString state;
        printing::PrintFormat format;
        printing::PrintSort sort;
        bool window;
        int pages;
        QString where = QString(); // which employers the search selects
    };
    const Report reports[] = {
        {"report-detail-nj", "NJ", printing::PrintFormat::Detail, printing::PrintSort::Name, false, 2,
         QStringLiteral(" WHERE NJAR > 0")},
        {"report-detail-ny", "NY", printing::PrintFormat::Detail, printing::PrintSort::Name, false, 1},
        {"report-summary-pm", "PM", printing::PrintFormat::Summary, printing::PrintSort::ExpirationDate,
         false, 1},
        {"report-labels-laser", "PA", printing::PrintFormat::LaserLabels, printing::PrintSort::ZipCode, false,
         1},
        {"report-labels-dot", "PA", printing::PrintFormat::DotMatrixLabels, printing::PrintSort::Name, false,
         1},
        {"report-preview", "PA", printing::PrintFormat::Summary, printing::PrintSort::Name, true, 1},
    };
    struct : printing::PrintProgress {
        void gathering(long long) override {}
        void written(long long) override {}
    } quiet;
    QStringList loaded;
    bool ok = true;
    for (const Report& r : reports) {
        if (!loaded.contains(r.state)) {
            loadDemo(program, r.state, quint64(loaded.size() + 1));
            loaded << r.state;
        }
        const dataset::DataSet set{r.state, dataset::defaultConnect(r.state)};
        const long long count = dao::Database::open(set.databasePath(program), false, true, set.connect)
                                    ->scalar(QStringLiteral("SELECT COUNT(*) FROM PRIME") + r.where)
                                    .toLongLong();
        PictureEngine engine(QString::fromLatin1(r.name), r.pages);
        ok &= printing::runPrint(
            {r.format, r.sort, r.window, 1},
            {QStringLiteral("SELECT * FROM PRIME") + r.where + QStringLiteral(" ORDER BY NAME1"),
             r.where.isEmpty() ? QStringLiteral("Demo: all employers")
                               : QStringLiteral("Demo: assigned risk"),
             count},
            set, program, engine, quiet);
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() > 1 || (args.size() == 1 && args.first().startsWith(QLatin1Char('-')))) {
        std::fputs("Usage: velk-screenshots [DIR]\n"
                   "Writes master.png, title.png, vkwspace.png, vklookup.png, vkexport.png, report-*.png and\n"
                   "manual.png into DIR (default: the screenshots folder beside the bin folder of this program).\n",
                   stderr);
        return 2;
    }
    // Absolute now: the start-up makes the program folder the current folder.
    const QString out =
        QDir(args.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots")
                            : args.first())
            .absolutePath();

    QTemporaryDir scratch;
    const QString program = scratch.filePath(QStringLiteral("VELK"));
    QString error;
    if (!scratch.isValid() ||
        velk::createProgramFolder(program, false, &error) != velk::SetupOutcome::Created) {
        std::fprintf(stderr, "velk-screenshots: no program folder: %s\n", qPrintable(error));
        return 1;
    }
    files::setProgramFolder(program);
    files::setTempDirOverride(scratch.filePath(QStringLiteral("state"))); // VELK.INI stays out of $HOME
    ui::setModalHook(driveDialog);
    ui::setMsgBoxHandler([](const QString& prompt, int, const QString&) {
        std::fprintf(stderr, "velk-screenshots: message: %s\n", qPrintable(prompt));
        return int(ui::vbOK);
    });

    QApplication::setQuitOnLastWindowClosed(false);
    if (TITLE::load().Form_Load() != StartOutcome::Running || !MASTER::instance()) {
        std::fputs("velk-screenshots: the program did not start\n", stderr);
        return 1;
    }
    MASTER* master = MASTER::instance();
    QCoreApplication::processEvents();
    shots[QStringLiteral("master.png")] = master->grab();
    {
        VKEXPORT form(QStringLiteral("SELECT * FROM PRIME ORDER BY NAME1"), dataset::current(), program, program,
                      master);
        form.Form_Activate();
        form.show();
        QCoreApplication::processEvents();
        shots[QStringLiteral("vkexport.png")] = form.grab();
    }
    master->mnuNewSearch->trigger();
    velk::unloadAllForms();
    int status = 0;
    try {
        if (!printReports(program)) status = 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velk-screenshots: the reports could not be printed: %s\n", e.what());
        status = 1;
    }

    // The manual's first page, as Print Manual prints it.
    {
        QFile manual(QDir(program).filePath(printing::kManualFile));
        const QVector<report::Page> pages =
            manual.open(QIODevice::ReadOnly) ? printing::manualPages(printing::manualLines(manual.readAll()))
                                             : QVector<report::Page>();
        if (pages.isEmpty()) {
            std::fputs("velk-screenshots: the manual has no pages\n", stderr);
            status = 1;
        } else {
            shots[QStringLiteral("manual.png")] = pagePicture(pages.first());
        }
    }

    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "velk-screenshots: cannot create %s\n", qPrintable(out));
        return 1;
    }
    for (const auto& [name, picture] : shots) {
        const QString path = QDir(out).filePath(name);
        if (picture.isNull() || !picture.save(path)) {
            std::fprintf(stderr, "velk-screenshots: cannot write %s\n", qPrintable(path));
            status = 1;
        }
    }
    if (shots.size() < 13) {
        std::fputs("velk-screenshots: a window was not shown\n", stderr);
        status = 1;
    }
    if (status == 0) std::printf("Screenshots written to %s\n", qPrintable(out));
    return status;
}
