#pragma once
// The input check between the window's events and the field table: it
// filters keystrokes while a field is edited, remembers what the field held
// when it got the focus, checks a finished entry by type (checkField) and hands
// good entries to the application check. A bad entry is reported, painted
// in the error colour and gets the focus back; Escape undoes an edit and
// Return checks it.

#include <QString>
#include <deque>
#include <functional>
#include <optional>

#include "app/window_event.h"

namespace zh {

class ApplicationCheck;
struct DeviceModel;
struct FieldRecord;

// What a field held when its control got the focus; Cancel restores
// exactly these five values.
struct FocusSnapshot {
    int field = -1;
    QString Content;
    QString RawVal;
    QString BaseValue;
    short ColorIndx = 0;
    QString GadStatus;
};

class InputCheck {
  public:
    InputCheck(DeviceModel& model, ApplicationCheck& appl) : m_(model), appl_(appl) {}

    struct Hooks {
        // Brings the main window to the front and shows tab `index` of `panel`.
        std::function<void(int panel, int index)> showTab;
        // The event recorder: an event that changed a field, with the content.
        std::function<void(const WindowEvent& e, const QString& content)> record;
    } hooks;

    // The longest time the queue is drained after a rejected entry.
    static constexpr int kDrainLimitMs = 1000;
    static constexpr int kDrainWaitMs = 200;

    // Sees every event of the main window first: the event's code to go on,
    // or -1 when it was consumed (-2 passed on from checkField).
    int checkInput(const WindowEvent& e);
    // Type check and application check of control `gadget`: 0 done, -1 rejected.
    int checkField(int gadget);

    // Return: checks the entry being edited. Escape: restores it.
    void confirm();
    void cancel();

    // Events the drain after a rejected entry kept (not clicks or keys),
    // to be dispatched before waiting for new ones.
    std::optional<WindowEvent> takeKept();

    const FocusSnapshot& snapshot() const { return snap_; }
    int activeGadget() const { return active_; }
    bool FieldErrorPending = false;
    int fieldchanged = 0;

  private:
    FieldRecord* fieldOf(int gadget);
    void takeSnapshot(int gadget);
    void restoreSnapshot(FieldRecord& f);
    int filterText(FieldRecord& f);
    int leaveField(const WindowEvent& e, FieldRecord& f);
    int pendingCheck();
    int fail(FieldRecord& f, bool applicationError);
    void drain();
    QString entryOf(FieldRecord& f);

    DeviceModel& m_;
    ApplicationCheck& appl_;
    FocusSnapshot snap_;
    int active_ = -1;   // control of the field being edited
    QString lastText_;  // its text before the last keystroke
    std::deque<WindowEvent> kept_;
};

}  // namespace zh
