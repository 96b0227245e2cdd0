#pragma once
// The dialogs of the windowed program: Qt message boxes and requesters, and
// the progress window kept modal over the main window while it is open.
//
// Everything runs on the one thread: long operations call
// servePendingEvents() between their steps, and sleep() and
// progressWaitButton() run a local event loop, so the window stays alive
// and Cancel can be seen. While the progress window is open the main window
// is disabled, so served events cannot start a second command; without it,
// serving and sleeping leave user input queued for later for the same reason.

#include <QEventLoop>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

#include "app/dialogs.h"

class QWidget;

namespace zh {

class ProgressWindow;

// The requester pattern "Description (*.ext)|*.ext|..." as Qt name filters,
// one "Description (*.ext)" per pair. Several extensions of one entry
// ("*.a;*.b") become "*.a *.b"; "*.*" matches every file, as it does on the
// platform the pattern comes from.
QStringList nameFiltersOfPattern(const QString& pattern);

class QtDialogs final : public Dialogs {
  public:
    // `mainWindow` (may be null) parents the dialogs and is disabled while
    // the progress window is open.
    explicit QtDialogs(QWidget* mainWindow = nullptr);
    ~QtDialogs() override;
    QtDialogs(const QtDialogs&) = delete;
    QtDialogs& operator=(const QtDialogs&) = delete;

    void setMainWindow(QWidget* mainWindow) { main_ = mainWindow; }
    // The progress button's caption while working (the translated "Cancel"),
    // asked for each time it is shown, so a change of language reaches it.
    void setCancelCaption(std::function<QString()> caption) { cancelCaption_ = std::move(caption); }
    // With nobody at the screen (a screenshot run), a message the progress
    // window waits on is written to standard error and answered at once.
    void setUnattended(bool on) { unattended_ = on; }
    // The open progress window, or null.
    ProgressWindow* progressWindow() const;

    int messageBox(const QString& title, const QString& text, int flags) override;
    QString openFileRequester(const QString& title, const QString& proposed,
                              const QString& pattern) override;
    QString saveFileRequester(const QString& title, const QString& proposed,
                              const QString& pattern) override;
    QString inputRequester(const QString& title, const QString& prompt,
                           const QString& proposed) override;
    void showDifferences(const DifferenceList& list) override;

    void progressOpen(const QString& title) override;
    void progressClose() override;
    bool progressIsOpen() const override;
    void progressSetTitle(const QString& title) override;
    void progressSetNote(const QString& text) override;
    void progressSetStep(const QString& text) override;
    void progressSetBar(int percent, int colour) override;
    void progressSetStatus(const QString& text, int colour) override;
    void progressSetButton(const QString& caption) override;
    // -1 waits without limit. Without a progress window there is nothing to
    // press, so it returns false at once.
    bool progressWaitButton(int timeoutMs) override;

    bool servePendingEvents() override;
    void serveWhileWaiting(bool userInput) override;
    void sleep(int ms) override;
    void beep(int frequencyHz, int durationMs) override;

    // A widget's window; anything else (or null) means the main window.
    void setAskingWindow(QObject* window) override;
    QObject* askingWindow() const override;

  private:
    // The window that asks when it is shown, else the main window.
    QWidget* owner() const;
    QWidget* dialogParent() const;
    void buttonPressed();
    void closeBoxUsed();
    // Hides the window, gives the main window back and forgets the window;
    // it is deleted at once, or later when its own event is still running.
    void dismissProgress(bool deleteLater);
    // Runs a local event loop until `ms` passed (-1: until quit).
    void runLoop(QEventLoop& loop, int ms);
    // User input is served only while the progress window keeps the main
    // window disabled.
    QEventLoop::ProcessEventsFlags servedEvents() const;

    QPointer<QWidget> main_;
    QPointer<QWidget> asking_;
    QPointer<QWidget> over_;  // the window the progress window opened over
    QPointer<ProgressWindow> window_;
    std::function<QString()> cancelCaption_;
    QString cancelCaption() const;
    bool cancelPending_ = false;  // reported once by servePendingEvents
    bool buttonPressed_ = false;  // seen by progressWaitButton
    bool unattended_ = false;
    int serving_ = 0;  // depth of our own event serving
    QEventLoop* waiting_ = nullptr;
};

}  // namespace zh
