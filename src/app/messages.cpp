#include "messages.h"

#include <algorithm>

#include "app_state.h"
#include "clock.h"
#include "dialogs.h"
#include "gadgets.h"
#include "logger.h"
#include "message_text.h"
#include "profile.h"
#include "program_folders.h"
#include "text_tables.h"

namespace zh {

Messages::Messages(AppState& state, Profile& profile, Logger& log, Dialogs& dialogs,
                   Gadgets& gadgets, Clock& clock)
    : state_(state),
      profile_(profile),
      log_(log),
      dialogs_(dialogs),
      gadgets_(gadgets),
      clock_(clock) {}

QString Messages::translate(const QString& key, const QString& section, bool captionKey) {
    QString value = profile_.readProfile(section, key, QString(), state_.LanguageFile);
    if (value.isEmpty() && usesUsersCopies(state_)) {
        // The user's copy lacks it (removed, or older than the program): the
        // shipped file's text, and the user's copy stays as the user left it.
        value = profile_.readProfile(section, key, QString(), shippedLanguageFile(state_));
        if (value.isEmpty()) value = key;
    } else if (value.isEmpty()) {
        // Unknown so far: the text becomes its own translation, once, so the
        // translator finds it in the program's own language file.
        profile_.writeData(section, key, key, state_.LanguageFile);
        value = key;
    }
    if (captionKey) {
        value.replace(QLatin1String("&eq;"), QLatin1String("="));
        value.replace(QLatin1String("&sbo;"), QLatin1String("["));
        value.replace(QLatin1String("&sbc;"), QLatin1String("]"));
    }
    return value;
}

QString Messages::lookupMessage(const QString& message, const QString& section) {
    const QString sec = section.isEmpty() ? state_.CurrentMessageSection : section;
    const int tab = message.indexOf(QLatin1Char('\t'));
    const QString text = tab < 0 ? message : message.left(tab);
    if (text.trimmed().isEmpty()) return QString();

    QString value = translate(escapeMessageKey(text), sec, false);
    // Language files cannot keep leading blanks (keys and values are
    // trimmed), so a text that starts with blanks keeps its own.
    const int lead = static_cast<int>(
        std::find_if(text.begin(), text.end(), [](QChar c) { return c != QLatin1Char(' '); }) -
        text.begin());
    if (lead > 0 && !value.startsWith(QLatin1Char(' ')))
        value.prepend(QString(lead, QLatin1Char(' ')));

    if (tab >= 0)
        value = fillPositional(value, message.mid(tab + 1).split(QLatin1Char('\t')), true);
    return unescapeMessage(value);
}

QString Messages::fillPlaceholders(const QString& message) {
    const int tab = message.indexOf(QLatin1Char('\t'));
    if (tab < 0) return message;
    return fillPositional(message.left(tab), message.mid(tab + 1).split(QLatin1Char('\t')), true);
}

QString Messages::answerWord(int result) {
    switch (result) {
        case mb::ResultOk:
            return QStringLiteral("ok");
        case mb::ResultCancel:
            return QStringLiteral("cancel");
        case mb::ResultAbort:
            return QStringLiteral("abort");
        case mb::ResultRetry:
            return QStringLiteral("retry");
        case mb::ResultIgnore:
            return QStringLiteral("ignore");
        case mb::ResultYes:
            return QStringLiteral("yes");
        case mb::ResultNo:
            return QStringLiteral("no");
        case mb::ResultSave:
            return QStringLiteral("save");
        case mb::ResultDiscard:
            return QStringLiteral("discard");
        default:
            return QStringLiteral("-");
    }
}

// Debug.log names the switches of the silent collection by the words the
// message box took for them, so a log reads the same whichever way a box
// was asked for.
void Messages::logBox(const QString& title, const QString& message) {
    log_.debugLog(QStringLiteral(">>> MsgBox(Title$=") + title + QStringLiteral(",  msg$=") +
                      message + QLatin1Char(')'),
                  4);
}

QString Messages::show(const QString& title, const QString& message, int flags) {
    if (silent_) {
        collected_ += message + QLatin1Char('\n');
        return QStringLiteral("ok");
    }
    if (message.isEmpty()) return QStringLiteral("ok");
    return answerWord(dialogs_.messageBox(title, message, flags));
}

QString Messages::showMessageBox(const QString& title, const QString& message, int flags,
                                 MsgText text) {
    logBox(title, message);
    if (text == MsgText::AsIs) return show(title, message, flags);
    return show(lookupMessage(title), lookupMessage(message), flags);
}

void Messages::collectSilently() {
    logBox(QString(), QStringLiteral("~~set silent~~"));
    silent_ = true;
}

void Messages::dropCollected() {
    logBox(QString(), QStringLiteral("~~print nothing~~"));
    silent_ = false;
    collected_.clear();
}

QString Messages::showCollected(const QString& title, int flags, MsgText text) {
    logBox(title, QStringLiteral("~~print all~~"));
    silent_ = false;
    const QString shown = collected_;
    collected_.clear();
    return show(text == MsgText::AsIs ? title : lookupMessage(title), shown, flags);
}

QString Messages::showMessage(const QString& title, const QString& message, int flags) {
    return showMessageBox(title, fillPlaceholders(message), flags, MsgText::AsIs);
}

int Messages::waitForAction(int gadget, int delayMs, const QString& message, const QString& option,
                            int colour) {
    log_.debugLog(QStringLiteral(">>> WaitForAction: GadID=") + QString::number(gadget) +
                      QStringLiteral(" delay=") + QString::number(delayMs) +
                      QStringLiteral(" msg=") + message,
                  4);
    const bool noCancel = option == QLatin1String("nocancel");
    const QString oldText = gadgets_.text(gadget);
    const bool wasEnabled = gadgets_.isEnabled(gadget);

    gadgets_.setText(gadget, message);
    gadgets_.setColours(gadget, colour == -1 ? rgb(0, 255, 0) : colour, -1);
    if (delayMs > 300) gadgets_.setStatusProgress(100);
    gadgets_.setWindowEnabled(kMainWindow, false);
    gadgets_.setEnabled(gadget, !noCancel);

    auto restore = [&] {
        gadgets_.setWindowEnabled(kMainWindow, true);
        gadgets_.setText(gadget, oldText);
        gadgets_.setColours(gadget, -1, -1);
        gadgets_.setEnabled(gadget, wasEnabled);
        gadgets_.setStatusProgress(0);
    };

    const std::int64_t start = clock_.nowMs();
    const int slice = delayMs < 0 ? -1 : std::max(1, delayMs / 50);
    for (;;) {
        const std::int64_t elapsed = clock_.nowMs() - start;
        if (delayMs >= 0 && elapsed >= delayMs) break;
        const std::optional<WindowEvent> ev = gadgets_.waitEvent(slice);
        if (!ev) {
            if (delayMs > 500) {
                const std::int64_t now = clock_.nowMs() - start;
                gadgets_.setStatusProgress(
                    static_cast<int>(std::max<std::int64_t>(0, 100 - now * 100 / delayMs)));
            }
            continue;
        }
        if (ev->type == EventGadget && ev->gadget == gadget && !noCancel) {
            log_.debugLog(QStringLiteral("<<< WFA=1 Event=") + QString::number(ev->type) +
                              QStringLiteral(" GadID=") + QString::number(gadget),
                          -1);
            gadgets_.setWindowEnabled(kMainWindow, true);
            return 1;
        }
        // Closing the window must not leave the program waiting on a prompt
        // nobody can see any more.
        if (ev->type == EventCloseWindow) break;
    }
    restore();
    return 0;
}

void Messages::delayFor(int ms) {
    log_.debugLog(QStringLiteral(">> Delay: ") + QString::number(ms), 4);
    dialogs_.sleep(ms);
}

std::vector<QString> Messages::loadLabels(const QString& section) {
    state_.CurrentMessageSection = section;
    std::vector<QString> captions(texts::kCaptionCount);
    captions[0] = QString::fromUtf8(texts::kCaptions[0]);
    for (std::size_t i = 1; i < texts::kCaptionCount; ++i) captions[i] = labelText(i, section);
    return captions;
}

QString Messages::labelText(std::size_t index, const QString& section) {
    if (index >= texts::kCaptionCount) return QString();
    const QString english = QString::fromUtf8(texts::kCaptions[index]);
    if (index == 0 || english.trimmed().isEmpty()) return english;
    return translate(escapeCaptionKey(english), section, true);
}

}  // namespace zh
