#include "export/export_form.h"

#include "platform/files/folders.h"
#include "platform/ui/centre.h"
#include "platform/ui/count_box.h"
#include "platform/ui/msgbox.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// How often a long run shows its count and lets its window paint.
constexpr qint64 kPaintMs = 100;

} // namespace

VKEXPORT::VKEXPORT(const QString& searchSql, const dataset::DataSet& dataSet, const QString& programFolder,
                   const QString& myDocuments, QWidget* parent)
    : QDialog(parent), searchSql_(searchSql), dataSet_(dataSet), programFolder_(programFolder),
      myDocuments_(myDocuments) {
    setWindowTitle(QStringLiteral("Export Lookup Information"));
    setModal(true);

    SSFrame1 = new QGroupBox(QStringLiteral("Export Format"), this);
    auto* formats = new QVBoxLayout(SSFrame1);
    const char* const formatCaptions[] = {"SDF (ASCII) - Comma Delimited", "SDF (ASCII) - Tab Delimited",
                                          "TXT (ASCII) - Fixed Length",
                                          "Comma delimited, limited fields (MS-Word, etc.)"};
    for (int i = 0; i < int(EXPTFORM.size()); ++i) {
        EXPTFORM[size_t(i)] = new QRadioButton(QString::fromLatin1(formatCaptions[i]), SSFrame1);
        formats->addWidget(EXPTFORM[size_t(i)]);
    }

    SSFrame2 = new QGroupBox(QStringLiteral("Sort Export By"), this);
    auto* sorts = new QVBoxLayout(SSFrame2);
    NAMEA = new QRadioButton(QStringLiteral("Name"), SSFrame2);
    EXPIRE = new QRadioButton(QStringLiteral("Expiration date"), SSFrame2);
    ZIP = new QRadioButton(QStringLiteral("Zip code"), SSFrame2);
    for (QRadioButton* b : {NAMEA, EXPIRE, ZIP})
        sorts->addWidget(b);
    NAMEA->setChecked(true);
    LOWERCASE = new QCheckBox(QStringLiteral("Convert to lower case"), this);

    Label2 = new QLabel(QStringLiteral("Enter path and file name for output below:"), this);
    OUTPATH = new QLineEdit(this);
    Label1 = new QLabel(this);
    SHOWCOUNT = new QLineEdit(this);
    SHOWCOUNT->setReadOnly(true);
    SHOWCOUNT->setFocusPolicy(Qt::NoFocus);
    ui::showOnlyWhenFilled(SHOWCOUNT);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(SSFrame1);
    top->addWidget(SSFrame2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label1, 1);
    buttons->addWidget(SHOWCOUNT);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(LOWERCASE);
    layout->addWidget(Label2);
    layout->addWidget(OUTPATH);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    Form_Load();
}

VKEXPORT::~VKEXPORT() = default;

void VKEXPORT::Form_Load() {
    adjustSize();
    ui::centerForm(*this);
}

void VKEXPORT::Form_Activate() {
    EXPTFORM[0]->setChecked(true);
    OUTPATH->setText(QStringLiteral(".TXT"));
}

void VKEXPORT::Command2_Click() {
    if (!running_) done(QDialog::Rejected);
}

void VKEXPORT::reject() {
    // Escape and the window's close button, like Cancel; never in the middle of a run.
    Command2_Click();
}

void VKEXPORT::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

exporting::ExportOptions VKEXPORT::options() const {
    exporting::ExportOptions o;
    for (int i = 0; i < int(EXPTFORM.size()); ++i)
        if (EXPTFORM[size_t(i)]->isChecked()) o.format = exporting::ExportFormat(i);
    o.sort = EXPIRE->isChecked() ? exporting::SortOrder::Expiry
             : ZIP->isChecked()  ? exporting::SortOrder::Zip
                                 : exporting::SortOrder::Name;
    o.lowerCase = LOWERCASE->isChecked();
    return o;
}

void VKEXPORT::restoreProgramFolder() {
    cmdlg_->InitDir = files::joinPath(programFolder_, QString());
}

void VKEXPORT::Command1_Click() {
    if (running_) return;
    using exporting::ExportFormat;
    if (!cmdlg_) cmdlg_ = std::make_unique<exporting::Cmdlg>();
    exporting::Cmdlg& dialog = *cmdlg_;
    const exporting::ExportOptions chosen = options();
    dialog.DialogTitle = QStringLiteral("Save VELK Export");
    dialog.hWnd = this;
    dialog.InitDir = myDocuments_;
    const QChar nul(0);
    dialog.Filter = QStringLiteral("All Files (*.*)") + nul + QStringLiteral("*.*") + nul +
                    QStringLiteral("CSV / Excel (*.csv)") + nul + QStringLiteral("*.csv") + nul +
                    QStringLiteral("Text Files (*.txt)") + nul + QStringLiteral("*.txt") + nul + nul;
    if (chosen.format == ExportFormat::TabDelimited || chosen.format == ExportFormat::FixedLength) {
        dialog.DefaultExtension = QStringLiteral("txt");
        dialog.setFilterIndex(3);
        dialog.FileName = QStringLiteral("EXPORT.TXT");
    } else {
        dialog.DefaultExtension = QStringLiteral("csv");
        dialog.setFilterIndex(2);
        dialog.FileName = QStringLiteral("EXPORT.CSV");
    }
    dialog.ShowSave();
    if (dialog.CancelPressed()) {
        restoreProgramFolder();
        return;
    }
    OUTPATH->setText(dialog.FileName);
    if (QFileInfo(dialog.FileName).isFile() &&
        ui::MsgBox(QStringLiteral("Replace Existing File?"),
                   ui::vbYesNo | ui::vbExclamation | ui::vbDefaultButton2,
                   QStringLiteral("Replace Existing File")) != ui::vbYes) {
        restoreProgramFolder();
        return;
    }

    setRunning(true);
    const exporting::ExportResult result =
        exporting::runExport(dialog.FileName, searchSql_, chosen, dataSet_, programFolder_, *this);
    if (count_ >= 0) showCount(); // the last count, however soon it came
    setRunning(false);
    restoreProgramFolder();
    lastEnd_ = result.end;
    // Without its working copy the expiry order cannot run: the form stays for another try.
    if (result.end != exporting::ExportEnd::NoWorkingCopy) done(QDialog::Accepted);
}

void VKEXPORT::setRunning(bool running) {
    running_ = running;
    if (running) count_ = -1;
    for (QWidget* w :
         {static_cast<QWidget*>(SSFrame1), static_cast<QWidget*>(SSFrame2), static_cast<QWidget*>(OUTPATH),
          static_cast<QWidget*>(Command1), static_cast<QWidget*>(Command2)})
        w->setEnabled(!running);
    painted_.start();
}

void VKEXPORT::started(long long companies) {
    Label1->setText(exporting::countMessage(companies));
    Label1->repaint();
}

void VKEXPORT::counted(long long count) {
    count_ = count;
    if (count == 1 || painted_.elapsed() >= kPaintMs) showCount();
}

void VKEXPORT::showCount() {
    SHOWCOUNT->setText(QString::number(count_));
    SHOWCOUNT->repaint();
    // Paint and expose events run, so the window stays drawn; clicks and keys wait for the end.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    painted_.start();
}
