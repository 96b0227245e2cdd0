#include "ui/dialogs/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <functional>

#include "app/gadgets.h"
#include "app/program.h"
#include "hart/progress_steps.h"
#include "support/memory_gadgets.h"
#include "ui/dialogs/progress_window.h"

namespace zh {
namespace {

// Answers the next modal dialog once it is up (the call that shows it blocks).
void whenModal(std::function<void(QWidget*)> answer, int triesLeft = 200) {
    QTimer::singleShot(10, [answer, triesLeft] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            answer(w);
        } else if (triesLeft > 0) {
            whenModal(answer, triesLeft - 1);
        } else {
            ADD_FAILURE() << "no modal dialog appeared";
        }
    });
}

template <typename W>
W* gadget(QtDialogs& d, int number) {
    return d.progressWindow()->findChild<W*>(QStringLiteral("gadget") + QString::number(number));
}

QPushButton* progressButton(QtDialogs& d) {
    return gadget<QPushButton>(d, ProgressWindow::kButton);
}

struct ProgressFixture : ::testing::Test {
    QWidget main;
    QtDialogs dialogs{&main};
    void SetUp() override {
        main.setGeometry(100, 50, 800, 600);
        main.show();
        dialogs.progressOpen(QStringLiteral("HART"));
    }
};

TEST_F(ProgressFixture, OpensBesideTheMainWindowWithItsControlsInPlace) {
    ProgressWindow* w = dialogs.progressWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->size(), QSize(418, 112));
    EXPECT_EQ(w->pos(), main.pos() + QPoint(250, 100));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("HART"));
    const struct {
        int number;
        QRect place;
    } controls[] = {{399, {20, 12, 32, 32}},  {400, {60, 14, 300, 30}}, {401, {60, 54, 300, 16}},
                    {402, {300, 78, 60, 26}}, {403, {60, 82, 230, 16}}, {404, {370, 55, 30, 16}}};
    for (const auto& c : controls) {
        QWidget* g = gadget<QWidget>(dialogs, c.number);
        ASSERT_NE(g, nullptr) << c.number;
        EXPECT_EQ(g->geometry(), c.place) << c.number;
    }
    EXPECT_EQ(progressButton(dialogs)->text(), QStringLiteral("Cancel"));
    // A longer caption widens the button to the left; the status line gives way.
    w->setButtonCaption(QStringLiteral("Abbrechen und schließen"));
    const QRect button = progressButton(dialogs)->geometry();
    EXPECT_EQ(button.right(), 359);
    EXPECT_GT(button.width(), progressButton(dialogs)->fontMetrics().horizontalAdvance(
                                  progressButton(dialogs)->text()));
    EXPECT_LT(gadget<QWidget>(dialogs, ProgressWindow::kStatus)->geometry().right(), button.left());

    QtDialogs alone;
    alone.progressOpen(QStringLiteral("HART"));
    EXPECT_EQ(alone.progressWindow()->pos(), QPoint(250, 200));
}

TEST_F(ProgressFixture, KeepsTheMainWindowDisabledWhileOpen) {
    QPointer<ProgressWindow> w = dialogs.progressWindow();
    EXPECT_FALSE(main.isEnabled());
    EXPECT_TRUE(w->isEnabled());
    dialogs.progressOpen(QStringLiteral("again"));  // an open window is reused
    EXPECT_EQ(dialogs.progressWindow(), w.data());
    dialogs.progressClose();
    EXPECT_TRUE(main.isEnabled());
    EXPECT_FALSE(dialogs.progressIsOpen());
    EXPECT_TRUE(w.isNull());
    // Nothing to show into any more: no crash, no window.
    dialogs.progressSetStep(QStringLiteral("late"));
    EXPECT_FALSE(dialogs.progressWaitButton(-1));

    // For another window that asks it opens over that one, keeps it
    // disabled too and gives it back; a message comes up over it as well.
    QWidget other;
    other.setGeometry(400, 300, 300, 200);
    other.show();
    {
        const AskingWindow asking(dialogs, &other);
        dialogs.progressOpen(QStringLiteral("HART"));
        ProgressWindow* p = dialogs.progressWindow();
        EXPECT_EQ(p->pos(), other.pos() + QPoint(250, 100));
        EXPECT_EQ(p->windowHandle()->transientParent(), other.windowHandle());
        EXPECT_FALSE(other.isEnabled());
        EXPECT_FALSE(main.isEnabled());
        dialogs.progressClose();
        const QWidget* over = nullptr;
        whenModal([&](QWidget* box) {
            over = box->parentWidget();
            qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
        });
        dialogs.messageBox(QStringLiteral("Write"), QStringLiteral("Serial port is busy"),
                           mb::Ok | mb::IconError);
        EXPECT_EQ(over, &other);
    }
    EXPECT_TRUE(other.isEnabled());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_EQ(dialogs.askingWindow(), nullptr);
}

