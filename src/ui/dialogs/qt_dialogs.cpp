#include "ui/dialogs/qt_dialogs.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "files/file_operation.h"
#include "ui/dialogs/button_mnemonics.h"
#include "ui/dialogs/differences_dialog.h"
#include "ui/dialogs/progress_window.h"

namespace zh {
namespace {

// A trailing "(*.ext ...)" of a requester label: the patterns as the label
// shows them.
const QRegularExpression& shownPatterns() {
    static const QRegularExpression re(QStringLiteral("\\s*\\(([^()]*\\*[^()]*)\\)\\s*$"));
    return re;
}

QStringList globsOf(const QString& text) {
    QStringList globs;
    for (QString g :
         text.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts)) {
        if (g == QLatin1String("*.*")) g = QStringLiteral("*");
        if (!globs.contains(g)) globs << g;
    }
    return globs;
}

// The buttons in the platform's order, so that the default-button flag
// counts them as the platform does.
QList<QMessageBox::StandardButton> buttonsOf(int flags) {
    using B = QMessageBox;
    switch (flags & 0xF) {
        case mb::OkCancel:
            return {B::Ok, B::Cancel};
        case mb::AbortRetryIgnore:
            return {B::Abort, B::Retry, B::Ignore};
        case mb::YesNoCancel:
            return {B::Yes, B::No, B::Cancel};
        case mb::YesNo:
            return {B::Yes, B::No};
        case mb::RetryCancel:
            return {B::Retry, B::Cancel};
        case mb::SaveDiscardCancel:
            return {B::Save, B::Discard, B::Cancel};
        default:
            return {B::Ok};
    }
}

// The window manager draws the title in its own, often bold and larger,
// font beside an icon and three buttons; a dialog as narrow as its contents
// cuts a longer title off. Wide enough for the whole title (never wider than
// the screen).
constexpr int kTitleBarDecorations = 140;

int wholeTitleWidth(const QWidget& dialog) {
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    if (titleFont.pointSizeF() > 0) titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    const int needed =
        QFontMetrics(titleFont).horizontalAdvance(dialog.windowTitle()) + kTitleBarDecorations;
    if (const QScreen* screen = dialog.screen())
        return std::min(needed, screen->availableGeometry().width());
    return needed;
}

void showWholeTitle(QInputDialog& dialog) {
    const int needed = wholeTitleWidth(dialog);
    // The dialog's layout sizes it from its contents, so the entry field
    // is what is made wider.
    auto* entry = dialog.findChild<QLineEdit*>();
    const QMargins margins = dialog.layout() ? dialog.layout()->contentsMargins() : QMargins();
    if (entry)
        entry->setMinimumWidth(
            std::max(entry->minimumWidth(), needed - margins.left() - margins.right()));
}

// A message box sizes itself from its text and buttons; an empty row as
// wide as the title keeps it from cutting the title off.
void showWholeTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const QMargins margins = grid->contentsMargins();
    grid->addItem(new QSpacerItem(wholeTitleWidth(box) - margins.left() - margins.right(), 0,
                                  QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QMessageBox::Icon iconOf(int flags) {
    switch (flags & 0xF0) {
        case mb::IconError:
            return QMessageBox::Critical;
        case mb::IconQuestion:
            return QMessageBox::Question;
        case mb::IconExclamation:
            return QMessageBox::Warning;
        case mb::IconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int resultOf(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return mb::ResultOk;
        case QMessageBox::Cancel:
            return mb::ResultCancel;
        case QMessageBox::Abort:
            return mb::ResultAbort;
        case QMessageBox::Retry:
            return mb::ResultRetry;
        case QMessageBox::Ignore:
            return mb::ResultIgnore;
        case QMessageBox::Yes:
            return mb::ResultYes;
        case QMessageBox::No:
            return mb::ResultNo;
        case QMessageBox::Save:
            return mb::ResultSave;
        case QMessageBox::Discard:
            return mb::ResultDiscard;
        default:
            return 0;
    }
}

// Messages end their lines with a carriage return, a line feed or both.
QString withLineFeeds(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString fileRequester(QWidget* parent, QFileDialog::AcceptMode mode, const QString& title,
                      const QString& proposed, const QString& pattern) {
    // The platform's own dialog cannot be driven offscreen or under Xvfb.
    QFileDialog dialog(parent, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen) {
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setFileMode(QFileDialog::AnyFile);
        // The program asks "File exists, overwrite?" itself.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    const QStringList filters = nameFiltersOfPattern(pattern);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    const QString ext = patternExtension(pattern);
    if (!ext.isEmpty()) dialog.setDefaultSuffix(ext);

    QString path = proposed;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!path.isEmpty()) {
        const QFileInfo info(path);
        if (info.isDir()) {
            dialog.setDirectory(info.absoluteFilePath());
        } else {
            dialog.setDirectory(info.absolutePath());
            // A proposed "*.cfp" names no file, only what to look for.
            const QString name = info.fileName();
            if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?')))
                dialog.selectFile(name);
        }
    }
    if (dialog.exec() != QDialog::Accepted) return QString();
    return dialog.selectedFiles().value(0);
}

}  // namespace

QStringList nameFiltersOfPattern(const QString& pattern) {
    QStringList filters;
    const QStringList parts = pattern.split(QLatin1Char('|'));
    for (int i = 0; i < parts.size(); i += 2) {
        QString label = parts[i].trimmed();
        QStringList globs = i + 1 < parts.size() ? globsOf(parts[i + 1]) : QStringList();
        // The label's own "(*.ext)" is only what it shows; the entry after it
        // is what the requester filters by. A lone label still has to filter.
        const QRegularExpressionMatch shown = shownPatterns().match(label);
        if (shown.hasMatch()) {
            if (globs.isEmpty()) globs = globsOf(shown.captured(1));
            label = label.left(shown.capturedStart()).trimmed();
        }
        if (globs.isEmpty()) {
            if (label.isEmpty()) continue;
            globs << QStringLiteral("*");
        }
        const QString joined = globs.join(QLatin1Char(' '));
        filters << (label.isEmpty() ? joined
                                    : label + QStringLiteral(" (") + joined + QLatin1Char(')'));
    }
    return filters;
}

QtDialogs::QtDialogs(QWidget* mainWindow) : main_(mainWindow) {}

QtDialogs::~QtDialogs() {
    if (window_) dismissProgress(false);
}

ProgressWindow* QtDialogs::progressWindow() const {
    return window_.data();
}

void QtDialogs::setAskingWindow(QObject* window) {
    auto* widget = qobject_cast<QWidget*>(window);
    asking_ = widget ? widget->window() : nullptr;
}

QObject* QtDialogs::askingWindow() const {
    return asking_.data();
}

QWidget* QtDialogs::owner() const {
    return asking_ && asking_->isVisible() ? asking_.data() : main_.data();
}

QWidget* QtDialogs::dialogParent() const {
    // The progress window stays on top of the window that asked while it is
    // open; a question must come up above it, not hidden behind it.
    if (window_) return window_.data();
    return owner();
}

int QtDialogs::messageBox(const QString& title, const QString& text, int flags) {
    QMessageBox box(dialogParent());
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);  // "<filename>" is text, not markup
    box.setText(withLineFeeds(text));
    box.setIcon(iconOf(flags));
    const QList<QMessageBox::StandardButton> buttons = buttonsOf(flags);
    QMessageBox::StandardButtons all;
    for (QMessageBox::StandardButton b : buttons) all |= b;
    box.setStandardButtons(all);
    const int defaultIndex = (flags >> 8) & 0xF;
    box.setDefaultButton(buttons.value(defaultIndex, buttons.first()));
    markButtons(box);
    showWholeTitle(box);
    return resultOf(box.exec());
}

QString QtDialogs::openFileRequester(const QString& title, const QString& proposed,
                                     const QString& pattern) {
    return fileRequester(dialogParent(), QFileDialog::AcceptOpen, title, proposed, pattern);
}

QString QtDialogs::saveFileRequester(const QString& title, const QString& proposed,
                                     const QString& pattern) {
    return fileRequester(dialogParent(), QFileDialog::AcceptSave, title, proposed, pattern);
}

void QtDialogs::showDifferences(const DifferenceList& list) {
    DifferencesDialog dialog(
        dialogParent(), list,
        [this, &list] {
            return saveFileRequester(list.saveTitle, QStringLiteral("differences.txt"),
                                     QStringLiteral("Text (*.txt)|*.txt"));
        },
        [this, &list](const QString& path) {
            messageBox(list.saveTitle, path, mb::Ok | mb::IconError);
        });
    // Its requester and messages come up over the list, not behind it.
    const AskingWindow asking(*this, &dialog);
    dialog.exec();
}

QString QtDialogs::inputRequester(const QString& title, const QString& prompt,
                                  const QString& proposed) {
    QInputDialog dialog(dialogParent());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(proposed);
    showWholeTitle(dialog);
    if (dialog.exec() != QDialog::Accepted) return QString();
    return dialog.textValue();
}

QString QtDialogs::cancelCaption() const {
    return cancelCaption_ ? cancelCaption_() : QStringLiteral("Cancel");
}

void QtDialogs::progressOpen(const QString& title) {
    if (!window_) {
        window_ = new ProgressWindow(cancelCaption());
        window_->onButton([this] { buttonPressed(); });
        window_->onCloseBox([this] { closeBoxUsed(); });
        cancelPending_ = false;
        buttonPressed_ = false;
    }
    ProgressWindow* w = window_.data();
    w->setWindowTitle(title);
    over_ = owner();
    w->placeOver(over_.data());
    if (over_) {
        // Kept above the window that asked by the window manager without
        // being its child: a child would be disabled together with it. (A
        // modal window's transient stays usable.)
        w->winId();
        if (over_->window()->windowHandle())
            w->windowHandle()->setTransientParent(over_->window()->windowHandle());
        over_->setEnabled(false);
    }
    if (main_) main_->setEnabled(false);
    w->show();
    w->raise();
    w->activateWindow();
}

void QtDialogs::progressClose() {
    if (window_) dismissProgress(false);
}

void QtDialogs::dismissProgress(bool deleteLater) {
    ProgressWindow* w = window_.data();
    window_ = nullptr;
    w->hide();
    if (deleteLater) {
        w->deleteLater();
    } else {
        delete w;
    }
    if (waiting_) waiting_->quit();
    if (main_) main_->setEnabled(true);
    // The window that asked comes back to the front, not the main window.
    QWidget* back = over_ ? over_.data() : main_.data();
    over_ = nullptr;
    if (back) {
        back->setEnabled(true);
        back->activateWindow();
    }
}

bool QtDialogs::progressIsOpen() const {
    return !window_.isNull();
}

void QtDialogs::progressSetTitle(const QString& title) {
    if (window_) window_->setWindowTitle(title);
}
void QtDialogs::progressSetNote(const QString& text) {
    if (window_) window_->setNote(text);
}
void QtDialogs::progressSetStep(const QString& text) {
    if (window_) window_->setStep(text);
}
void QtDialogs::progressSetBar(int percent, int colour) {
    if (window_) window_->setBar(percent, colour);
}
void QtDialogs::progressSetStatus(const QString& text, int colour) {
    if (window_) window_->setStatus(text, colour);
}
void QtDialogs::progressSetButton(const QString& caption) {
    if (window_) window_->setButtonCaption(caption);
}

void QtDialogs::buttonPressed() {
    cancelPending_ = true;
    buttonPressed_ = true;
    if (waiting_) waiting_->quit();
}

// The close box is the button's twin while an operation runs (it cancels,
// or acknowledges a message); with nothing running it simply closes the
// window, which would otherwise keep the main window disabled for good.
void QtDialogs::closeBoxUsed() {
    buttonPressed();
    if (serving_ == 0) dismissProgress(true);
}

void QtDialogs::runLoop(QEventLoop& loop, int ms) {
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (ms >= 0) timer.start(ms);
    ++serving_;
    loop.exec(servedEvents());
    --serving_;
}

bool QtDialogs::progressWaitButton(int timeoutMs) {
    if (!window_) return false;
    if (unattended_) {
        std::fprintf(stderr, "%s\n", window_->statusText().toLocal8Bit().constData());
        window_->setButtonCaption(cancelCaption());
        return true;
    }
    // Only a press made while the message is shown answers it.
    buttonPressed_ = false;
    QEventLoop loop;
    waiting_ = &loop;
    runLoop(loop, timeoutMs < 0 ? -1 : timeoutMs);
    waiting_ = nullptr;
    const bool pressed = buttonPressed_;
    // The press answered the message; it is no Cancel for the next step.
    buttonPressed_ = false;
    cancelPending_ = false;
    // Whatever follows the message is work again, which the button cancels.
    if (window_) window_->setButtonCaption(cancelCaption());
    return pressed;
}

QEventLoop::ProcessEventsFlags QtDialogs::servedEvents() const {
    return window_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
}

bool QtDialogs::servePendingEvents() {
    ++serving_;
    QCoreApplication::processEvents(servedEvents());
    --serving_;
    return std::exchange(cancelPending_, false);
}

void QtDialogs::serveWhileWaiting(bool userInput) {
    ++serving_;
    QCoreApplication::processEvents(userInput ? QEventLoop::AllEvents : servedEvents());
    --serving_;
}

void QtDialogs::sleep(int ms) {
    if (ms <= 0) {
        ++serving_;
        QCoreApplication::processEvents(servedEvents());
        --serving_;
        return;
    }
    QEventLoop loop;
    runLoop(loop, ms);
}

void QtDialogs::beep(int, int) {
    QApplication::beep();
}

}  // namespace zh
