#pragma once
// The running program with its window: builds the main window from the
// profile and the field table (buildMainWindow, also to rebuild it), binds the
// commands of the menus, tool bar and buttons to what the program can do,
// and runs the main loop on Qt's event loop until the program ends.

#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/command_table.h"
#include "app/menu_table.h"
#include "app/window_event.h"
#include "files/data_session.h"
#include "files/device_core.h"
#include "hart/hart_session.h"
#include "model/device_model.h"
#include "model/read_write_sequences.h"
#include "ui/window/field_diagnostics.h"

class QWidget;

namespace zh {

class ApplicationCheck;
class ConnectionProbe;
class GraphTab;
class InputCheck;
class ControlRefresh;
class Dialogs;
class Gadgets;
class LinkLibrary;
class LogWindow;
class MainWindow;
class MenuBuilder;
class QtDialogs;
class QtGadgets;
class Replay;
class ReplayWindow;
class ServiceFunctions;
class ServiceVisit;
class UniversalWindow;
class UserModes;
struct Program;
struct RecordingStart;

class Application {
  public:
    // On the program's core, which main() built for this run.
    Application(DeviceCore& core, QtGadgets& gadgets, QtDialogs& dialogs, LinkLibrary& link);
    // On the core without a window: the commands run on the controls and
    // dialogs given, and buildMainWindow defines the field table only.
    Application(DeviceCore& core, Gadgets& gadgets, Dialogs& dialogs, LinkLibrary& link);
    // With a core of its own (tests).
    Application(Program& program, QtGadgets& gadgets, QtDialogs& dialogs, LinkLibrary& link,
                ConnectionProbe& probe);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Builds the main window (0) or builds it again (non-zero: another
    // measurand, language or device configuration). A negative value lays
    // the window out anew as at start, without reading the profile again.
    // False when the window could not be opened.
    bool buildMainWindow(int mcontrol);

    // Runs the main loop until the program ends; returns the exit code.
    int run();
    // Handles one event as the main loop does.
    void dispatch(const WindowEvent& event);
    // Carries out a menu command as if it had been chosen.
    void command(int menuId);
    // Help for the person at the window (F1): the manual.
    void showHelp();
    // Ends the program through its error handler, as a run-time fault
    // would: the error report is made, unsaved edits are lost. Ctrl+Y does
    // this in test mode only.
    [[noreturn]] static void raiseProgramError();
    // Opens a data file named outside the open requester (the command line,
    // a drop on the window) as Open opens the file chosen: the save request
    // first when data changed, the same checks and messages; a *.hrt file in
    // the window for any HART device.
    void openFile(const QString& path);
    // Asks for a log and a step delay and starts replaying it, paused.
    void loadReplay();
    Replay& replay() { return *replay_; }

    MainWindow* window() const;
    DeviceModel& model() { return model_; }
    DeviceSequences& sequences() { return sequences_; }
    DataSession& data() { return data_; }
    HartSession& session() { return session_; }
    CommandTable& commands() { return commands_; }
    MenuBuilder* menus() const { return menus_.get(); }
    UserModes& userModes() { return *modes_; }
    InputCheck& input() { return *input_; }
    ApplicationCheck& applicationCheck() { return *appl_; }
    // The "Logging IO" window, there from start to end.
    LogWindow* logWindow() const { return logWindow_.get(); }
    // The window for any HART device, once it was opened.
    UniversalWindow* universalWindow() const { return universal_.get(); }
    // The devices read, written and serviced in this run: the service report's source.
    ServiceVisit& visit() { return *visit_; }
    // Shows the service report of the visit (File, "Service report ...").
    void showServiceReport();

    // Refreshes the live values: one whole poll.
    std::function<void()> refreshLiveValues;
    // One exchange of a poll; true when the poll ended. While the live
    // display is on, the main loop begins a poll every DynPollTime ms and
    // serves the window's events between its exchanges, so that a command
    // waits for one exchange at most.
    std::function<bool()> pollLiveValues;

    // The main window's title for the current data file.
    void setCaption(const QString& file);

  private:
    // The window's own controls and dialogs, both null without a window.
    struct Screen {
        QtGadgets* gadgets = nullptr;
        QtDialogs* dialogs = nullptr;
    };
    Application(std::unique_ptr<DeviceCore> own, DeviceCore* shared, Gadgets& gadgets,
                Dialogs& dialogs, Screen screen, LinkLibrary& link);
    class Frame;
    class Items;

    // The still picture over the window while it is rebuilt; the window's
    // place, empty before the first build.
    QRect coverWindow();
    // The window back where it was, in test mode with the "Test input" window.
    void showWindow(const QRect& placed);
    void buildWindow();
    void buildMenus();
    void buildFieldTable();
    void bindCommands();
    void bindLiveDisplay();
    void bindFileCommands();
    void bindTransferCommands();
    void bindSetupCommands();
    void bindKeyCommands();
    void showAbout();
    // The log window and logging on and off (application_log.cpp).
    void bindLogWindow();
    void bindButtons();
    // The service functions on the current output, the teach and factory
    // buttons and the adjustment-table buttons (application_service.cpp).
    void bindServiceButtons();
    // The service report and the device history (application_report.cpp).
    void bindReportCommands();
    // The name the device last connected to goes by in the visit and the
    // history ("26-06-00A1B2"), "" when none answered.
    QString deviceName() const;
    // After a good read or write of our device: as read or written in the
    // visit and its history.
    void deviceRead();
    void deviceWritten(const QStringList& written);
    void keepReading(const QString& what);
    void tellHistoryFailure(const QString& why);
    // After the window for any HART device read or wrote its device.
    void universalShown(const QString& what);
    // A service function carried out, for the report.
    void noteFunction(const QString& function,
                      const std::vector<std::pair<QString, QString>>& results);
    // The output's service state over what the user-mode rules set, after
    // every recomputation of the rules.
    void showServiceState();
    // Gives back a loop current the program fixed, before the device is let
    // go; false when it could not and the person chose to stay.
    bool releaseFixedCurrent();
    // After a function changed the device: reads `part` again and shows it,
    // the entries not yet written kept; 0 when the read went through.
    int readAfterService(Presence part);
    // After a trailing pointer was cleared (action `clearedBy`): both
    // pointers as the module holds them.
    void showTrailingPointers(int clearedBy);
    // The switch tests and the diagnostics readout and save
    // (application_diagnostics.cpp).
    void bindDiagnosticButtons();
    // The scan of the loop and the window for any HART device
    // (application_universal.cpp).
    void bindUniversalCommands();
    // The scan of the polling addresses 0..`last`, stoppable from its progress window.
    void scanLoop(int last);
    // Shows the window for any HART device, read at once when `read`.
    void showUniversalWindow(bool read);
    // After a connection found a device that is not ours: its universal
    // data offered instead.
    void offerUniversalView();
    void bindInputCheck();
    // The event records and the replay of them (application_replay.cpp).
    void bindReplay();
    void recordEvent(const WindowEvent& e, bool entry);
    // The "<<< Start:" line when a recording begins with data present.
    void recordStart();
    QString restoreStart(const RecordingStart& start);
    void afterCommand();
    void showFields();
    // The diagrams on the Graph tab (with GraphMode "ON"); `live` only
    // while that tab is shown.
    void redrawDiagram(bool live);
    bool graphTabShown() const;

    void newData(int id);
    bool newDataFor(const QString& chosen);
    void connectModule();
    void disconnectModule();
    int readModule(Presence part);
    void writeModule(WriteScope scope);
    // With `verify` the device is read back and compared before the fields
    // written show "updated".
    int writeDevice(Presence part, WriteScope scope, bool verify = false);
    // Compare module with data, and the check of a write (application_compare.cpp).
    void compareWithData();
    int verifyWrite(const QStringList& written);
    void openData();
    // The recent-files entries and the file named to openFile
    // (application_files.cpp).
    void bindRecentFiles();
    void openNamedFile(const QString& path);
    // A file dropped on the window: opened as the next command.
    void openDroppedFile(const QString& path);
    // `path` to the top of the recent-files list, and the File menu with it.
    void keepRecentFile(const QString& path);
    void writeTransmitter();
    void exitProgram();
    Presence target() const;

    std::unique_ptr<DeviceCore> ownCore_;
    DeviceCore& core_;
    Program& p_;
    Gadgets& gadgets_;
    Dialogs& dialogs_;
    const Screen screen_;
    LinkLibrary& link_;
    HartSession& session_;
    DeviceModel& model_;
    DeviceSequences& sequences_;
    DataSession& data_;
    CommandTable commands_;
    MenuTable menuTable_;

    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<MenuBuilder> menus_;
    std::unique_ptr<Frame> frame_;
    std::unique_ptr<Items> items_;
    std::unique_ptr<ControlRefresh> refresh_;
    std::unique_ptr<UserModes> modes_;
    std::unique_ptr<ApplicationCheck> appl_;
    std::unique_ptr<InputCheck> input_;
    std::unique_ptr<ServiceFunctions> services_;
    std::unique_ptr<Replay> replay_;
    std::unique_ptr<ReplayWindow> replayWindow_;
    std::unique_ptr<GraphTab> graph_;
    std::unique_ptr<LogWindow> logWindow_;
    std::unique_ptr<UniversalWindow> universal_;
    std::unique_ptr<ServiceVisit> visit_;
    bool historyFailureShown_ = false;  // a history that cannot be kept is told once
    QPointer<QWidget> cover_;
    QString builtFor_;          // the measurand the window was last built for
    QString namedFile_;         // the file openFile was given, until it opens
    FieldInspector inspector_;  // the diagnostic "field under the mouse"
    int exitCode_ = 0;
};

}  // namespace zh
