#pragma once
// The seam between the program's logic and the person in front of it, for
// everything that asks or tells: message boxes, requesters and the progress
// window. The Qt implementation lives with the window; tests script answers.

#include <QString>
#include <QStringList>
#include <vector>

class QObject;

namespace zh {

// Message box style flags and results, numbered as the platform message box
// numbers them (buttons in the low nibble, icon in the second, default button
// in the third).
namespace mb {
constexpr int Ok = 0x0;
constexpr int OkCancel = 0x1;
constexpr int AbortRetryIgnore = 0x2;
constexpr int YesNoCancel = 0x3;
constexpr int YesNo = 0x4;
constexpr int RetryCancel = 0x5;
// Save, Discard, Cancel: the one question before unsaved data would be lost.
constexpr int SaveDiscardCancel = 0x6;
constexpr int IconError = 0x10;
constexpr int IconQuestion = 0x20;
constexpr int IconExclamation = 0x30;
constexpr int IconInformation = 0x40;
constexpr int DefaultButton2 = 0x100;
constexpr int DefaultButton3 = 0x200;

constexpr int ResultOk = 1;
constexpr int ResultCancel = 2;
constexpr int ResultAbort = 3;
constexpr int ResultRetry = 4;
constexpr int ResultIgnore = 5;
constexpr int ResultYes = 6;
constexpr int ResultNo = 7;
constexpr int ResultSave = 20;
constexpr int ResultDiscard = 21;
}  // namespace mb

// A list of fields whose values differ between the device and a data set,
// with the texts of its window already in the person's language.
struct DifferenceList {
    QString title;
    QStringList headers;            // the column captions
    std::vector<QStringList> rows;  // one per field, a text per column
    QStringList lines;              // what "Save as text" writes, one line per field
    QString saveCaption;            // the button that saves the lines
    QString closeCaption;
    QString saveTitle;  // the save requester's title
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // Shows a message box; returns one of the mb::Result codes (0 if none).
    virtual int messageBox(const QString& title, const QString& text, int flags) = 0;

    // File requesters; an empty result means cancelled. `pattern` is
    // "Description (*.ext)|*.ext|..." as the profile writes it.
    virtual QString openFileRequester(const QString& title, const QString& proposed,
                                      const QString& pattern) = 0;
    virtual QString saveFileRequester(const QString& title, const QString& proposed,
                                      const QString& pattern) = 0;
    // Input requester; an empty result means cancelled or left empty.
    virtual QString inputRequester(const QString& title, const QString& prompt,
                                   const QString& proposed) = 0;

    // Shows the list until the person closes it; the save button asks for a
    // file (saveFileRequester) and writes the lines to it. Without a window
    // there is nothing to show.
    virtual void showDifferences(const DifferenceList& list) { (void)list; }

    // Progress window.
    virtual void progressOpen(const QString& title) = 0;
    virtual void progressClose() = 0;
    virtual bool progressIsOpen() const = 0;
    virtual void progressSetTitle(const QString& title) = 0;
    // The small text beside the bar (time and step of the last log entry).
    virtual void progressSetNote(const QString& text) = 0;
    virtual void progressSetStep(const QString& text) = 0;
    virtual void progressSetBar(int percent, int colour) = 0;
    virtual void progressSetStatus(const QString& text, int colour) = 0;
    virtual void progressSetButton(const QString& caption) = 0;
    // Waits until the progress window's button is pressed or `timeoutMs` has
    // passed; true when pressed.
    virtual bool progressWaitButton(int timeoutMs) = 0;

    // Serves pending window events; true when Cancel was pressed meanwhile.
    virtual bool servePendingEvents() = 0;
    // Serves pending window events while a device exchange waits for its
    // answer; a Cancel pressed meanwhile stays for servePendingEvents. User
    // input is served while the progress window is open, and otherwise only
    // with `userInput` (commands it starts queue behind the exchange).
    virtual void serveWhileWaiting(bool userInput) { (void)userInput; }
    // Waits `ms` milliseconds while keeping the window alive.
    virtual void sleep(int ms) = 0;
    // The error signal (a short tone).
    virtual void beep(int frequencyHz, int durationMs) = 0;

    // The window a command runs in (null: the main window). Messages,
    // requesters and the progress window come up over it, so none opens
    // behind the window that asked. Set through AskingWindow.
    virtual void setAskingWindow(QObject* window) { (void)window; }
    virtual QObject* askingWindow() const { return nullptr; }
};

// While it lives, `window` is the window that asks.
class AskingWindow {
  public:
    AskingWindow(Dialogs& dialogs, QObject* window)
        : dialogs_(dialogs), before_(dialogs.askingWindow()) {
        dialogs_.setAskingWindow(window);
    }
    ~AskingWindow() { dialogs_.setAskingWindow(before_); }
    AskingWindow(const AskingWindow&) = delete;
    AskingWindow& operator=(const AskingWindow&) = delete;

  private:
    Dialogs& dialogs_;
    QObject* before_;
};

}  // namespace zh
