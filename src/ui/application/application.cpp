// Building the main window: the first build at start and the rebuilds for
// another measurand, language or device configuration, with a still picture
// of the old window covering the rebuild.

#include "ui/application/application.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QSlider>
#include <QTabWidget>
#include <QTime>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <utility>

#include "app/menu_items.h"
#include "app/presence.h"
#include "app/program.h"
#include "app/test_mode.h"
#include "hart/com_ports.h"
#include "model/device_types.h"
#include "model/field_definitions.h"
#include "model/field_snapshot.h"
#include "model/field_twins.h"
#include "model/list_text.h"
#include "model/type_checks.h"
#include "report/service_visit.h"
#include "ui/application/application_check.h"
#include "ui/application/input_check.h"
#include "ui/application/qt_translation.h"
#include "ui/application/write_checks.h"
#include "ui/diagrams/graph_tab.h"
#include "ui/dialogs/qt_dialogs.h"
#include "ui/dialogs/universal_window.h"
#include "ui/log/log_window.h"
#include "ui/log/replay.h"
#include "ui/log/replay_window.h"
#include "ui/service/service_functions.h"
#include "ui/window/accessible_names.h"
#include "ui/window/control_refresh.h"
#include "ui/window/field_binding.h"
#include "ui/window/field_controls.h"
#include "ui/window/file_drop.h"
#include "ui/window/gadget_colours.h"
#include "ui/window/main_window.h"
#include "ui/window/menu_builder.h"
#include "ui/window/menu_registration.h"
#include "ui/window/qt_gadgets.h"
#include "ui/window/status_line.h"
#include "ui/window/user_modes.h"
#include "ui/window/visibility_groups.h"
#include "ui/window/window_frame.h"

namespace zh {

// The tabs and the status line of whichever window is current.
class Application::Frame final : public WindowFrame {
  public:
    explicit Frame(Application& a) : a_(a) {}
    void removePanelTab(int panel, int tab) override {
        if (a_.window_) a_.window_->removePanelTab(panel, tab);
    }
    void setStatusText(int field, const QString& text) override {
        if (a_.window_) a_.window_->setStatusText(field, text);
    }

  private:
    Application& a_;
};

// The menu entries of whichever menus are current.
class Application::Items final : public MenuItems {
  public:
    explicit Items(Application& a) : a_(a) {}
    bool hasItem(int id) const override { return a_.menus_ && a_.menus_->hasItem(id); }
    void setItemEnabled(int id, bool enabled) override {
        if (a_.menus_) a_.menus_->setItemEnabled(id, enabled);
    }
    bool isItemEnabled(int id) const override { return a_.menus_ && a_.menus_->isItemEnabled(id); }
    void setItemReason(int id, const QString& reason) override {
        if (a_.menus_) a_.menus_->setItemReason(id, reason);
    }
    QString itemReason(int id) const override {
        return a_.menus_ ? a_.menus_->itemReason(id) : QString();
    }
    void setItemChecked(int id, bool checked) override {
        if (a_.menus_) a_.menus_->setItemChecked(id, checked);
    }
    bool isItemChecked(int id) const override { return a_.menus_ && a_.menus_->isItemChecked(id); }
    void setItemHidden(int id, bool hidden) override {
        if (a_.menus_) a_.menus_->setItemHidden(id, hidden);
    }
    bool isItemHidden(int id) const override { return a_.menus_ && a_.menus_->isItemHidden(id); }

