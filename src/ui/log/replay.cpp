#include "ui/log/replay.h"

#include "app/clock.h"
#include "app/dialogs.h"
#include "app/gadgets.h"
#include "app/menu_ids.h"
#include "app/program.h"
#include "app/small_file.h"
#include "model/device_model.h"
#include "ui/log/replay_check.h"
#include "ui/window/field_controls.h"

namespace zh {

namespace {

const QString kRun = QStringLiteral("run");
const QString kStepState = QStringLiteral("step");
const QString kPause = QStringLiteral("pause");
const QString kSkip = QStringLiteral("skip");
const QString kUpdateDisplay = QStringLiteral("UpdateDisplay");
constexpr const char* kLogPattern = "Logdatei (*.log)|*.log|Alle Dateien (*.*)|*.*";

bool isReplayButton(const WindowEvent& e, int button) {
    return e.window == replay::kWindow && e.type == EventGadget && e.gadget == button &&
           e.code == GadgetSelect;
}

}  // namespace

int replayDelay(const QString& answer) {
    const QString a = answer.trimmed();
    if (a.isEmpty() || a == QLatin1String("confirm") || a == QLatin1String("conf")) return 0;
    return std::max(0, a.toInt());
}

namespace {

// The replay list of `logLines`, with the log's line number of each entry.
QStringList replayList(const QStringList& logLines, std::vector<int>* numbers) {
    QStringList out;
    for (int i = 0; i < logLines.size(); ++i) {
        const QString& line = logLines.at(i);
        if (line.startsWith(QLatin1String("<-- Read Com190_089")))
            out << QStringLiteral("<<< UpdateDisplay\t|11|19|1|-1|-1|0|0|");
        else if (line.startsWith(QLatin1String(kEventRecordMark)))
            out << line;
        else
            continue;
        if (numbers) numbers->push_back(i + 1);
    }
    return out;
}

// A list line as the person reads it: the name of what it plays.
QString shownName(const QString& line) {
    const QString rest = line.mid(4);
    return isStartRecord(line) ? QString(rest).replace(QLatin1Char('\t'), QLatin1Char(' '))
                               : rest.section(QLatin1Char('\t'), 0, 0);
}

}  // namespace

QStringList Replay::replayLines(const QStringList& logLines) {
    return replayList(logLines, nullptr);
}

bool Replay::load(const QString& title) {
    Dialogs& d = p_.dialogs;
    const QString file = d.openFileRequester(title, QString(), QString::fromLatin1(kLogPattern));
    if (file.isEmpty()) return false;
    const QString delay = d.inputRequester(QStringLiteral("Replay"), QStringLiteral("Delay[msec]:"),
                                           QStringLiteral("300"));
    if (start(file, replayDelay(delay))) return true;
    Messages& m = p_.messages;
    const QString text =
        unreadable_.isEmpty()
            ? m.lookupMessage(QStringLiteral("This log cannot be replayed, nothing was played:"),
                              QStringLiteral("Application")) +
                  p_.state.CR + refusalText()
            : m.lookupMessage(QStringLiteral("can't read file"), QStringLiteral("Application")) +
                  QLatin1Char(' ') + file + QStringLiteral(": ") + unreadable_;
    m.showMessageBox(title, text, mb::Ok | mb::IconError, MsgText::AsIs);
    return false;
}

QString Replay::refusalText() const {
    QStringList out;
    for (const Refusal& r : refused_)
        out << p_.messages.lookupMessage(
            QStringLiteral("line {line}: {text}: {why}\t") + QString::number(r.logLine) +
                QLatin1Char('\t') +
                QString(r.line).replace(QLatin1Char('\t'), QLatin1String("  ")) +
                QLatin1Char('\t') + r.why,
            QStringLiteral("Application"));
    return out.join(p_.state.CR);
}

bool Replay::start(const QString& file, int delayMs, bool running) {
    unreadable_.clear();
    refused_.clear();
    logLines_.clear();
    QByteArray bytes;
    QString why;
    // A pipe or a device is never opened: the read would not end.
    const SmallFileRead read = readSmallFile(file, &bytes, &why, kMaxLogFileBytes);
    if (read != SmallFileRead::Read) {
        unreadable_ = read == SmallFileRead::Missing ? QStringLiteral("it cannot be opened") : why;
        p_.log.debugLog(
            QStringLiteral("Replay: cannot read ") + file + QStringLiteral(": ") + unreadable_, 1);
        return false;
    }
    QStringList logLines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (QString& line : logLines)
        while (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    lines_ = replayList(logLines, &logLines_);
    // Every line is checked before the first is played: a replay that
    // stopped half-way at a line it could not play would leave the device
    // half-way through the work.
    for (int i = 0; i < lines_.size(); ++i) {
        const QString reason = unplayableReason(p_.messages, lines_.at(i), hooks.isCommand);
        if (!reason.isEmpty())
            refused_.push_back(
                Refusal{i + 1, logLines_.at(static_cast<std::size_t>(i)), lines_.at(i), reason});
    }
    if (!refused_.empty()) {
        p_.log.debugLog(QStringLiteral("Replay: ") + file + QStringLiteral(" refused, ") +
                            QString::number(refused_.size()) +
                            QStringLiteral(" line(s) cannot be played"),
                        1);
        return false;
    }
    eventPlayed_ = false;
    delayMs_ = delayMs;
    p_.log.debugLog(QStringLiteral(">>> Replay(") + file + QStringLiteral(", ") +
                        QString::number(lines_.size()) + QStringLiteral(" steps, delay ") +
                        QString::number(delayMs) + QStringLiteral(" ms)"),
                    1);
    if (view_) {
        view_->open(lines_);
        view_->highlight(1);
    }
    p_.state.ReplayLine = 1;
    if (running)
        run(kRun);
    else
        pause();
    return true;
}

bool Replay::active() const {
    return !p_.state.ReplayState.isEmpty();
}
QString Replay::state() const {
    return p_.state.ReplayState;
}

void Replay::pause() {
    p_.state.ReplayState = kPause;
    if (view_) view_->setRunning(false);
}

void Replay::run(const QString& state) {
    p_.state.ReplayState = state;
    if (view_) view_->setRunning(true);
}

void Replay::end() {
    if (!active()) return;
    p_.state.ReplayState.clear();
    p_.log.debugLog(QStringLiteral("Replay ended"), 1);
    if (view_) view_->close();
}

std::optional<WindowEvent> Replay::onEvent(const WindowEvent& e) {
    if (e.type == EventCloseWindow) {
        end();
        return e.window == replay::kWindow ? std::nullopt : std::optional<WindowEvent>(e);
    }
    if (e.window != replay::kWindow) return e;
    const bool waiting = state() == kPause || state() == kStepState;
    if (isReplayButton(e, replay::kStop) && state() == kRun) {
        pause();
        if (view_) view_->activate();
    } else if (waiting && isReplayButton(e, replay::kStep)) {
        run(kStepState);
        released_ = true;
    } else if (waiting && isReplayButton(e, replay::kContinue)) {
        run(kRun);
        released_ = true;
    } else if (waiting && isReplayButton(e, replay::kExit)) {
        end();
    } else if (waiting && e.type == EventLeftDoubleClick && e.gadget == replay::kList &&
               e.code >= 1) {
        p_.state.ReplayLine = std::min<int>(e.code, static_cast<int>(lines_.size()) + 1);
        if (view_) view_->highlight(p_.state.ReplayLine);
    }
    return std::nullopt;
}

std::optional<WindowEvent> Replay::pass() {
    AppState& s = p_.state;
    if (!active()) return std::nullopt;
    if (view_) view_->highlight(s.ReplayLine);

    // Paused, or stepping: the person says when the next line runs (a
    // refresh step goes on at once while stepping).
    const bool refreshNext = lines_.value(s.ReplayLine - 1).contains(kUpdateDisplay);
    if (s.ReplayState == kPause || (s.ReplayState == kStepState && !refreshNext)) {
        if (view_) view_->setRunning(false);
        if (unattended) {
            run(kRun);
        } else {
            const std::optional<WindowEvent> e = p_.gadgets.waitEvent(-1);
            if (!e) return std::nullopt;
            released_ = false;
            if (std::optional<WindowEvent> other = onEvent(*e)) return other;
            // Only "Step" and "Continue" play a line in this pass.
            if (!released_) return std::nullopt;
        }
    }

    if (s.ReplayState == kSkip) s.ReplayState = beforeSkip_;
    if (s.ReplayLine < 1 || s.ReplayLine > lines_.size() || lines_.at(s.ReplayLine - 1).isEmpty()) {
        end();
        return std::nullopt;
    }
    const int step = s.ReplayLine;
    const QString line = lines_.at(step - 1);
    ++s.ReplayLine;
    if (!line.startsWith(QLatin1String(kEventRecordMark))) return std::nullopt;

    if (line.startsWith(QLatin1String(kCommentMark))) {
        p_.log.debugLog(line, 1);
        report(step, line.mid(4), QString());
        // A comment is there to be read: from the third line on the replay stops at it.
        if (step >= 3 && !unattended) pause();
        return std::nullopt;
    }
    report(step, shownName(line), isStartRecord(line) ? playStart(line) : play(line));

    // Stepping: the buttons are ready for the next step at once.
    if (s.ReplayState == kStepState && view_) view_->setRunning(false);
    // Running: the step delay, during which "Stop" pauses and a close box ends the replay.
    if (s.ReplayState == kRun) {
        const std::int64_t until = p_.clock.nowMs() + delayMs_;
        do {
            const int left = static_cast<int>(std::max<std::int64_t>(0, until - p_.clock.nowMs()));
            const std::optional<WindowEvent> e = p_.gadgets.waitEvent(left);
            if (!e) break;
            if (std::optional<WindowEvent> other = onEvent(*e)) return other;
            if (s.ReplayState != kRun) break;
        } while (p_.clock.nowMs() < until);
    }
    return std::nullopt;
}

void Replay::report(int step, const QString& name, const QString& failure) {
    if (!failure.isEmpty()) {
        p_.log.debugLog(QStringLiteral("Replay: step ") + QString::number(step) +
                            QStringLiteral(" failed: ") + failure,
                        1);
        // Somebody watching decides whether to go on.
        if (!unattended) pause();
    }
    if (hooks.played) hooks.played(step, static_cast<int>(lines_.size()), name, failure);
}

QString Replay::playStart(const QString& line) {
    const std::optional<RecordingStart> start = parseStartRecord(line);
    if (!start) return unplayableReason(p_.messages, line, hooks.isCommand);
    // After events of its own the replay holds the data the recording went
    // on with (logging was switched off and on again in between).
    if (eventPlayed_ && p_.state.DataTrigger >= 0) {
        p_.log.debugLog(QStringLiteral("Replay: the data are there already: ") + line, 1);
        return QString();
    }
    p_.log.debugLog(
        QStringLiteral("Replay: bringing back the data the recording began with: ") + line, 1);
    return hooks.restoreStart ? hooks.restoreStart(*start) : QString();
}

QString Replay::play(const QString& line) {
    const std::optional<EventRecord> r = parseEventRecord(line);
    if (!r) return unplayableReason(p_.messages, line, hooks.isCommand);
    eventPlayed_ = true;
    if (r->menu == menu::kToolNew || r->menu == menu::kToolWrite) {
        // The pop-up these open is recorded with the entry chosen from it.
        beforeSkip_ = state();
        p_.state.ReplayState = kSkip;
        return QString();
    }
    if (r->name.trimmed() == kUpdateDisplay) {
        if (hooks.updateDisplay) hooks.updateDisplay();
        return QString();
    }
    restoreInput(*r, line);
    if (hooks.dispatch)
        hooks.dispatch(WindowEvent{r->type, kMainWindow, r->gadget, r->menu, r->code});
    return QString();
}

void Replay::restoreInput(const EventRecord& r, const QString& line) {
    Gadgets& g = p_.gadgets;
    const auto logSet = [&](const QString& value) {
        p_.log.debugLog(r.name + QStringLiteral(" set to '") + value + QLatin1Char('\''), 1);
    };
    if (r.name.startsWith(QLatin1String("tab"))) {
        if (r.panel > 0 && g.exists(r.panel)) g.setState(r.panel, r.tab);
        return;
    }
    const ControlInfo* control = r.gadget > 0 ? findControl(r.gadget) : nullptr;
    if (!control) return;
    const int i = recordOfControl(m_.fields, r.gadget);
    FieldRecord* f = i >= 0 ? &m_.fields.at(i) : nullptr;
    if (control->kind == ControlKind::ComboBox) {
        g.setState(r.gadget, r.content.toInt());
        logSet(r.content);
    } else if (control->kind == ControlKind::String) {
        QString value = r.content;
        if (line.contains(QLatin1String("re-request")) && !unattended) {
            const QString answer = p_.dialogs.inputRequester(QStringLiteral("Replay"),
                                                             QStringLiteral("Adapt input:"), value);
            if (!answer.isEmpty()) value = answer;
        }
        g.setText(r.gadget, value);
        if (f) f->GadStatus = QStringLiteral("infocus");
        logSet(value);
    }
}

}  // namespace zh