TEST_F(ProgressFixture, ShowsTextsBarAndColours) {
    auto* bar = gadget<QProgressBar>(dialogs, ProgressWindow::kBar);
    auto* status = gadget<QLabel>(dialogs, ProgressWindow::kStatus);
    const QColor defaultText = status->palette().color(QPalette::WindowText);

    dialogs.progressSetStep(QStringLiteral("Testing display ... (C190_012)"));
    dialogs.progressSetBar(57, rgb(0, 0, 255));
    dialogs.progressSetStatus(QStringLiteral("Retrying ..."), rgb(255, 0, 0));
    dialogs.progressSetNote(QStringLiteral("12:00:01 Testing display ..."));
    dialogs.progressSetButton(QStringLiteral("OK"));
    EXPECT_EQ(gadget<QLabel>(dialogs, ProgressWindow::kStep)->text(),
              QStringLiteral("Testing display ... (C190_012)"));
    EXPECT_EQ(bar->value(), 57);
    EXPECT_EQ(bar->palette().color(QPalette::Highlight), QColor(0, 0, 255));
    EXPECT_EQ(status->text(), QStringLiteral("Retrying ..."));
    EXPECT_EQ(status->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(gadget<QLabel>(dialogs, ProgressWindow::kNote)->toolTip(),
              QStringLiteral("12:00:01 Testing display ..."));
    EXPECT_EQ(progressButton(dialogs)->text(), QStringLiteral("OK"));

    dialogs.progressSetBar(140, rgb(255, 0, 0));
    EXPECT_EQ(bar->value(), 100);
    dialogs.progressSetStatus(QString(), -1);
    EXPECT_EQ(status->palette().color(QPalette::WindowText), defaultText);
}

TEST_F(ProgressFixture, CancelIsReportedOnceByServing) {
    EXPECT_FALSE(dialogs.servePendingEvents());
    progressButton(dialogs)->click();
    EXPECT_TRUE(dialogs.servePendingEvents());
    EXPECT_FALSE(dialogs.servePendingEvents());
}

TEST_F(ProgressFixture, WaitForTheButtonEndsByTimeOutOrPress) {
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(dialogs.progressWaitButton(80));
    EXPECT_GE(t.elapsed(), 75);

    // A Cancel pressed before the message does not answer it.
    progressButton(dialogs)->click();
    EXPECT_FALSE(dialogs.progressWaitButton(20));
    QTimer::singleShot(30, [this] { progressButton(dialogs)->click(); });
    EXPECT_TRUE(dialogs.progressWaitButton(-1));
    // The press answered the message; the next step is not cancelled by it.
    EXPECT_FALSE(dialogs.servePendingEvents());
}

TEST_F(ProgressFixture, CloseBoxCancelsARunningOperationElseClosesTheWindow) {
    // While an operation waits, the close box answers like the button.
    QTimer::singleShot(20, [this] { dialogs.progressWindow()->close(); });
    EXPECT_TRUE(dialogs.progressWaitButton(5000));
    ASSERT_TRUE(dialogs.progressIsOpen());

    QTimer::singleShot(0, [this] { dialogs.progressWindow()->close(); });
    dialogs.sleep(30);
    ASSERT_TRUE(dialogs.progressIsOpen());
    EXPECT_TRUE(dialogs.servePendingEvents());

    // With nothing running, it closes the window and gives the main window back.
    dialogs.progressWindow()->close();
    EXPECT_FALSE(dialogs.progressIsOpen());
    EXPECT_TRUE(main.isEnabled());
    dialogs.progressOpen(QStringLiteral("next"));
    EXPECT_FALSE(dialogs.servePendingEvents()) << "a new window starts without a Cancel";
}

// An error stays, whole, until the person closes it, even when the
// message display time is short (as during a switch test).
TEST_F(ProgressFixture, AnErrorStaysWholeUntilClosed) {
    test::ManualClock clock;
    test::MemoryGadgets gadgets{clock};
    Program program{dialogs, gadgets, clock};
    program.state.MessageDisplayTime = 20;
    const QString error = QStringLiteral(
        "No reliable answer to command 191 (no device response: try 1: no answer "
        "within 286 ms; try 2: no answer within 286 ms)");
    bool shownAfterTheTime = false;
    QTimer::singleShot(200, [&] {
        auto* status = gadget<QLabel>(dialogs, ProgressWindow::kStatus);
        const QRect needed = status->fontMetrics().boundingRect(QRect(0, 0, status->width(), 1000),
                                                                Qt::TextWordWrap, status->text());
        // Wrapped, and the window grown to hold all of it.
        shownAfterTheTime = dialogs.progressWindow()->isVisible() &&
                            status->text() == error + " (C191)" &&
                            status->height() >= needed.height() &&
                            status->geometry().bottom() < dialogs.progressWindow()->height();
        progressButton(dialogs)->click();
    });
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(ProgressSteps(program).checkStep(4, 0, error, QStringLiteral("C191")), 1);
    EXPECT_GE(t.elapsed(), 190);
    EXPECT_TRUE(shownAfterTheTime);
}

TEST_F(ProgressFixture, SleepKeepsTheWindowServed) {
    bool served = false;
    QTimer::singleShot(10, [&] { served = true; });
    QElapsedTimer t;
    t.start();
    dialogs.sleep(60);
    EXPECT_GE(t.elapsed(), 55);
    EXPECT_TRUE(served);
}

TEST(QtDialogs, MessageBoxAnswersWithThePressedButtonsCode) {
    const struct {
        int flags;
        QMessageBox::StandardButton preselected;
        QMessageBox::StandardButton pressed;
        int result;
    } cases[] = {
        {mb::Ok | mb::IconInformation, QMessageBox::Ok, QMessageBox::Ok, mb::ResultOk},
        {mb::OkCancel | mb::IconExclamation, QMessageBox::Ok, QMessageBox::Cancel,
         mb::ResultCancel},
        {mb::AbortRetryIgnore | mb::DefaultButton3, QMessageBox::Ignore, QMessageBox::Retry,
         mb::ResultRetry},
        {mb::YesNoCancel | mb::IconQuestion, QMessageBox::Yes, QMessageBox::No, mb::ResultNo},
        {mb::YesNo | mb::IconExclamation | mb::DefaultButton2, QMessageBox::No, QMessageBox::Yes,
         mb::ResultYes},
        {mb::RetryCancel | mb::IconError, QMessageBox::Retry, QMessageBox::Retry, mb::ResultRetry},
    };
    QtDialogs dialogs;
    for (const auto& c : cases) {
        QString shownText;
        int shownWidth = 0;
        QMessageBox::StandardButton preselected = QMessageBox::NoButton;
        whenModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            shownText = box->text();
            shownWidth = box->width();
            preselected = box->standardButton(box->defaultButton());
            box->button(c.pressed)->click();
        });
        EXPECT_EQ(dialogs.messageBox(
                      QStringLiteral("Teach upper Range - measuring range has been changed"),
                      QStringLiteral("Data have been changed! Save?\r - File not updated!\r<file>"),
                      c.flags),
                  c.result)
            << c.flags;
        EXPECT_EQ(preselected, c.preselected) << c.flags;
        // Wide enough for its whole title in the title bar's bold font,
        // beside the bar's icon and buttons.
        QFont bold = QApplication::font();
        bold.setBold(true);
        EXPECT_GT(shownWidth, QFontMetrics(bold).horizontalAdvance(QStringLiteral(
                                  "Teach upper Range - measuring range has been changed")) +
                                  100);
        EXPECT_EQ(shownText,
                  QStringLiteral("Data have been changed! Save?\n - File not updated!\n<file>"));
    }
}

TEST(QtDialogs, PatternBecomesNameFilters) {
    const struct {
        const char* pattern;
        QStringList filters;
    } cases[] = {
        {"Pressure (*.cfp)|*.cfp|All Files(*.*)|*.*", {"Pressure (*.cfp)", "All Files (*)"}},
        // A trailing ";" leaves no empty pattern behind.
        {"Konfiguration (*.ini)|*.ini;|Alle Dateien (*.*)|*.*",
         {"Konfiguration (*.ini)", "Alle Dateien (*)"}},
        {"Data|*.cfp;*.cft", {"Data (*.cfp *.cft)"}},
        // What is filtered by wins over what the label shows.
        {"Pressure (*.cfp)|*.cft", {"Pressure (*.cft)"}},
        {"Temperature (*.cft)", {"Temperature (*.cft)"}},
        {"|*.cfp", {"*.cfp"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nameFiltersOfPattern(QString::fromUtf8(c.pattern)), c.filters) << c.pattern;
}

}  // namespace
}  // namespace zh
