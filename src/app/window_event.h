#pragma once
// One normalised window event. Qt signals, the replay and the test doubles all
// produce these records, and one dispatcher handles them.

namespace zh {

// Event kinds, numbered as the program's event records store them.
enum EventType : int {
    EventNone = 0,
    EventGadget = 13100,       // a control was used (see GadgetEventCode)
    EventMenu = 13058,         // menu, toolbar or keyboard shortcut
    EventTimer = 13113,        // window timer
    EventCloseWindow = 13116,  // close box
    EventSizeWindow = 13111,
    EventMinimizeWindow = 13102,
    EventRestoreWindow = 13103,
    EventLeftClick = 13108,
    EventRightClick = 13109,
    EventLeftDoubleClick = 13110,
    EventRightDoubleClick = 13112,
};

// What happened to a control (the event code of a gadget event).
enum GadgetEventCode : int {
    GadgetSelect = 1,  // click or selection
    GadgetTextChanged = 768,
    GadgetFocusGained = 14000,
    GadgetFocusLost = 14001,
};

struct WindowEvent {
    int type = EventNone;
    int window = -1;
    int gadget = -1;
    int menu = -1;
    int code = -1;  // GadgetEventCode for gadget events
};

}  // namespace zh
