#include "scripted_dialogs.h"

#include <gtest/gtest.h>

namespace zh::test {

int ScriptedDialogs::messageBox(const QString& title, const QString& text, int flags) {
    boxes.push_back({title, text, flags});
    if (boxAnswers.empty()) {
        // A plain OK box needs no scripted answer; a question does.
        if ((flags & 0xF) != mb::Ok) ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return mb::ResultOk;
    }
    const int answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
}

namespace {
QString take(std::deque<QString>& answers, const QString& what) {
    if (answers.empty()) {
        ADD_FAILURE() << "no scripted answer for " << what.toStdString();
        return QString();
    }
    QString a = answers.front();
    answers.pop_front();
    return a;
}
}  // namespace

QString ScriptedDialogs::openFileRequester(const QString& title, const QString& proposed,
                                           const QString& pattern) {
    requesters << QStringList{QStringLiteral("open"), title, proposed, pattern}.join(
        QLatin1Char('|'));
    return take(fileAnswers, requesters.last());
}

QString ScriptedDialogs::saveFileRequester(const QString& title, const QString& proposed,
                                           const QString& pattern) {
    requesters << QStringList{QStringLiteral("save"), title, proposed, pattern}.join(
        QLatin1Char('|'));
    return take(fileAnswers, requesters.last());
}

QString ScriptedDialogs::inputRequester(const QString& title, const QString& prompt,
                                        const QString& proposed) {
    requesters << QStringList{QStringLiteral("input"), title, prompt, proposed}.join(
        QLatin1Char('|'));
    return take(inputAnswers, requesters.last());
}

void ScriptedDialogs::progressOpen(const QString& title) {
    progressOpen_ = true;
    progress << QStringLiteral("open|") + title;
}
void ScriptedDialogs::progressClose() {
    progressOpen_ = false;
    progress << QStringLiteral("close");
}
void ScriptedDialogs::progressSetStep(const QString& text) {
    progress << QStringLiteral("step|") + text;
}
void ScriptedDialogs::progressSetBar(int percent, int colour) {
    progress << QStringLiteral("bar|%1|%2").arg(percent).arg(colour);
}
void ScriptedDialogs::progressSetStatus(const QString& text, int colour) {
    progress << QStringLiteral("status|%1|%2").arg(text).arg(colour);
}
void ScriptedDialogs::progressSetButton(const QString& caption) {
    progress << QStringLiteral("button|") + caption;
}
bool ScriptedDialogs::progressWaitButton(int timeoutMs) {
    progress << QStringLiteral("wait|%1").arg(timeoutMs);
    if (clock_ && timeoutMs > 0) clock_->advance(timeoutMs);
    if (buttonAnswers.empty()) return false;
    const bool pressed = buttonAnswers.front();
    buttonAnswers.pop_front();
    return pressed;
}
bool ScriptedDialogs::servePendingEvents() {
    bool cancel = cancelOnNextServe;
    cancelOnNextServe = false;
    if (cancelAtServe > 0 && --cancelAtServe == 0) cancel = true;
    return cancel;
}
void ScriptedDialogs::sleep(int ms) {
    sleeps.push_back(ms);
    if (clock_) clock_->advance(ms);
}

}  // namespace zh::test
