#pragma once
// Dialogs for the fuzz targets: nothing is shown, nothing waits. Message
// boxes take their safest button (as the console dialogs do) and are only
// counted, so that millions of refused inputs do not flood the fuzzer's
// output (FUZZ_SHOW_MESSAGES=1 prints them, to follow one input);
// requesters take the proposed text.

#include <cstdio>
#include <cstdlib>

#include "app/dialogs.h"

namespace zh::fuzz {

class QuietDialogs final : public Dialogs {
  public:
    int messageBox(const QString& title, const QString& text, int flags) override {
        ++boxes;
        if (show_) std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(title), qUtf8Printable(text));
        switch (flags & 0xF) {
            case mb::YesNo:
                return mb::ResultNo;
            case mb::YesNoCancel:
            case mb::OkCancel:
            case mb::RetryCancel:
                return mb::ResultCancel;
            case mb::AbortRetryIgnore:
                return mb::ResultAbort;
            default:
                return mb::ResultOk;
        }
    }
    QString openFileRequester(const QString&, const QString& proposed, const QString&) override {
        return proposed;
    }
    QString saveFileRequester(const QString&, const QString& proposed, const QString&) override {
        return proposed;
    }
    QString inputRequester(const QString&, const QString&, const QString& proposed) override {
        return proposed;
    }

    void progressOpen(const QString&) override { progressOpen_ = true; }
    void progressClose() override { progressOpen_ = false; }
    bool progressIsOpen() const override { return progressOpen_; }
    void progressSetTitle(const QString&) override {}
    void progressSetNote(const QString&) override {}
    void progressSetStep(const QString&) override {}
    void progressSetBar(int, int) override {}
    void progressSetStatus(const QString&, int) override {}
    void progressSetButton(const QString&) override {}
    bool progressWaitButton(int) override { return false; }

    bool servePendingEvents() override { return false; }
    void sleep(int) override {}
    void beep(int, int) override {}

    long boxes = 0;

  private:
    bool progressOpen_ = false;
    bool show_ = std::getenv("FUZZ_SHOW_MESSAGES") != nullptr;
};

}  // namespace zh::fuzz
