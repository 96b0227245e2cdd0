// The program's entry: builds the program context, installs the error
// handler, runs the start-up and then either a command without a window
// (the connection probe, the batch commands) or the main window and its
// loop. The same source builds both editions; the file name decides which
// one runs.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <memory>
#include <optional>
#include <type_traits>

#include "app/clock.h"
#include "app/command_line.h"
#include "app/console_dialogs.h"
#include "app/edition.h"
#include "app/error_report.h"
#include "app/headless_gadgets.h"
#include "app/menu_ids.h"
#include "app/profile_settings.h"
#include "app/program.h"
#include "app/program_folders.h"
#include "app/program_paths.h"
#include "app/report_viewer.h"
#include "app/startup.h"
#include "app/unattended_dialogs.h"
#include "app/user_copies.h"
#include "files/batch_commands.h"
#include "files/device_core.h"
#include "hart/connection_probe.h"
#include "hart/link_library.h"
#include "report/report_command.h"
#include "ui/application/application.h"
#include "ui/application/write_checks.h"
#include "ui/dialogs/qt_dialogs.h"
#include "ui/dialogs/report_box.h"
#include "ui/log/replay.h"
#include "ui/window/label_captions.h"
#include "ui/window/main_window.h"
#include "ui/window/qt_gadgets.h"

