#pragma once
// Every text the user sees goes through here: looked up by its English text
// in the current language file (a missing translation is added to the file
// once, so translators find every text after one run), with "{name}"
// placeholders filled by position from TAB-separated parameters. Also the
// message box with its silent collection, the waiting prompt and delayFor.

#include <QString>
#include <cstddef>
#include <vector>

namespace zh {

// How a message box shows its title and text: looked up in the language
// file, or as given (already translated or not meant to be).
enum class MsgText { Translate, AsIs };

struct AppState;
class Clock;
class Dialogs;
class Gadgets;
class Logger;
class Profile;

class Messages {
  public:
    Messages(AppState& state, Profile& profile, Logger& log, Dialogs& dialogs, Gadgets& gadgets,
             Clock& clock);

    // `message` is the English text, optionally followed by TAB-separated
    // parameters. An empty `section` means the current message section.
    QString lookupMessage(const QString& message, const QString& section = QString());
    // The first TAB field with its placeholders filled, without translation.
    QString fillPlaceholders(const QString& message);

    // Returns "yes", "no", "cancel", "abort", "retry", "ignore", "ok" or "-".
    QString showMessageBox(const QString& title, const QString& message, int flags,
                           MsgText text = MsgText::Translate);
    // The silent collection: while it is on, boxes are not shown but their
    // texts collected, to be shown in one box or dropped at the end.
    void collectSilently();
    void dropCollected();
    QString showCollected(const QString& title, int flags, MsgText text = MsgText::Translate);
    QString showMessage(const QString& title, const QString& message, int flags);

    // Shows `message` in `gadget` (colour -1: green) and waits `delayMs`
    // (-1: no limit) for a click on it; 1 when clicked, else 0.
    int waitForAction(int gadget, int delayMs, const QString& message, const QString& option,
                      int colour);
    void delayFor(int ms);

    // The caption table translated through `section`; index 0 is the title.
    std::vector<QString> loadLabels(const QString& section);
    // Caption `index` of the table translated through `section`, as
    // loadLabels gives it; "" for an index outside the table.
    QString labelText(std::size_t index, const QString& section);

    bool silent() const { return silent_; }

    static QString answerWord(int result);
    static constexpr int kMainWindow = 1;

  private:
    QString translate(const QString& key, const QString& section, bool captionKey);
    void logBox(const QString& title, const QString& message);
    QString show(const QString& title, const QString& message, int flags);

    AppState& state_;
    Profile& profile_;
    Logger& log_;
    Dialogs& dialogs_;
    Gadgets& gadgets_;
    Clock& clock_;
    bool silent_ = false;
    QString collected_;
};

}  // namespace zh
