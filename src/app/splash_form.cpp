#include "app/splash_form.h"

#include "app/form_helpers.h"
#include "app/globals.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/ui/cursor.h"
#include "platform/ui/form_slot.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/twips.h"

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include <exception>

namespace {

ui::FormSlot<TITLE>& splash() {
    static ui::FormSlot<TITLE> slot;
    return slot;
}

QPixmap titlePicture() {
    QPixmap picture(ui::twipsToPixels(QSize(3600, 2400)));
    QPainter p(&picture);
    QLinearGradient gradient(0, 0, picture.width(), picture.height());
    gradient.setColorAt(0, QColor(0, 40, 110));
    gradient.setColorAt(1, QColor(40, 110, 190));
    p.fillRect(picture.rect(), gradient);
    QFont font(QStringLiteral("Serif"), 40, QFont::Bold);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("VELK"));
    return picture;
}

QString reasonOf(const std::exception& e) {
    if (const auto* daoError = dynamic_cast<const dao::DaoError*>(&e)) return daoError->message();
    return QString::fromLocal8Bit(e.what());
}

} // namespace

TITLE::TITLE(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("VELK"));

    SSPanel1 = new QFrame(this);
    SSPanel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    SSPanel1->setLineWidth(2);

    Image1 = new QLabel(SSPanel1);
    Image1->setPixmap(titlePicture());
    Image1->resize(Image1->pixmap().size());

    Label1 = new QLabel(QStringLiteral("Velk"), SSPanel1);
    QFont big = Label1->font();
    big.setPointSize(28);
    big.setBold(true);
    Label1->setFont(big);
    Label1->resize(ui::twipsToPixels(QSize(2400, 900)));
    Label1->setAlignment(Qt::AlignCenter);

    Label4 = new QLabel(SSPanel1);
    Label4->setAlignment(Qt::AlignCenter);
    lblStatus = new QLabel(SSPanel1);
    lblStatus->setWordWrap(true);
    lblStatus->setAlignment(Qt::AlignCenter);
    Command2 = new QPushButton(QStringLiteral("Cancel"), SSPanel1);
    Command2->hide();
    connect(Command2, &QPushButton::clicked, this, &TITLE::Command2_Click);
}

TITLE::~TITLE() = default;

TITLE& TITLE::load() {
    return splash().load();
}

TITLE* TITLE::instance() {
    return splash().loaded();
}

void TITLE::unload() {
    splash().unload();
}

void TITLE::CENTERFORM(QWidget& frm) {
    velk::CenterForm(frm);
}

void TITLE::Command2_Click() {
    velk::LoadCancelled = true;
}

StartOutcome TITLE::Form_Load() {
    const QString folder = files::programFolder();
    if (!QDir::setCurrent(folder)) {
        ui::MsgBox(QStringLiteral("VELK cannot start: the program folder ") + folder +
                       QStringLiteral(" cannot be opened."),
                   ui::vbCritical);
        unload();
        return StartOutcome::Failed;
    }
    ui::setHourglass();

    // Height: the picture plus 800 twips; width: picture plus name plus 1000 twips.
    const int pad = ui::twipsToPixels(500);
    const QSize picture = Image1->size();
    resize(picture.width() + Label1->width() + ui::twipsToPixels(1000),
           picture.height() + ui::twipsToPixels(800));
    SSPanel1->setGeometry(rect());
    Image1->move(pad, pad);
    const int column = pad + picture.width();
    const int columnWidth = Label1->width();
    Label1->move(column, pad);
    Label4->setGeometry(column, Label1->geometry().bottom() + 4, columnWidth, Label4->sizeHint().height());
    Command2->resize(ui::twipsToPixels(QSize(1200, 372)));
    Command2->move(column + (columnWidth - Command2->width()) / 2, height() - pad - Command2->height());
    lblStatus->setGeometry(column, Label4->geometry().bottom() + 4, columnWidth,
                           Command2->y() - Label4->geometry().bottom() - 8);

    CENTERFORM(*this);
    show();
    repaint();

    auto* master = new MASTER;
    try {
        const StartOutcome outcome = master->MDIForm_Load();
        if (outcome != StartOutcome::Running) unload();
        return outcome;
    } catch (const std::exception& e) {
        // The start-up cannot go on: say which file failed and why, and end instead of leaving
        // the splash on screen with nothing to click.
        ui::setDefaultPointer();
        ui::MsgBox(QStringLiteral("VELK cannot start.\r\n\r\n") + reasonOf(e), ui::vbCritical);
        master->endProgram(1);
        unload();
        return StartOutcome::Failed;
    }
}
