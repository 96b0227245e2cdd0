// The service buttons: loop test, the fixed 4 mA and 20 mA points and their
// trims, the teach and factory-setting buttons and the buttons that take a
// value from the device into the form.

#include "app/dialogs.h"
#include "app/program.h"
#include "files/data_session.h"
#include "model/device_model.h"
#include "model/field_notation.h"
#include "model/read_write_sequences.h"
#include "model/scaling.h"
#include "ui/application/application.h"
#include "ui/application/application_check.h"
#include "ui/service/service_functions.h"
#include "ui/window/control_refresh.h"
#include "ui/window/field_controls.h"
#include "ui/window/user_modes.h"

namespace zh {

ServiceFunctions::ServiceFunctions(DeviceModel& model, DeviceSequences& sequences)
    : output(model, sequences.universal(), sequences.actions()),
      teach(model, sequences),
      capture(model, sequences) {}

namespace {

// The panel a button sits on: "admin" for the admin panel's, "user" else.
QString formOf(int gadget, const char* adminButton) {
    return gadget == controlNumber(QLatin1String(adminButton)) ? QStringLiteral("admin")
                                                               : QStringLiteral("user");
}

}  // namespace

void Application::bindServiceButtons() {
    services_ = std::make_unique<ServiceFunctions>(model_, sequences_);
    OutputService& output = services_->output;
    TeachService& teach = services_->teach;
    ValueCapture& capture = services_->capture;

    output.showField = [this](const QString& name) {
        refresh_->showFieldsInForm(QStringLiteral("gadname=") + name);
    };
    modes_->inputs.output4mAOn = [&output] { return output.state4mA() != QLatin1String("off"); };
    modes_->inputs.output20mAOn = [&output] { return output.state20mA() != QLatin1String("off"); };
    teach.hooks.readDevice = [this] { return readAfterService(target()); };
    // A restore of the factory setting reads the device again.
    teach.hooks.showFields = [this] {
        deviceRead();
        showFields();
    };
    const auto note = [this](const QString& function, const ServiceResults& results) {
        noteFunction(function, results);
    };
    teach.hooks.noteDone = note;
    output.noteDone = note;
    capture.takeEntry = [this](const QString& name, const QString& content) {
        appl_->updateApplicationField(0, name, content);
    };

    commands_.bind(Command::LoopTest, [&output](int gadget) {
        output.loopTest(output.loopTestRunning() ? OutputService::LoopStep::Stop
                                                 : OutputService::LoopStep::Start,
                        formOf(gadget, "BtnLoopStartStopAdm"));
    });
    commands_.bind(Command::Set4mAOnOff, [&output](int gadget) {
        output.set4mA(OutputService::PointAction::OnOff, formOf(gadget, "BtnSet4mAOnOff"));
    });
    commands_.bind(Command::Set20mAOnOff, [&output](int gadget) {
        output.set20mA(OutputService::PointAction::OnOff, formOf(gadget, "BtnSet20mAOnOff"));
    });
    commands_.bind(Command::Trim4mA, [&output](int gadget) {
        output.set4mA(OutputService::PointAction::Trim, formOf(gadget, "BtnSet4mA"));
    });
    commands_.bind(Command::Trim20mA, [&output](int gadget) {
        output.set20mA(OutputService::PointAction::Trim, formOf(gadget, "BtnSet20mA"));
    });

    commands_.bind(Command::TeachLowerRange, [&teach](int) { teach.teachRange(false); });
    commands_.bind(Command::TeachUpperRange, [&teach](int) { teach.teachRange(true); });
    commands_.bind(Command::Teach4mADisplay,
                   [&teach](int) { teach.teachDisplay(action::kTeach4mA); });
    commands_.bind(Command::Teach20mADisplay,
                   [&teach](int) { teach.teachDisplay(action::kTeach20mA); });
    commands_.bind(Command::SetTeachLower,
                   [&teach](int) { teach.teachDisplay(action::kTeachLowerRange); });
    commands_.bind(Command::StoreFactorySetting, [&teach](int) { teach.factorySetting(false); });
    commands_.bind(Command::RestoreFactorySetting, [&teach](int) { teach.factorySetting(true); });

    commands_.bind(Command::TakeAdcValue, [&capture](int gadget) {
        for (int row = 0; row <= 10; ++row) {
            if (gadget == controlNumber(QStringLiteral("BtnADC") + QString::number(row)))
                capture.setAdcValue(gadget, row);
        }
    });
    commands_.bind(Command::SetSwitchPoint, [&capture](int) { capture.setSwitchPoint(); });
}

// A function changed the device: the window reads `part` (transmitter,
// display or all) again to show what the device holds now. What the
// person entered and has not written yet stays entered, over what was read.
int Application::readAfterService(Presence part) {
    struct Entry {
        QString name, content, unit;
    };
    std::vector<Entry> entries;
    for (int i = 1; i <= model_.fields.count(); ++i) {
        const FieldRecord& f = model_.fields.at(i);
        if (f.ColorIndx == ColourChanged && !f.is(FlagDisplayOnly))
            entries.push_back({f.Name, f.Content, f.GadUnit});
    }
    const bool dataChanged = p_.state.DataChanged;
    const int result = readModule(part);
    if (result != 0) return result;
    bool entered = false;
    for (const Entry& e : entries) {
        const int i = model_.fields.find(e.name);
        if (i < 0) continue;
        FieldRecord& f = model_.fields.at(i);
        const bool otherUnit = !e.unit.isEmpty() && !f.GadUnit.isEmpty() && e.unit != f.GadUnit;
        const QString content =
            otherUnit ? convertUnitText(model_, e.content, e.unit, f.GadUnit, f.Name) : e.content;
        if (content.isEmpty() || holdsSameValue(f, content, f.Content)) continue;
        f.Content = content;
        f.BaseValue = baseValueOf(model_, f);
        f.setColourState(ColourChanged);
        entered = true;
    }
    // The device holds what was read; what stays entered it does not.
    p_.state.DataChanged = dataChanged || entered;
    if (entered) data_.file.moduleState = 0;
    showFields();
    modes_->updateGadgetItems(-1);
    return 0;
}

void Application::showServiceState() {
    if (services_) services_->output.showState();
}

// The loop is given back before the program lets go of the device; when
// that fails the person decides whether to leave it fixed.
bool Application::releaseFixedCurrent() {
    if (!services_ || services_->output.release()) return true;
    const QString answer = p_.messages.showMessageBox(
        p_.state.WindowTitle,
        QStringLiteral(
            "The loop current could not be released and stays fixed!<br>Continue anyway?"),
        mb::YesNo | mb::IconExclamation | mb::DefaultButton2);
    return answer == QLatin1String("yes");
}

}  // namespace zh