namespace {

QStringList argumentsOf(int argc, char** argv) {
    QStringList out;
    for (int i = 1; i < argc; ++i) out << QString::fromLocal8Bit(argv[i]);
    return out;
}

// The connection probe and the batch commands run without a window.
bool runsWithoutWindow(const QStringList& arguments) {
    return arguments.value(0) == QLatin1String("Connect") || zh::isBatchCommand(arguments) ||
           zh::isReportCommand(arguments);
}

// Qt sets the C library's locale from the desktop; profiles, data files,
// the wire and the log all write numbers with a decimal point, so number
// conversions stay in the C locale whatever the desktop's language.
void keepNumbersInCLocale() {
    std::setlocale(LC_NUMERIC, "C");
}

bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// The HART link library: beside the program, or in an installed program's
// private library folder.
QString linkLibraryPath(const QString& programDir) {
    const QString name = zh::LinkLibrary::defaultFileName();
    const QString beside = programDir + QLatin1Char('/') + name;
    const QString installed =
        QDir::cleanPath(programDir + QStringLiteral("/../lib/zel-hart/") + name);
    return QFileInfo::exists(beside) || !QFileInfo::exists(installed) ? beside : installed;
}

// The program under the name it was started as, for the processes it starts
// of itself (the connection probe, the report viewer). KALVERO_S is a link to
// ZEL-HART: the edition lies in the link's name, while Qt's file path names
// the link's target.
QString programAsStarted() {
    const QString name = QFileInfo(QCoreApplication::arguments().value(0)).fileName();
    const QString started = QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
    return !name.isEmpty() && QFileInfo::exists(started) ? started
                                                         : QCoreApplication::applicationFilePath();
}

// The program's folders for this run; the user's folders seeded at the first start.
zh::ProgramFolders programFolders() {
    const QString programDir = QCoreApplication::applicationDirPath();
    return zh::decideProgramFolders(programDir, zh::currentFolderEnvironment(programDir));
}

// What every run does before its own work: the HART link library bound from
// the program's folder, the start-up (edition, profile, language, texts, the
// connection probe) and the profile read. Returns -1 to go on, else the
// exit code.
int startProgram(zh::Program& program, zh::LinkLibrary& link, const char* argv0,
                 const zh::ProgramFolders& folders, const QStringList& arguments) {
    const QString executableName = QFileInfo(QString::fromLocal8Bit(argv0)).fileName();
    zh::StartupHooks hooks;
    hooks.bindLinkLibrary = [&] {
        // The program runs on without it, but the person learns at once why
        // no device will answer.
        if (!link.load(linkLibraryPath(folders.programDir)))
            program.messages.showMessageBox(
                program.texts.text(QStringLiteral("Application"), QStringLiteral("Failure")),
                QStringLiteral("HART library not loaded: ") + link.loadError(),
                zh::mb::Ok | zh::mb::IconError, zh::MsgText::AsIs);
    };
    hooks.desktopLanguage = zh::desktopLanguageName;
    // "Connect <port> [address]"
    hooks.runProbe = [&](const QString& port) {
        return zh::runConnectionProbe(link, program.log, port, arguments.value(2).toInt());
    };
    const zh::StartResult started =
        zh::runStartup(program, executableName, folders, arguments, hooks);
    if (!started.runWindow) return started.exitCode;
    if (!zh::readProfileFile(program)) return 0;
    return -1;
}

// Builds the program context on `DialogsT` and `GadgetsT` (with the error
// handler installed for it), starts it and hands it to `work`, which
// returns the exit code.
template <typename DialogsT, typename GadgetsT, typename Work>
int runProgram(const char* argv0, const QStringList& arguments, Work work) {
    DialogsT dialogs;
    GadgetsT gadgets;
    zh::SteadyClock clock;
    zh::Program program(dialogs, gadgets, clock);
    const zh::ProgramFolders folders = programFolders();
    zh::updateUserFolders(folders, QStringLiteral(ZH_VERSION), zh::desktopLanguageName());
    // Error reports go to the working folder; an installed program's to its state folder.
    zh::FatalErrorHandler errorHandler(program.log, dialogs,
                                       folders.perUser() ? folders.stateDir : QDir::currentPath());
    // With a window, the report is shown in a box by a fresh process of the
    // program; the faulted one waits for it and then ends.
    const zh::ReportViewer viewer(
        programAsStarted(),
        QDir::temp().filePath(
            QStringLiteral("zel-hart-report-%1.txt").arg(QCoreApplication::applicationPid())));
    if constexpr (std::is_same_v<DialogsT, zh::QtDialogs>)
        errorHandler.setShow(
            [&viewer](const QString& title, const QString& text) { viewer.show(title, text); });
    errorHandler.install();
    zh::LinkLibrary link(program.log);
    if (const int ended = startProgram(program, link, argv0, folders, arguments); ended >= 0)
        return ended;
    return work(program, dialogs, gadgets, link);
}

int runHeadless(int argc, char** argv, const QStringList& arguments) {
    // The report's PDF needs fonts, which come with a GUI application; it
    // draws on no screen.
    const bool report = zh::isReportCommand(arguments);
    if (report && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        report ? std::make_unique<QGuiApplication>(argc, argv)
               : std::make_unique<QCoreApplication>(argc, argv);
    keepNumbersInCLocale();
    return runProgram<zh::ConsoleDialogs, zh::HeadlessGadgets>(
        argv[0], arguments,
        [&](zh::Program& program, zh::ConsoleDialogs& dialogs, zh::HeadlessGadgets&,
            zh::LinkLibrary& link) {
            zh::ProcessProbe probe(dialogs, programAsStarted());
            zh::DeviceCore core(program, link, probe);
            zh::installWriteChecks(core);
            zh::captionFieldsByLabels(core.model);
            return report ? zh::runReportCommand(core, arguments)
                          : zh::runBatchCommand(core, arguments);
        });
}

// "--check-start N": show the window, print the title and the profile in
// use, rebuild the window N times, print how long each rebuild took and end
// (for the start-up benchmark and the start-up tests).
int checkStart(zh::Program& program, zh::Application& application, int rebuilds) {
    QApplication::processEvents();
    std::printf("%s\n  Profile                    %s\nwindow shown\n",
                application.window()->windowTitle().toLocal8Bit().constData(),
                program.profile.resolve(program.state.ProfilePath).toLocal8Bit().constData());
    // Whoever times the start reads this line from a pipe: it must leave
    // now, not with the rebuilds' lines at the end.
    std::fflush(stdout);
    QElapsedTimer timer;
    for (int i = 0; i < rebuilds; ++i) {
        timer.start();
        application.buildMainWindow(1);
        QApplication::processEvents();
        std::printf("rebuild %.2f ms\n", static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::fflush(stdout);
    return 0;
}

int showWindow(zh::Program& program, zh::QtDialogs& dialogs, zh::QtGadgets& gadgets,
               zh::LinkLibrary& link, const zh::WindowArguments& arguments) {
    const QString& screenshot = arguments.screenshot;
    dialogs.setCancelCaption([&program] {
        return program.messages.lookupMessage(QStringLiteral("Cancel"), QStringLiteral("Common"));
    });

    // With --screenshot nobody is there to answer: a message box that opens is answered with
    // its default button after a second, and its text goes to standard error.
    QTimer unattended;
    QObject::connect(&unattended, &QTimer::timeout, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        std::fprintf(stderr, "%s: %s\n", box->windowTitle().toLocal8Bit().constData(),
                     box->text().toLocal8Bit().constData());
        if (box->defaultButton() != nullptr)
            box->defaultButton()->click();
        else
            box->reject();
    });
    if (!screenshot.isEmpty()) {
        unattended.start(1000);
        dialogs.setUnattended(true);
    }

    zh::ProcessProbe probe(dialogs, programAsStarted());
    zh::DeviceCore core(program, link, probe);
    zh::Application application(core, gadgets, dialogs, link);
    if (!application.buildMainWindow(0)) {
        dialogs.messageBox(QString(), QStringLiteral("Open Window failed"), zh::mb::Ok);
        return 1;
    }
    // The file named on the command line opens as File -> Open opens it.
    if (!arguments.file.isEmpty()) application.openFile(arguments.file);
    if (arguments.checkStart >= 0) return checkStart(program, application, arguments.checkStart);
    // "--raise-error": once the window is up, the run-time fault of Ctrl+Y.
    if (arguments.raiseError) {
        QApplication::processEvents();
        zh::Application::raiseProgramError();
    }
    if (screenshot.isEmpty()) return application.run();

    // Read the device the profile names, then take the picture.
    application.command(zh::menu::kReadAll);
    QApplication::processEvents();
    const bool read = program.state.DataTrigger >= 0;
    bool saved = application.window()->grab().save(screenshot);
    // One more picture per further tab the user mode shows.
    QTabWidget* tabs = application.window()->panel();
    const QFileInfo shot(screenshot);
    for (int i = 1; tabs && i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        const QString name =
            tabs->tabText(i).toLower().remove(QRegularExpression(QStringLiteral("[^a-z0-9]")));
        saved = application.window()->grab().save(shot.path() + QLatin1Char('/') +
                                                  shot.completeBaseName() + QLatin1Char('-') +
                                                  name + QLatin1Char('.') + shot.suffix()) &&
                saved;
    }
    if (tabs) tabs->setCurrentIndex(0);
    std::printf("%s: %s, %s\n", screenshot.toLocal8Bit().constData(),
                read ? "device read" : "device not read", saved ? "saved" : "not saved");
    return read && saved ? 0 : 1;
}

// "--replay FILE [--step-delay MS]": plays the event records of a debug
// log against the device, with nobody there to answer.
// The program's dialogs answer for themselves; the progress window shows.
struct ReplayDialogs : zh::UnattendedDialogs {
    ReplayDialogs() : zh::UnattendedDialogs(qt) {}
    zh::QtDialogs qt;
};

int runReplay(zh::Program& program, ReplayDialogs& dialogs, zh::QtGadgets& gadgets,
              zh::LinkLibrary& link, const zh::WindowArguments& request) {
    zh::ProcessProbe probe(dialogs.qt, programAsStarted());
    zh::DeviceCore core(program, link, probe);
    zh::Application application(core, gadgets, dialogs.qt, link);
    if (!application.buildMainWindow(0)) return 2;
    zh::Replay& replay = application.replay();
    replay.unattended = true;
    int failures = dialogs.failures();
    int failedStep = 0;
    // A step failed when it said so, or put up an error for somebody to read.
    replay.hooks.played = [&](int step, int steps, const QString& name, const QString& failure) {
        const bool ok = failure.isEmpty() && dialogs.failures() == failures;
        failures = dialogs.failures();
        const QString outcome = ok ? QStringLiteral("ok")
                                   : QStringLiteral("failed (") +
                                         (failure.isEmpty() ? dialogs.lastFailure() : failure) +
                                         ')';
        std::printf("step %d/%d: %s ... %s\n", step, steps,
                    name.trimmed().toLocal8Bit().constData(), outcome.toLocal8Bit().constData());
        std::fflush(stdout);
        if (!ok && failedStep == 0) {
            failedStep = step;
            replay.end();
        }
    };
    if (!replay.start(request.replay, request.stepDelayMs, true)) {
        if (!replay.unreadable().isEmpty()) {
            std::fprintf(stderr, "replay: cannot read '%s': %s\n",
                         request.replay.toLocal8Bit().constData(),
                         replay.unreadable().toLocal8Bit().constData());
            return 2;
        }
        // Refused whole: nothing was played, each line that cannot be is named.
        const auto steps = static_cast<long long>(replay.lines().size());
        for (const zh::Replay::Refusal& r : replay.refused())
            std::printf(
                "step %d/%lld: %s ... refused (line %d of the log: %s)\n", r.step, steps,
                QString(r.line).replace('\t', QLatin1String("  ")).toLocal8Bit().constData(),
                r.logLine, r.why.toLocal8Bit().constData());
        std::fprintf(stderr,
                     "replay refused: %lld of %lld steps cannot be played, none was played\n",
                     static_cast<long long>(replay.refused().size()), steps);
        return 1;
    }
    while (replay.active() && !program.state.QuitRequested)
        if (const std::optional<zh::WindowEvent> e = replay.pass()) application.dispatch(*e);
    if (failedStep > 0) {
        std::fprintf(stderr, "replay failed at step %d: %s\n", failedStep,
                     replay.lines().value(failedStep - 1).toLocal8Bit().constData());
        return 1;
    }
    std::printf("replay: %lld steps ok\n", static_cast<long long>(replay.lines().size()));
    return 0;
}

// The start-up sees no options: they are the window's, not the probe's.
int runWindow(int argc, char** argv, const zh::WindowArguments& arguments) {
    QApplication app(argc, argv);
    keepNumbersInCLocale();
    if (!arguments.replay.isEmpty())
        return runProgram<ReplayDialogs, zh::QtGadgets>(
            argv[0], {},
            [&](zh::Program& program, ReplayDialogs& dialogs, zh::QtGadgets& gadgets,
                zh::LinkLibrary& link) {
                return runReplay(program, dialogs, gadgets, link, arguments);
            });
    return runProgram<zh::QtDialogs, zh::QtGadgets>(
        argv[0], {},
        [&](zh::Program& program, zh::QtDialogs& dialogs, zh::QtGadgets& gadgets,
            zh::LinkLibrary& link) {
            return showWindow(program, dialogs, gadgets, link, arguments);
        });
}

}  // namespace

// The usage text; %1 is the program's name.
constexpr const char* kUsage =
    "Usage: %1 [FILE | --screenshot FILE | --replay FILE [--step-delay MS] |\n"
    "           --check-start N | --raise-error]\n"
    "       %1 read|write|compare|report|scan|Connect ...   (the commands below)\n"
    "       %1 --help | --version\n"
    "\n"
    "Configuration and service tool for HART pressure and temperature transmitters\n"
    "with a plug-on display module. Without a command it opens its window (a\n"
    "desktop is needed), with the data file FILE (*.cfp, *.cft, or *.hrt for\n"
    "any HART device) opened in it when one is named. The program's own file\n"
    "name selects the edition: ZEL-HART uses the\n"
    "profile Config-125.ini, KALVERO_S the profile Config.ini.\n"
    "\n"
    "Commands (they run without a window):\n"
    "  read <port> <file> [--address N]\n"
    "                     read the device on <port> into the data file <file>\n"
    "                     (*.cfp pressure, *.cft temperature; *.hrt the universal\n"
    "                     data of any HART device)\n"
    "  write <file> <port> [all|changes] [--verify] [--address N]\n"
    "                     write the data file <file> into the device on <port>:\n"
    "                     everything (all, the default) or only what differs\n"
    "                     (changes; a *.hrt file is always written as changes);\n"
    "                     --verify reads back what the write sent and fails\n"
    "                     naming the fields the device does not hold as written\n"
    "  compare <file> <port> [--address N]\n"
    "                     read the device on <port> once and print one line per\n"
    "                     field whose value differs from the data file <file>\n"
    "  report <port|file> <out.pdf|out.csv> [--as-found <file>]\n"
    "         [--csv-locale c|desktop] [--address N]\n"
    "                     the service report of the device on <port> (read as\n"
    "                     read does; as found and as left alike, or the data\n"
    "                     file --as-found as found) or of a data file, as PDF or\n"
    "                     CSV (numbers as 1.5 with \",\", or the desktop's way)\n"
    "  history <port|device-id> [--diff A B] [--address N]\n"
    "                     list the readings kept of the device (every good read\n"
    "                     and write), each with what changed since the one\n"
    "                     before; --diff A B what changed from reading A to B\n"
    "                     (numbers as listed, or dates as 2026-12-09[T10:15])\n"
    "  scan <port> [--to N]\n"
    "                     list every device answering at polling addresses 0-15\n"
    "                     (0-63 once a HART 6/7 device answers, or 0-N)\n"
    "  Connect <port> [address]\n"
    "                     probe the device on <port> at polling address\n"
    "                     <address> (default 0) and end; the exit status is 0\n"
    "                     when it answered, else the connection's result code\n"
    "\n"
    "  <port> is a device path (/dev/ttyUSB0), ComN (/dev/ttyS<N-1>) or Sim\n"
    "  (the built-in device simulator, set up by HARTSIM_OPTIONS).\n"
    "\n"
    "Options:\n"
    "  --address N        polling address 0..63 for read and write (default: the\n"
    "                     profile's HartAddress)\n"
    "  --screenshot FILE  read the device the profile names, save a picture of\n"
    "                     the window in FILE (and one per further tab) and end;\n"
    "                     message boxes are answered after a second\n"
    "  --replay FILE      play the event records (\"<<<\" lines) of a debug log\n"
    "                     unattended, one line per step; exit 0 when all ran\n"
    "  --step-delay MS    wait MS milliseconds between the steps of a replay\n"
    "  --check-start N    open the window, print the title and the profile in\n"
    "                     use, rebuild the window N times, print each time, end\n"
    "  --raise-error      cause a program error once the window is up (to see\n"
    "                     the error report)\n"
    "  --show-report FILE show an error report in a box (the program starts\n"
    "                     itself so after a program error)\n"
    "  -h, --help         this text\n"
    "  --version          the program's version and the profile file in use\n"
    "\n"
    "Files: in a folder its user may write (a build or a portable copy) the\n"
    "program keeps its profiles, Language/ and Images/ beside itself. Installed,\n"
    "it reads the shipped ones from <program folder>/../share/zel-hart and keeps\n"
    "the user's profiles and language files in $XDG_CONFIG_HOME/zel-hart\n"
    "(~/.config/zel-hart), copied from the shipped ones at the first start, and\n"
    "the debug log and error reports in $XDG_STATE_HOME/zel-hart\n"
    "(~/.local/state/zel-hart).\n"
    "\n"
    "Exit status of read, write and scan: 0 done; 1 the device or the file\n"
    "failed (scan: no device answered); 2 invalid arguments (scan: also a port\n"
    "that did not open). Of compare: 0 the device holds the file's values; 1 it\n"
    "differs; 2 the file or the device could not be read, or invalid arguments.\n";

// Without a display the window cannot open; what still works without one.
constexpr const char* kNoDisplay =
    "%s: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
    "Start it on a desktop, or use what works without one:\n"
    "  %s --screenshot FILE    read the device and save a picture of the window\n"
    "  the commands read, write, compare, report and scan (--help lists them).\n";

// "<name> <version>" and the profile the edition reads.
void printVersion(int argc, char** argv, const QString& name) {
    QCoreApplication app(argc, argv);
    std::printf("%s %s\n", name.toLocal8Bit().constData(), ZH_VERSION);
    const zh::Edition edition = zh::editionFromFileName(name);
    if (edition.profilePath.isEmpty()) return;
    const zh::ProgramFolders folders = programFolders();
    std::printf(
        "profile: %s\n",
        zh::resolveProgramPath(folders.configDir, edition.profilePath).toLocal8Bit().constData());
}

int main(int argc, char** argv) {
    const QStringList arguments = argumentsOf(argc, argv);
    const QString name = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::fputs(QString::fromLatin1(kUsage).arg(name).toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (arguments.contains(QStringLiteral("--version"))) {
        printVersion(argc, argv, name);
        return 0;
    }
    if (arguments.value(0) == zh::ReportViewer::argument() && displayAvailable()) {
        QApplication app(argc, argv);
        return zh::showReportBox(arguments.value(1));
    }
    if (runsWithoutWindow(arguments)) return runHeadless(argc, argv, arguments);
    const zh::WindowArguments window = zh::parseWindowArguments(arguments, QDir::currentPath());
    if (!window.error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", name.toLocal8Bit().constData(),
                     window.error.toLocal8Bit().constData(), name.toLocal8Bit().constData());
        return 2;
    }
    // A replay and a picture of the window need no screen: without one the
    // window stays off-screen.
    if ((!window.replay.isEmpty() || !window.screenshot.isEmpty()) && !displayAvailable())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!displayAvailable()) {
        std::fprintf(stderr, kNoDisplay, name.toLocal8Bit().constData(),
                     name.toLocal8Bit().constData());
        return 2;
    }
    return runWindow(argc, argv, window);
}
