#pragma once
// Dialogs for a run nobody watches: every message box is answered with its
// default button and every requester with what it proposes, while the
// progress window is still shown by the dialogs underneath. Boxes with the
// error icon and errors the progress window would wait on count as
// failures, so the caller can tell whether a command went wrong.

#include "dialogs.h"

namespace zh {

class UnattendedDialogs : public Dialogs {
  public:
    explicit UnattendedDialogs(Dialogs& shown) : shown_(shown) {}

    int failures() const { return failures_; }
    const QString& lastFailure() const { return lastFailure_; }

    int messageBox(const QString& title, const QString& text, int flags) override;
    QString openFileRequester(const QString&, const QString& proposed, const QString&) override {
        return proposed;
    }
    QString saveFileRequester(const QString&, const QString& proposed, const QString&) override {
        return proposed;
    }
    QString inputRequester(const QString&, const QString&, const QString& proposed) override {
        return proposed;
    }

    void progressOpen(const QString& title) override { shown_.progressOpen(title); }
    void progressClose() override { shown_.progressClose(); }
    bool progressIsOpen() const override { return shown_.progressIsOpen(); }
    void progressSetTitle(const QString& title) override { shown_.progressSetTitle(title); }
    void progressSetNote(const QString& text) override { shown_.progressSetNote(text); }
    void progressSetStep(const QString& text) override { shown_.progressSetStep(text); }
    void progressSetBar(int percent, int colour) override {
        shown_.progressSetBar(percent, colour);
    }
    void progressSetStatus(const QString& text, int colour) override;
    void progressSetButton(const QString& caption) override { shown_.progressSetButton(caption); }
    bool progressWaitButton(int timeoutMs) override;
    bool servePendingEvents() override { return shown_.servePendingEvents(); }
    void serveWhileWaiting(bool userInput) override { shown_.serveWhileWaiting(userInput); }
    void sleep(int ms) override { shown_.sleep(ms); }
    void beep(int, int) override {}

  private:
    void fail(const QString& text);

    Dialogs& shown_;
    QString status_;
    int failures_ = 0;
    QString lastFailure_;
};

// The answer a message box of style `flags` gives when its default button is
// taken; a box that offers to retry is cancelled, so nothing loops.
int defaultAnswer(int flags);

}  // namespace zh
