#pragma once
// Every control of the program's windows as data: number, window, tab panel
// and tab, symbolic name, kind, place and size in the 1020 x 560 design of
// the main window (relative to the window or to the tab page), and the index
// of its caption in the caption table. The window builder creates the
// widgets from this table; the window's list of field controls names the
// controls that show the fields (field_control_list.h), and field_controls.h
// binds them and enters every control into the field table for the
// diagnostics; a control's panel, tab and place the window looks up here.
//
// How the counts add up: the five kinds the windows show text or pictures
// with make 367 controls - 161 text labels (the display read-out among
// them), 123 text fields, 47 buttons, 21 combo boxes and 15 images (the two
// diagrams and the progress window's icon among them). They include four
// controls of the progress and message window (icon, step text, button,
// status line) and the text field of the test-input window. The commands
// need 47 buttons, and the layout has three labels more than a split of 158
// labels and 50 buttons would give, so the total stays at 367. Not counted:
// the tab panel (19), the group frames, the test-input slider (397) and the
// diagnostic report view, which have kinds of their own.

#include <QString>
#include <cstddef>

namespace zh {

enum class ControlKind : unsigned char {
    Text,    // label or read-out
    String,  // text field
    Button,
    ComboBox,
    Image,
    Panel,     // the tab panel
    Frame,     // a group frame drawn behind its controls
    TrackBar,  // the test-input slider
    Editor,    // a read-only multi-line text view
};

struct ControlInfo {
    int number;
    int window;  // 1 main window, 2 test input, 3 progress and messages
    int panel;   // kMainPanel, or -1 outside the tab panel
    int tab;     // 0 user, 1 Admin, 2 Transmitter, 3 Graph, 4 Diagnostics; -1 outside
    ControlKind kind;
    int x, y, width, height;
    int caption;       // index into the caption table; -1 for none
    const char* name;  // symbolic name without its window prefix ("FldSetPoint1")
};

constexpr int kMainWindow = 1;
constexpr int kTestInputWindow = 2;
constexpr int kProgressWindow = 3;
constexpr int kMainPanel = 19;

// The main window's design size; everything is placed for it and scaled
// from it when the window is resized.
constexpr int kDesignWidth = 1020;
constexpr int kDesignHeight = 560;

// The tab list of the main panel; the first tab's name comes from the
// caption table (kFirstTabCaption) and is put in front.
constexpr const char* kPanelTabs = "=0;Admin=1;Transmitter=2;Graph=3;Diagnostics=4";
constexpr int kFirstTabCaption = 9;
constexpr int kTabCount = 5;
// The caption of the test-input window's title ("Test input").
constexpr int kTestInputTitleCaption = 160;

// The whole table, in control-number order.
const ControlInfo* controlsBegin();
const ControlInfo* controlsEnd();
std::size_t controlCount();

// nullptr when there is no such control.
const ControlInfo* findControl(int number);
// By symbolic name, with or without its prefix ("#Gadget_ZELHart_BtnTestSW1"
// or "BtnTestSW1").
const ControlInfo* findControl(const QString& name);
// The control's number, -1 for an unknown name.
int controlNumber(const QString& name);

// The kind word the field table stores ("StringGadget", "ComboBoxGadget", ...).
QString kindWord(ControlKind kind);
// True for the kinds the control count of the windows is made of.
bool isCountedKind(ControlKind kind);
// "#Gadget_ZELHart_FldSetPoint1", "#Gadget_InputTest_TstInput", ...
QString symbolicName(const ControlInfo& info);

}  // namespace zh
