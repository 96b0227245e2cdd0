#pragma once
// Dialogs for runs without a window (the connection probe, the start-up
// report, scripted batch runs): messages go to standard error, every
// question takes its safe answer, nothing waits for a person.

#include "dialogs.h"

namespace zh {

class ConsoleDialogs final : public Dialogs {
  public:
    // Message boxes answer with their safest button: No, Cancel or OK.
    int messageBox(const QString& title, const QString& text, int flags) override;
    // File requesters take the proposed file; input requesters the proposed text.
    QString openFileRequester(const QString& title, const QString& proposed,
                              const QString& pattern) override;
    QString saveFileRequester(const QString& title, const QString& proposed,
                              const QString& pattern) override;
    QString inputRequester(const QString& title, const QString& prompt,
                           const QString& proposed) override;

    void progressOpen(const QString& title) override;
    void progressClose() override { progressOpen_ = false; }
    bool progressIsOpen() const override { return progressOpen_; }
    void progressSetTitle(const QString&) override {}
    void progressSetNote(const QString&) override {}
    void progressSetStep(const QString& text) override;
    void progressSetBar(int, int) override {}
    void progressSetStatus(const QString& text, int) override;
    void progressSetButton(const QString&) override {}
    bool progressWaitButton(int timeoutMs) override;

    bool servePendingEvents() override { return false; }
    void sleep(int ms) override;
    void beep(int, int) override;

  private:
    bool progressOpen_ = false;
};

}  // namespace zh
