// A report engine that records each call the print paths make of it.
#pragma once

#include "dataset/report_database.h"
#include "printing/report_engine.h"

#include <QStringList>
#include <QWidget>

namespace printingtest {

// Records each call; throws report::ReportError on the call named in failOn. previewIn puts a
// plain widget into the host, as the real preview would be.
class RecordingEngine : public printing::ReportEngine {
public:
    QStringList calls;
    QString failOn;
    QWidget* watched = nullptr; // its enabled state is recorded at open
    bool printResult = true;
    QStringList* keepCallsIn = nullptr; // gets the calls when the engine goes with its form

    ~RecordingEngine() override {
        if (keepCallsIn) *keepCallsIn = calls;
    }

    void open(const QString& file) override {
        record("open " + file +
               (watched ? (watched->isEnabled() ? " (list enabled)" : " (list disabled)") : ""));
    }
    void setTableLocation(int table, const QString& path) override {
        record(
            QStringLiteral("table %1 %2").arg(table).arg(path == dataset::workingCopyPath() ? "copy" : path));
    }
    void setFormula(const QString& name, const QString& text) override {
        record("formula " + name + "=" + text);
    }
    void addSortField(const QString& field) override { record("sort " + field); }
    void preview() override { record("preview"); }
    void previewIn(QWidget* host) override {
        record(QStringLiteral("preview in ") + (host ? host->metaObject()->className() : "nothing"));
        auto* w = new QWidget(host);
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
    }
    bool print(int copies) override {
        record(QStringLiteral("print %1").arg(copies));
        return printResult;
    }

private:
    void record(const QString& call) {
        calls.append(call);
        if (!failOn.isEmpty() && call.startsWith(failOn)) throw report::ReportError("the engine gave up");
    }
};

} // namespace printingtest