  private:
    Application& a_;
};

Application::Application(Program& program, QtGadgets& gadgets, QtDialogs& dialogs,
                         LinkLibrary& link, ConnectionProbe& probe)
    : Application(std::make_unique<DeviceCore>(program, link, probe), nullptr, gadgets, dialogs,
                  Screen{&gadgets, &dialogs}, link) {}

Application::Application(DeviceCore& core, QtGadgets& gadgets, QtDialogs& dialogs,
                         LinkLibrary& link)
    : Application(nullptr, &core, gadgets, dialogs, Screen{&gadgets, &dialogs}, link) {}

Application::Application(DeviceCore& core, Gadgets& gadgets, Dialogs& dialogs, LinkLibrary& link)
    : Application(nullptr, &core, gadgets, dialogs, Screen{}, link) {}

Application::Application(std::unique_ptr<DeviceCore> own, DeviceCore* shared, Gadgets& gadgets,
                         Dialogs& dialogs, Screen screen, LinkLibrary& link)
    : ownCore_(std::move(own)),
      core_(shared ? *shared : *ownCore_),
      p_(core_.program),
      gadgets_(gadgets),
      dialogs_(dialogs),
      screen_(screen),
      link_(link),
      session_(core_.session),
      model_(core_.model),
      sequences_(core_.sequences),
      data_(core_.data),
      commands_(core_.program.log, [](const QString& symbol) { return controlNumber(symbol); }),
      frame_(std::make_unique<Frame>(*this)),
      items_(std::make_unique<Items>(*this)),
      refresh_(std::make_unique<ControlRefresh>(model_)),
      modes_(std::make_unique<UserModes>(model_, *refresh_, *items_, *frame_)),
      appl_(std::make_unique<ApplicationCheck>(model_, *refresh_)),
      input_(std::make_unique<InputCheck>(model_, *appl_)),
      visit_(std::make_unique<ServiceVisit>()) {
    if (screen_.gadgets)
        graph_ = std::make_unique<GraphTab>(p_, model_, *screen_.gadgets, core_.live.state);
    installVisibilityHooks(model_);
    refresh_->installModelHooks();
    modes_->inputs.linkOpen = [this] { return session_.LinkOpen; };
    modes_->inputs.moduleState = [this] { return data_.file.moduleState; };
    modes_->inputs.connectionDetail = [this] { return p_.state.TransmDisplay; };

    sequences_.hooks.switchMeasurand = [this](const QString& measurand) {
        model_.cal.Measurand = measurand;
        buildMainWindow(1);
    };
    sequences_.hooks.refreshGadgets = [this] {
        // The administrator's copies show what the device holds for their originals.
        copyTwins(model_);
        showFields();
        modes_->updateGadgetItems(-1);
    };

    data_.window.takeWindowValues = [] { return true; };
    data_.window.rebuildWindow = [this](const QString& measurand) {
        model_.cal.Measurand = measurand;
        buildMainWindow(1);
    };
    data_.window.showPanels = [this](const QString&) { modes_->updateGadgetItems(-1); };
    data_.window.setCaption = [this](const QString& caption) {
        if (window_) window_->setWindowTitle(caption);
    };
    data_.window.refresh = [this] {
        showFields();
        modes_->updateGadgetItems(-1);
    };
    data_.device.write = [this](WriteScope scope) { return writeDevice(target(), scope) == 0; };
    bindLiveDisplay();
    bindCommands();
    bindInputCheck();
    bindReplay();
    sequences_.checkFields = [this](const QStringList& names) {
        return checkFieldsForWrite(model_, *appl_, names);
    };
}

// The live values into their controls, lamps, status line and diagram.
void Application::bindLiveDisplay() {
    // A lost modem ends the live display: the window shows it disconnected.
    const auto showStopped = [this](bool wasOn) {
        if (!wasOn || p_.state.DynamicDisplayOn) return;
        showFields();
        modes_->updateGadgetItems(-1);
    };
    refreshLiveValues = [this, showStopped] {
        const bool wasOn = p_.state.DynamicDisplayOn;
        core_.live.updateLiveDisplay();
        showStopped(wasOn);
    };
    pollLiveValues = [this, showStopped] {
        const bool wasOn = p_.state.DynamicDisplayOn;
        const bool ended = core_.live.pollStep();
        showStopped(wasOn);
        return ended;
    };
    core_.live.hooks.showValues = [this] {
        // One redraw per value, and only while the diagram is in sight.
        auto redraw = std::exchange(refresh_->checks.redrawDiagram, nullptr);
        for (const char* name : {"Display", "ADactRaw", "HiTrail", "LoTrail"})
            refresh_->showFieldsInForm(QStringLiteral("gadname=") + QLatin1String(name));
        refresh_->checks.redrawDiagram = std::move(redraw);
        const LiveState& live = core_.live.state;
        updateLiveLamps(p_, live.Switch1, live.Switch2, live.OnlineLit);
        frame_->setStatusText(
            3, std::isfinite(live.LoopCurrent)
                   ? QString::number(live.LoopCurrent, 'f', 2) + QStringLiteral(" [mA]")
                   : QString());
        redrawDiagram(true);
    };
    core_.live.hooks.setTestLimits = [this](int low, int high) {
        if (!screen_.gadgets) return;
        if (auto* slider = qobject_cast<QSlider*>(
                screen_.gadgets->widget(controlNumber(QStringLiteral("TstSlider")))))
            slider->setRange(std::min(low, high), std::max(low, high));
    };
    BindTestInput(p_.gadgets, core_.live.hooks);
    refresh_->checks.redrawDiagram = [this] { redrawDiagram(false); };
}

// Entries pass the input check on their way into the field table. The
// refresh of the controls runs the same checks on what the program wrote
// and paints a value that fails them in the error colour; it asks nobody,
// since nobody typed it.
void Application::bindInputCheck() {
    refresh_->checks.typeCheck = [this](FieldRecord& f, const QString& text) {
        return checkByType(p_, f, fieldCaption(model_, f.Name), text, false);
    };
    refresh_->checks.checkLimits = [this](const QString& name, const QString& content) {
        return appl_->checkLimits(name, content, ApplicationCheck::LimitMode::Quiet);
    };
    appl_->hooks.updateVisibility = [this] {
        modes_->updateGadgetItems(-1);
        showServiceState();
    };
    input_->hooks.showTab = [this](int panel, int index) {
        if (window_) window_->activateWindow();
        if (panel > 0 && gadgets_.exists(panel)) gadgets_.setState(panel, index);
    };
    // What a control shows is what its field holds: a field that may not
    // be edited takes no typing, whatever the rules enable. A button or
    // selector whose command the program cannot carry out stays disabled.
    if (screen_.gadgets)
        screen_.gadgets->inputLocked = [this](int gadget) {
            if (commands_.gadgetCommand(gadget) && !commands_.isGadgetAvailable(gadget))
                return true;
            // Only a control bound to a field follows the field's access; the
            // record a plain button has carries none.
            const FieldRecord* f = boundField(model_.fields, gadget);
            return f && isReadOnlyField(*f);
        };
    commands_.bind(Command::ConfirmInput, [this](int) { input_->confirm(); });
    commands_.bind(Command::CancelInput, [this](int) { input_->cancel(); });
    // The input check has taken the choice into its field and shown the
    // controls that go with it; the rules that follow every command finish.
    commands_.bind(Command::OutputFunction, [](int) {});
    commands_.bind(Command::EquipmentSelection, [](int) {});
}

Application::~Application() {
    menus_.reset();
    window_.reset();
}

MainWindow* Application::window() const {
    return window_.get();
}

Presence Application::target() const {
    return core_.target();
}

void Application::setCaption(const QString& file) {
    if (!window_) return;
    window_->setWindowTitle(file.isEmpty() ? p_.state.WindowTitle
                                           : file + QStringLiteral(" - ") + p_.state.WindowTitle);
}

bool Application::buildMainWindow(int mcontrol) {
    AppState& s = p_.state;
    p_.log.debugLog(
        QStringLiteral(">>> VANTOMain(mcontrol=") + QString::number(mcontrol) + QLatin1Char(')'),
        4);

    // 1. A rebuild happens under a still picture of the window.
    const QRect placed = coverWindow();

    // 2. Texts for the window's language; the first build reads nothing
    // more (the profile was read at start), a rebuild of the layout notes it.
    if (mcontrol <= 0) {
        p_.captions = p_.messages.loadLabels(QStringLiteral("Application"));
        s.MainWindowOpen = 1;
        if (screen_.gadgets) screen_.gadgets->clearEvents();
    }
    const QString note =
        mcontrol < 0 ? QStringLiteral("Re-initializing") : QStringLiteral("Initializing");
    p_.log.debugLog(
        QTime::currentTime().toString(QStringLiteral("hh:mm:ss")) + QLatin1Char(' ') + note, 4);
    if (mcontrol != 0) p_.captions = p_.messages.loadLabels(QStringLiteral("Application"));
    if (mcontrol <= 0) useQtTranslation(s.ActualLanguage);

    // 3. The measurand of the current data.
    if (model_.cal.Measurand.isEmpty() && !s.MeasurandList.empty())
        model_.cal.Measurand = s.MeasurandList.front().Name;

    // 4.-6. Window, menus, field table, controls. A rebuild for the same
    // measurand (another language, device configuration or user choice)
    // keeps the data shown: the table is defined anew, its values stay.
    const bool keep = mcontrol != 0 && s.DataTrigger >= 0 && model_.cal.Measurand == builtFor_;
    const FieldSnapshot kept = keep ? FieldSnapshot::take(model_.fields) : FieldSnapshot{};
    // The scaling that the kept values are in (display unit, calibration)
    // stays with them; the table defined anew would bring the profile's.
    const CalibrationState keptScaling = model_.cal;
    // Messages during the build (a bad logo file) belong to the new window.
    if (screen_.dialogs) screen_.dialogs->setMainWindow(nullptr);
    menus_.reset();
    window_.reset();
    if (screen_.gadgets) {
        buildWindow();
        if (screen_.dialogs) screen_.dialogs->setMainWindow(window_.get());
        buildMenus();
    } else {
        registerControls(model_.fields);
    }
    buildFieldTable();
    kept.restore(model_.fields);
    if (keep) model_.cal = keptScaling;
    builtFor_ = model_.cal.Measurand;
    if (window_) window_->showCustomerLogo();
    modes_->updatePanelTabs();
    hideTestGadgets(model_, 0);  // the raw converter value only for administrators and in test mode
    showFields();
    modes_->updateGadgetItems(-1);
    if (screen_.gadgets) nameControls(*screen_.gadgets, refresh_->captions);
    showServiceState();
    if (mcontrol == 0) s.DataTrigger = -1;

    // 7. Back where it was.
    if (window_) showWindow(placed);
    return s.MainWindowOpen == 1;
}

QRect Application::coverWindow() {
    if (!window_) return QRect();
    const QRect placed = window_->geometry();
    auto* cover =
        new QLabel(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
    cover->setWindowTitle(QStringLiteral("Stay on top"));
    cover->setAttribute(Qt::WA_DeleteOnClose);
    cover->setPixmap(window_->grab());
    cover->setGeometry(window_->frameGeometry());
    cover->show();
    cover_ = cover;
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    window_->hide();
    return placed;
}

void Application::showWindow(const QRect& placed) {
    if (placed.isValid()) window_->setGeometry(placed);
    window_->show();
    window_->showTestInput(isTestMode(p_.state.TestMode.toUpper()));
    if (cover_) cover_->close();
}

void Application::redrawDiagram(bool live) {
    if (p_.state.GraphMode.toUpper() != QLatin1String("ON") || !window_ || !graph_) return;
    if (live && !graphTabShown()) return;
    // The device found narrows what the profile asks for ("all", "auto").
    Presence configured = target();
    if (configured == Presence::All) configured = parsePresence(p_.state.TransmDisplay.toLower());
    graph_->redraw(configured);
}

bool Application::graphTabShown() const {
    if (!screen_.gadgets) return false;
    const auto* panel =
        qobject_cast<QTabWidget*>(screen_.gadgets->widget(controlNumber(QStringLiteral("Panel"))));
    const int graphTab = 3;
    return panel && window_ && panel->currentWidget() == window_->tabPage(graphTab);
}

// Every bound field's content into its control, painted in the colour of
// its state (read, changed, ...).
void Application::showFields() {
    refresh_->showFieldsInForm();
    for (const PackedEntry& e : model_.fields.packedEntries()) {
        const int i = model_.fields.find(e.Name);
        const int control = i < 0 ? 0 : boundControl(model_.fields.at(i));
        if (control > 0) setGadColor(model_, control, QString(), -1);
    }
}

void Application::buildWindow() {
    window_ = std::make_unique<MainWindow>(p_, *screen_.gadgets);
    window_->setWindowTitle(p_.state.WindowTitle);
    // A data file dropped from the file manager opens as Open opens it.
    acceptFileDrops(*window_, [this](const QString& path) { openDroppedFile(path); });
    registerControls(model_.fields);
    // The diagrams are drawn anew whenever the Graph tab comes into view.
    if (auto* panel = qobject_cast<QTabWidget*>(
            screen_.gadgets->widget(controlNumber(QStringLiteral("Panel")))))
        QObject::connect(panel, &QTabWidget::currentChanged, panel, [this] {
            if (graphTabShown()) redrawDiagram(false);
        });
}

void Application::buildMenus() {
    menus_ = std::make_unique<MenuBuilder>(*window_, window_->toolBar());
    menus_->onCommand = [this](int id) { screen_.gadgets->postMenuEvent(id); };
    std::vector<PortChoice> ports;
    for (const ComPortEntry& e : availableComPorts(p_.log))
        ports.push_back({e.name, e.label, e.device});
    menuTable_ = MenuTable{};
    buildMenuTable(p_, ports, menuTable_);
    menus_->build(menuTable_);
    registerMenuEntries(menuTable_, model_.fields, refresh_->captions);
    menus_->setUnavailable(
        commands_.unavailableMenuIds(menus_->ids()),
        p_.messages.lookupMessage(QStringLiteral("Not available in this program"),
                                  QStringLiteral("SerialIO")));
    for (int gadget : commands_.unavailableGadgets()) gadgets_.setEnabled(gadget, false);
    window_->restoreDesignSize();
}

void Application::buildFieldTable() {
    const AppState& s = p_.state;
    QString base = model_.cal.actBaseUnit;
    for (const MeasurandSettings& m : s.MeasurandList)
        if (m.Name == model_.cal.Measurand && !m.BaseUnit.isEmpty()) base = m.BaseUnit;
    if (base.isEmpty()) base = QStringLiteral("[-]");
    defineDataStructure(model_, base, model_.cal.IntSerIO, -11);
    // The unit type and device type combo boxes show the current selection.
    const int unitType = listValueOf(s.Measurands, model_.cal.Measurand);
    const int unitField = model_.fields.find(QStringLiteral("UnitType"));
    if (unitField >= 0 && unitType >= 0)
        model_.fields.at(unitField).Content = QString::number(unitType);
    updateDeviceType(model_, model_.selection.DevIndx, model_.selection.DevType,
                     model_.selection.CalcMeth, TypeUpdate::Keep);
}

}  // namespace zh
