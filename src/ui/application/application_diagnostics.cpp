// The buttons of the switch tests and of the Diagnostics tab.

#include <QDateTime>

#include "app/program.h"
#include "files/file_operation.h"
#include "report/service_record.h"
#include "ui/application/application.h"
#include "ui/service/diagnostics_report.h"
#include "ui/service/switch_test.h"
#include "ui/window/field_controls.h"
#include "ui/window/main_window.h"

namespace zh {

namespace {
constexpr int kDiagnosticsStatusField = 3;

const char* switchTestResult(SwitchTest::Outcome outcome) {
    switch (outcome) {
        case SwitchTest::Outcome::Done:
            return "ten passes, ended";
        case SwitchTest::Outcome::Cancelled:
            return "cancelled, ended";
        case SwitchTest::Outcome::Failed:
            return "failed, ended";
        case SwitchTest::Outcome::NotEnded:
            return "failed, the end of the test was not acknowledged";
        case SwitchTest::Outcome::NotConnected:
            break;
    }
    return "not carried out";
}
}  // namespace

void Application::bindDiagnosticButtons() {
    commands_.bind(Command::SwitchTest, [this](int gadget) {
        SwitchTest test(p_, session_, sequences_.actions());
        // With the live display on, its lamps show the outputs as the module
        // switches them.
        test.showOutputs = [this] {
            if (p_.state.DynamicDisplayOn) core_.live.updateLiveDisplay();
        };
        const int output = gadget == controlNumber(QStringLiteral("BtnTestSW2")) ? 2 : 1;
        const SwitchTest::Outcome outcome = test.run(output);
        if (outcome == SwitchTest::Outcome::NotConnected) return;
        noteFunction(reportText(p_, "Switch test %1").arg(output),
                     {{reportText(p_, "Result"), reportText(p_, switchTestResult(outcome))}});
    });

    const auto report = [this] {
        DiagnosticsReport r(p_, session_, sequences_.blocks(),
                            controlNumber(QStringLiteral("DiagReport")));
        r.window.statusText = [this] {
            return window_ ? window_->statusText(kDiagnosticsStatusField) : QString();
        };
        r.window.setStatusText = [this](const QString& text) {
            if (window_) window_->setStatusText(kDiagnosticsStatusField, text);
        };
        r.window.activate = [this] {
            if (window_) window_->activateWindow();
        };
        return r;
    };
    commands_.bind(Command::ReadDiagnostics, [report](int) { report().read(); });
    commands_.bind(Command::SaveDiagnostics, [this, report](int) {
        report().save(
            resolveDataPath(data_, DiagnosticsReport::proposedName(QDateTime::currentDateTime())));
    });
}

}  // namespace zh
