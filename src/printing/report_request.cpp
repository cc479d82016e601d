#include "printing/report_request.h"

#include "platform/report/definition.h"
#include "platform/ui/cursor.h"
#include "platform/ui/events.h"
#include "platform/ui/msgbox.h"
#include "printing/report_engine.h"

#include <QChildEvent>
#include <QEventLoop>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>

#include <array>
#include <cmath>
#include <stdexcept>

namespace printing {

namespace {

// Shared by every request object, as the report control's procedures see them.
struct RequestState {
    std::array<QVariant, kReportParameters> parameters;
    long status = 0;
    QPointer<PRNTVIEW> view; // the host of the last run to the window
};

RequestState& state() {
    static RequestState s;
    return s;
}

void checkIndex(int idx) {
    if (idx < 0 || idx >= kReportParameters)
        throw std::out_of_range("report parameter " + std::to_string(idx) + " is out of range 0 to 20");
}

QString reasonOf(const std::exception& e) {
    if (const auto* r = dynamic_cast<const report::ReportError*>(&e)) return r->message();
    return QString::fromLocal8Bit(e.what());
}

} // namespace

void ReportControl::Action() {
    status_ = JobStatus::NotStarted;
    engine_.open(ReportFileName);
    for (int i = 0; i < DataFiles.size(); ++i)
        engine_.setTableLocation(i + 1, DataFiles[i]);
    for (const QString& f : Formulas) {
        const FormulaAssignment a = splitFormula(f);
        engine_.setFormula(a.name, a.text);
    }
    if (destination == Destination::Window) {
        engine_.previewIn(WindowParent);
        status_ = JobStatus::Done;
    } else {
        status_ = engine_.print(CopiesToPrinter) ? JobStatus::Done : JobStatus::Cancelled;
    }
}

FormulaAssignment splitFormula(const QString& formula) {
    const qsizetype eq = formula.indexOf(QLatin1Char('='));
    if (eq < 0) return {formula.trimmed(), QString()};
    QString text = formula.mid(eq + 1).trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    return {formula.left(eq).trimmed(), text};
}

int copiesFromText(const QString& text) {
    const QString t = text.trimmed();
    qsizetype end = 0;
    if (end < t.size() && (t[end] == QLatin1Char('+') || t[end] == QLatin1Char('-'))) ++end;
    while (end < t.size() && t[end].isDigit() && t[end].unicode() < 128)
        ++end;
    if (end < t.size() && t[end] == QLatin1Char('.')) {
        ++end;
        while (end < t.size() && t[end].isDigit() && t[end].unicode() < 128)
            ++end;
    }
    bool ok = false;
    const double value = t.left(end).toDouble(&ok);
    if (!ok) return 1;
    // A copies box's number is not trusted: none and a negative one print once, a huge one 999.
    const double rounded = std::nearbyint(std::clamp(value, 1.0, double(kMaxCopies)));
    return int(rounded);
}

PRNTVIEW::PRNTVIEW(QWidget* area) : area_(area) {
    setAttribute(Qt::WA_DeleteOnClose);
    resize(900, 760);
}

PRNTVIEW::~PRNTVIEW() {
    // The preview goes with the host; its going must not call back into a host half destroyed.
    if (preview_) preview_->disconnect(this);
}

void PRNTVIEW::showHost() {
    if (auto* mdi = qobject_cast<QMdiArea*>(area_.data())) {
        if (!qobject_cast<QMdiSubWindow*>(parentWidget())) {
            QMdiSubWindow* sub = mdi->addSubWindow(this);
            sub->setAttribute(Qt::WA_DeleteOnClose);
        }
        parentWidget()->show();
    } else {
        if (area_ && !parentWidget()) setParent(area_, Qt::Window);
        show();
    }
    fitPreview();
}

void PRNTVIEW::closeHost() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void PRNTVIEW::childEvent(QChildEvent* event) {
    QWidget::childEvent(event);
    if (event->type() == QEvent::ChildPolished && event->child() == preview_) fitPreview();
    if (event->type() != QEvent::ChildAdded || preview_ || !event->child()->isWidgetType()) return;
    // The first child widget is the preview (still being made here; it is fitted once polished).
    preview_ = static_cast<QWidget*>(event->child());
    connect(preview_, &QObject::destroyed, this, [this] {
        emit previewGone();
        closeHost();
    });
}

void PRNTVIEW::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitPreview();
}

void PRNTVIEW::fitPreview() {
    if (preview_) preview_->setGeometry(rect());
}

bool RunReportControl(ReportControl& control, const CriteriaForm& form) {
    ui::setHourglass();
    state().status = 0;
    QPointer<PRNTVIEW> host;
    if (form.printer->isChecked()) {
        control.CopiesToPrinter = copiesFromText(form.copies->text());
        control.destination = ReportControl::Destination::Printer;
    } else {
        control.destination = ReportControl::Destination::Window;
        host = new PRNTVIEW(control.HostArea);
        host->setWindowTitle(form.form->windowTitle() + QStringLiteral(" - View "));
        control.WindowParent = host;
        state().view = host;
    }
    try {
        control.Action();
    } catch (const std::exception& e) {
        state().status = kReportRunFailed;
        delete host.data(); // never shown
        ui::setDefaultPointer();
        ui::MsgBox(QStringLiteral("An error has occurred printing this report. (") + reasonOf(e) +
                       QLatin1Char(')'),
                   ui::vbOKOnly | ui::vbCritical, form.form->windowTitle());
        return false;
    }
    if (control.Status() == ReportControl::JobStatus::Cancelled) {
        // Nothing was printed, so there is nothing to wait for; the form can be used again.
        ui::setDefaultPointer();
        state().status = 0;
        return false;
    }
    form.form->setEnabled(false);
    if (host) host->showHost();
    ui::setDefaultPointer();
    return true;
}

void WaitForReportView(const CriteriaForm& form, const QString& mode) {
    QPointer<QWidget> criteria = form.form;
    if (form.window->isChecked()) {
        QPointer<PRNTVIEW> host = state().view;
        if (host && host->preview()) {
            QEventLoop loop;
            QObject::connect(host, &PRNTVIEW::previewGone, &loop, &QEventLoop::quit);
            QObject::connect(host, &QObject::destroyed, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }
    if (mode != QLatin1String("DO_NOT_UNLOAD")) {
        if (criteria) criteria->close();
        state().status = 0;
    }
}

dmrsReport::dmrsReport(ReportForms& forms) : forms_(forms) {
    state().status = 0;
}

QVariant dmrsReport::Parameter(int Idx) const {
    checkIndex(Idx);
    return state().parameters[size_t(Idx)];
}

void dmrsReport::setParameter(int Idx, const QVariant& NewVal) {
    checkIndex(Idx);
    state().parameters[size_t(Idx)] = NewVal;
}

long dmrsReport::Status() const {
    return state().status;
}

QWidget* dmrsReport::ViewhWnd() const {
    return state().view;
}

void dmrsReport::Go(const QString& DMRptName) {
    state().status = 0;
    // The summary has no criteria form of its own: it is one of the print options form's formats.
    if (DMRptName == QLatin1String("VKPRTALL") || DMRptName == QLatin1String("VKPRTANY") ||
        DMRptName == QLatin1String("VKPRTSUM")) {
        criteria_ = forms_.showPrintOptions();
    } else if (DMRptName == QLatin1String("VKSINGLE")) {
        criteria_ = forms_.showSingleRecord();
    } else {
        ui::doEvents();
        state().status = 0;
    }
}

} // namespace printing
