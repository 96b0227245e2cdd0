#pragma once
// The assembled window program for tests: the shipped resources copied into
// a scratch folder, the program context and window as main() builds them,
// the simulated device behind the "Sim" port, and a helper that answers the
// message boxes that come up.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/clock.h"
#include "app/menu_ids.h"
#include "app/profile_settings.h"
#include "app/program.h"
#include "app/startup.h"
#include "files/data_commands.h"
#include "hart/link_library.h"
#include "sim/memory_file.h"
#include "support/ending_probe.h"
#include "ui/application/application.h"
#include "ui/application/application_check.h"
#include "ui/dialogs/qt_dialogs.h"
#include "ui/window/field_controls.h"
#include "ui/window/main_window.h"
#include "ui/window/menu_builder.h"
#include "ui/window/qt_gadgets.h"

// Failures show texts as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace zh {

// Answers every message box that comes up while it lives with `answer`
// (the box's default button when it has no such button) and keeps the
// texts of the boxes it answered and the windows they came up over. A
// message of the progress window that waits for OK (an error stays until it
// is pressed) is answered with OK, its text kept in `progressMessages`. A
// list of differences is closed, the names it listed kept in `differences`.
// `shown` keeps the texts of both kinds in the order they came up.
class BoxAnswerer {
  public:
    BoxAnswerer() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    QStringList texts;
    QList<const QWidget*> over;  // the window each box came up over
    QStringList progressMessages;
    QStringList differences;
    QStringList shown;

  private:
    void poll() {
        answerProgress();
        closeDifferences();
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        texts << box->text();
        shown << box->text();
        over << (box->parentWidget() ? box->parentWidget()->window() : nullptr);
        QAbstractButton* b = box->button(answer);
        if (!b) b = box->defaultButton();
        if (!b) b = box->escapeButton();
        if (b)
            b->click();
        else
            box->reject();
    }
    void closeDifferences() {
        auto* list = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!list || list->objectName() != QLatin1String("differences")) return;
        if (auto* table = list->findChild<QTableWidget*>(QStringLiteral("differenceTable")))
            for (int row = 0; row < table->rowCount(); ++row)
                differences << table->item(row, 1)->text();
        list->reject();
    }
    void answerProgress() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != QLatin1String("window3") || !w->isVisible()) continue;
            auto* ok = w->findChild<QPushButton*>(QStringLiteral("gadget402"));
            auto* message = w->findChild<QLabel*>(QStringLiteral("gadget403"));
            if (!ok || ok->text() != QLatin1String("OK")) continue;
            if (message) {
                progressMessages << message->text();
                shown << message->text();
            }
            ok->click();
        }
    }
    QTimer timer_;
};

// Answers the file requester with `file`.
class FileAnswer {
  public:
    explicit FileAnswer(const QString& file) {
        QObject::connect(&timer_, &QTimer::timeout, [file] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) return;
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            if (!name || !buttons) return;
            // As a user does it: the file type, then the name.
            for (const QString& filter : dialog->nameFilters())
                if (filter.contains(QStringLiteral("*.") + QFileInfo(file).suffix()))
                    dialog->selectNameFilter(filter);
            name->clear();
            name->setText(file);
            for (QAbstractButton* b : buttons->buttons())
                if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole) b->click();
        });
        timer_.start(20);
    }

  private:
    QTimer timer_;
};

// The shipped resources copied into `dir`, the profile of `edition` (the
// executable's name, "ZEL-HART" or "KALVERO_S") with every `edits` pair
// replaced, and `program` started on them as main() starts it, the link
// library bound. The simulated device is behind the profiles' "Sim" port.
inline void startRigProgram(Program& program, LinkLibrary& link, const QTemporaryDir& dir,
                            const QString& edition,
                            const QList<QPair<QByteArray, QByteArray>>& edits) {
    const QDir from(QStringLiteral(ZH_SOURCE_DIR "/resources"));
    QDirIterator it(from.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = dir.filePath(from.relativeFilePath(source));
        QDir().mkpath(QFileInfo(target).path());
        EXPECT_TRUE(QFile::copy(source, target)) << qPrintable(target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
    const QString profile = dir.filePath(edition == "ZEL-HART" ? "Config-125.ini" : "Config.ini");
    QFile f(profile);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray text = f.readAll();
    f.close();
    for (const auto& [from, to] : edits) {
        EXPECT_TRUE(text.contains(from)) << from.constData();
        text.replace(from, to);
    }
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();

    StartupHooks hooks;
    hooks.bindLinkLibrary = [&link] {
        EXPECT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so")));
    };
    EXPECT_TRUE(runStartup(program, edition, dir.path(), {}, hooks).runWindow);
    EXPECT_TRUE(readProfileFile(program));
}

// The program folder, program context and window as main() builds them,
// with the simulated device behind the "Sim" port of the shipped profiles.
class AppRig {
  public:
    // `edition` is the executable's name ("ZEL-HART" or "KALVERO_S"); the
    // profile it reads is copied with every `edits` pair replaced.
    AppRig(const QString& edition, const QList<QPair<QByteArray, QByteArray>>& edits = {}) {
        qputenv("HARTSIM_OPTIONS", "presence=both");
        startRigProgram(program, link, dir, edition, edits);
        app = std::make_unique<Application>(program, gadgets, dialogs, link, probe);
    }
    ~AppRig() {
        app.reset();
        qunsetenv("HARTSIM_OPTIONS");
    }

    MainWindow& window() const { return *app->window(); }
    // The main window's menu titles, left to right, as they read (the
    // mnemonic mark is not shown).
    QStringList menuTitles() const {
        QStringList titles;
        for (QAction* a : window().menuBar()->actions()) titles << shown(a->text());
        return titles;
    }
    static QString shown(QString text) { return text.remove(QLatin1Char('&')); }
    // The language entry of the menu showing `name`; -1 when there is none.
    int languageEntry(const QString& name) const {
        for (int id = menu::kFirstLanguage; id <= menu::kLastLanguage; ++id) {
            if (app->menus()->hasItem(id) && shown(app->menus()->action(id)->text()) == name)
                return id;
        }
        return -1;
    }
    bool showsLabel(const QString& text) const {
        for (QLabel* l : window().findChildren<QLabel*>())
            if (l->text() == text) return true;
        return false;
    }
    int control(const char* name) const { return controlNumber(QLatin1String(name)); }
    const FieldRecord& field(const char* name) const {
        return app->model().fields.at(app->model().fields.find(QLatin1String(name)));
    }
    void read() {
        app->command(menu::kReadAll);
        QApplication::processEvents();
    }

    QTemporaryDir dir;
    BoxAnswerer boxes;
    QtDialogs dialogs;
    QtGadgets gadgets;
    SteadyClock clock;
    Program program{dialogs, gadgets, clock};
    LinkLibrary link{program.log};
    test::EndingProbe probe;
    std::unique_ptr<Application> app;
};

// The simulated device's memories as its state file holds them now.
inline hartsim::Memory deviceMemory(const QString& stateFile) {
    hartsim::Memory m;
    EXPECT_TRUE(hartsim::loadMemoryFile(stateFile.toStdString(), &m)) << qPrintable(stateFile);
    return m;
}

}  // namespace zh
