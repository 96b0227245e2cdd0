#pragma once
// Dialogs for tests: answers are queued in order, everything shown is
// recorded. A question without a queued answer fails the test.

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "app/dialogs.h"
#include "manual_clock.h"

namespace zh::test {

class ScriptedDialogs final : public Dialogs {
  public:
    struct Shown {
        QString title;
        QString text;
        int flags;
    };

    explicit ScriptedDialogs(ManualClock* clock = nullptr) : clock_(clock) {}

    // Answers, consumed in order.
    std::deque<int> boxAnswers;        // mb::Result codes
    std::deque<QString> fileAnswers;   // open and save requesters
    std::deque<QString> inputAnswers;  // input requester

    // What the program showed.
    std::vector<Shown> boxes;
    QStringList
        requesters;  // "open|title|proposed|pattern", "save|...", "input|title|prompt|proposed"
    QStringList progress;  // progress window operations, one line each
    std::vector<int> sleeps;
    int beeps = 0;

    int messageBox(const QString& title, const QString& text, int flags) override;
    QString openFileRequester(const QString& title, const QString& proposed,
                              const QString& pattern) override;
    QString saveFileRequester(const QString& title, const QString& proposed,
                              const QString& pattern) override;
    QString inputRequester(const QString& title, const QString& prompt,
                           const QString& proposed) override;
    std::vector<DifferenceList> differences;  // the difference lists shown
    void showDifferences(const DifferenceList& list) override { differences.push_back(list); }

    void progressOpen(const QString& title) override;
    void progressClose() override;
    bool progressIsOpen() const override { return progressOpen_; }
    void progressSetTitle(const QString& title) override {
        progress << QStringLiteral("title|") + title;
    }
    void progressSetNote(const QString& text) override { note = text; }
    QString note;
    void progressSetStep(const QString& text) override;
    void progressSetBar(int percent, int colour) override;
    void progressSetStatus(const QString& text, int colour) override;
    void progressSetButton(const QString& caption) override;
    bool progressWaitButton(int timeoutMs) override;
    bool cancelOnNextServe = false;
    // Cancel is pressed at the n-th serve from now (0: never).
    int cancelAtServe = 0;
    // Answers of progressWaitButton, in order (false when empty).
    std::deque<bool> buttonAnswers;
    bool servePendingEvents() override;
    void sleep(int ms) override;
    void beep(int, int) override { ++beeps; }

  private:
    ManualClock* clock_;
    bool progressOpen_ = false;
};

}  // namespace zh::test
