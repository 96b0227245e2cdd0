// The input check on the window's controls held in memory: the type checks
// and their messages, the keystroke filter, the focus snapshot with Escape
// and Cancel, the error state, the drain after a rejected entry, the
// switch-point limits and the fields that follow an accepted entry.

#include "ui/application/input_check.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "app/dialogs.h"
#include "app/gadgets.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "model/list_text.h"
#include "model/read_write_sequences.h"
#include "model/type_checks.h"
#include "support/ending_probe.h"
#include "ui/application/application_check.h"
#include "ui/window/control_refresh.h"
#include "ui/window/field_binding.h"
#include "ui/window/field_controls.h"
#include "window_model.h"

namespace zh {
namespace {

const int kChangedFg = rgb(255, 0, 0);
const int kReadFg = rgb(0, 80, 0);
const int kErrorBg = rgb(255, 255, 53);

// ---------------------------------------------------------------- type checks

enum class Answer { None, Ok, Cancel };

// The value a check accepted, or "correct" / "undo".
QString said(const CheckResult& r) {
    switch (r.verdict()) {
        case CheckResult::Verdict::Correct:
            return "correct";
        case CheckResult::Verdict::Undo:
            return "undo";
        case CheckResult::Verdict::Accepted:
            break;
    }
    return r.value();
}

struct CheckCase {
    CheckResult (*check)(Program&, const CheckArgs&);
    const char* text;
    const char* params;
    const char* attributes;
    Answer answer;         // the message box's answer, None: no message expected
    const char* expected;  // accepted value, "correct" or "undo"
    const char* message;   // part of the message text
};

CheckResult checkStr(Program& p, const CheckArgs& a) {
    return checkString(p, a);
}

TEST(TypeChecks, EntriesAreNormalisedOrRefusedWithTheirMessage) {
    const CheckCase cases[] = {
        // Floats: limits shown with the field's decimals, the value re-formatted.
        {checkFloat, "22", "2.1;3.5;21.8", "", Answer::Ok, "correct", "Value exceeds limit:  21.8"},
        {checkFloat, "4", "2.1;3.5;21.8", "", Answer::None, "4.0", ""},
        {checkFloat, "21,8", "2.1;3.5;21.8", "", Answer::None, "21.8", ""},
        {checkFloat, "3.4", "2.1;3.5;21.8", "", Answer::Cancel, "undo",
         "Value less than minimum:  3.5"},
        {checkFloat, "123.4", "2.1", "", Answer::Ok, "correct",
         "Number of digits exceeds limit:  2"},
        {checkFloat, "007.5", "3.2;-99999.;99999", "", Answer::None, "7.50", ""},
        {checkFloat, "-0.04", "4.1", "", Answer::None, "0.0", ""},
        {checkFloat, "0", "4.1", "notzero;", Answer::Ok, "correct", "0.0 not valid for: "},
        {checkFloat, "", "4.1", "blankvalid;", Answer::None, "", ""},
        {checkFloat, "1.2345", ";-5;5", "", Answer::None, "1.2345", ""},  // decimals free
        // Texts that only look like numbers.
        {checkFloat, "1.2.3", "6.3", "", Answer::Ok, "correct", "Invalid input: "},
        {checkFloat, "-", "6.3", "", Answer::Ok, "correct", "Invalid input: "},
        {checkFloat, ".", "6.3", "", Answer::Ok, "correct", "Invalid input: "},
        {checkFloat, "1e5", "6.3", "", Answer::Ok, "correct", "Invalid input:  e"},
        // Whole numbers.
        {checkNumber, "000", "6", "notzero;", Answer::Ok, "correct", "0 not valid for : "},
        {checkNumber, "0042", "6", "", Answer::None, "42", ""},
        {checkNumber, "-", "6", "", Answer::Ok, "correct", "Invalid input: "},
        {checkNumber, "12a", "6", "", Answer::Cancel, "undo", "Invalid input:  a"},
        {checkNumber, "16", "2;0;15", "", Answer::Ok, "correct", "Value exceeds limit:  15"},
        {checkNumber, "-1", "2;0;15", "", Answer::Ok, "correct", "Value less than minimum:  0"},
        {checkNumber, "7", "3;0;999", "leadzero;", Answer::None, "007", ""},
        {checkNumber, "", "6", "blankvalid;", Answer::None, "", ""},
        {checkNumber, "abc", "6", "nocheck;", Answer::None, "abc", ""},
        {checkNumber, "99999999999999999999", "", "", Answer::Ok, "correct",
         "Value exceeds limit: "},
        // Hexadecimal and binary: padded; a bad entry is always undone.
        {checkHex, "ff", "4", "", Answer::None, "00FF", ""},
        {checkHex, "G1", "4", "", Answer::Ok, "undo", "Invalid input:  G"},
        {checkHex, "12345", "4", "", Answer::Ok, "undo", "Number of digits exceeds limit:  4"},
        {checkBinary, "11", "4", "", Answer::None, "0011", ""},
        {checkBinary, "102", "4", "", Answer::Ok, "undo", "Invalid input:  2"},
        // Addresses and texts.
        {checkIpAddress, "0.0.0.0", "", "mustfill;", Answer::Ok, "correct",
         "Field must be filled: "},
        {checkIpAddress, "192.168.1.300", "", "", Answer::Ok, "correct", "Invalid input: "},
        {checkIpAddress, "10.0.0.1", "", "mustfill;", Answer::None, "10.0.0.1", ""},
        {checkStr, "", "16", "mustfill;", Answer::Ok, "correct", "Field must be filled: "},
        {checkStr, "12345678901234567", "16", "", Answer::Ok, "correct",
         "Number of digits exceeds limit:  16"},
        {checkStr, "PT-101", "16", "", Answer::None, "PT-101", ""},
    };
    for (const CheckCase& c : cases) {
        test::TestProgram t;
        if (c.answer == Answer::Ok) t.dialogs.boxAnswers.push_back(mb::ResultOk);
        if (c.answer == Answer::Cancel) t.dialogs.boxAnswers.push_back(mb::ResultCancel);
        const CheckArgs a{c.text, c.params, c.attributes, "Fld", "Label"};
        SCOPED_TRACE(std::string(c.text) + " / " + c.params);
        EXPECT_EQ(said(c.check(t.program, a)), QString::fromUtf8(c.expected));
        if (c.answer == Answer::None) {
            EXPECT_TRUE(t.dialogs.boxes.empty());
            continue;
        }
        ASSERT_EQ(t.dialogs.boxes.size(), 1u);
        EXPECT_EQ(t.dialogs.boxes[0].title, "Data input");
        EXPECT_TRUE(t.dialogs.boxes[0].text.startsWith(QStringLiteral("(Label=") + c.text + "): "))
            << qPrintable(t.dialogs.boxes[0].text);
        EXPECT_TRUE(t.dialogs.boxes[0].text.contains(QString::fromUtf8(c.message)))
            << qPrintable(t.dialogs.boxes[0].text);
    }
}

// ------------------------------------------------------------ the input check

class InputCheckTest : public ::testing::Test {
  protected:
    InputCheckTest() {
        refresh.checks.typeCheck = [this](FieldRecord& f, const QString& text) {
            return checkByType(w.t.program, f, refresh.captions.value(f.Name), text, false);
        };
        refresh.checks.checkLimits = [this](const QString& n, const QString& c) {
            return appl.checkLimits(n, c, ApplicationCheck::LimitMode::Quiet);
        };
        input.hooks.showTab = [this](int panel, int index) { shownTab = {panel, index}; };
        refresh.showFieldsInForm();
    }
    int gad(const char* name) { return boundControl(w.f(name)); }
    test::MemoryGadgets::Control& ctl(const char* field) { return w.t.gadgets.control(gad(field)); }
    int event(const char* name, int code) {
        return input.checkInput(WindowEvent{EventGadget, 1, gad(name), -1, code});
    }
    int focus(const char* name) { return event(name, GadgetFocusGained); }
    int type(const char* name, const QString& text) {
        ctl(name).text = text;
        return event(name, GadgetTextChanged);
    }
    int leave(const char* name) { return event(name, GadgetFocusLost); }
    // Focus, the whole text typed, focus away: what a user does.
    int edit(const char* name, const QString& text) {
        focus(name);
        type(name, text);
        return leave(name);
    }
    void setField(const char* name, const QString& content, short colour = ColourRead) {
        FieldRecord& f = w.f(name);
        f.Content = content;
        f.Access = QStringLiteral("enabled");
        f.setColourState(colour);
        refresh.showFieldsInForm(QStringLiteral("gadname=") + name);
    }
    QString lastBox() const {
        return w.t.dialogs.boxes.empty() ? QString() : w.t.dialogs.boxes.back().text;
    }

    test::WindowModel w;
    ControlRefresh refresh{w.model};
    ApplicationCheck appl{w.model, refresh};
    InputCheck input{w.model, appl};
    std::pair<int, int> shownTab{-1, -1};
};

TEST_F(InputCheckTest, AnAcceptedEditLandsInTheFieldMarkedChanged) {
    setField("TagID", "PT-101");
    w.t.program.state.DataChanged = false;
    EXPECT_EQ(edit("TagID", "PT-202"), GadgetFocusLost);
    const FieldRecord& f = w.f("TagID");
    EXPECT_EQ(f.Content, "PT-202");
    EXPECT_EQ(f.RawVal, "PT-202");
    EXPECT_EQ(f.ColorIndx, ColourChanged);
    EXPECT_EQ(f.GadStatus, "changed");
    EXPECT_EQ(ctl("TagID").foreground, kChangedFg);
    EXPECT_TRUE(w.t.program.state.DataChanged);
    EXPECT_EQ(w.t.program.state.DataTrigger, 0);
    EXPECT_EQ(input.fieldchanged, 1);
    EXPECT_EQ(w.f("TagIDAdm").Content, "PT-202");  // the administrator's copy follows
    EXPECT_EQ(ctl("TagIDAdm").text, "PT-202");
    EXPECT_TRUE(w.t.dialogs.boxes.empty());
}

TEST_F(InputCheckTest, LeavingWithTheSameTextKeepsTheOldColour) {
    setField("TagID", "PT-101");
    w.t.program.state.DataChanged = false;
    focus("TagID");
    type("TagID", "PT-1011");
    EXPECT_EQ(ctl("TagID").foreground, kChangedFg);  // painted while typing
    type("TagID", "PT-101");
    leave("TagID");
    EXPECT_EQ(w.f("TagID").ColorIndx, ColourRead);
    EXPECT_EQ(w.f("TagID").GadStatus, "read");
    EXPECT_EQ(ctl("TagID").foreground, kReadFg);
    EXPECT_EQ(input.fieldchanged, 0);
    EXPECT_EQ(w.f("TagID").RawVal, "");
    EXPECT_FALSE(w.t.program.state.DataChanged);
}

TEST_F(InputCheckTest, TheKeystrokeFilterRefusesCharactersAndExcessDigits) {
    FieldRecord& d = w.f("Damping");
    d.Params = "2.1;3.5;21.8";
    setField("Damping", "4.0");
    focus("Damping");
    EXPECT_EQ(type("Damping", "21,8"), -1);
    EXPECT_EQ(ctl("Damping").text, "21,8");
    EXPECT_EQ(type("Damping", "21,85"), -1);  // a second decimal
    EXPECT_EQ(ctl("Damping").text, "21,8");
    EXPECT_EQ(type("Damping", "21,8x"), -1);
    EXPECT_EQ(ctl("Damping").text, "21,8");
    EXPECT_EQ(type("Damping", "121,8"), -1);  // a third integer digit
    EXPECT_EQ(ctl("Damping").text, "21,8");
    EXPECT_EQ(w.t.dialogs.beeps, 3);
    EXPECT_EQ(w.f("Damping").GadStatus, "infocus");
    leave("Damping");
    EXPECT_EQ(w.f("Damping").Content, "21.8");
    EXPECT_EQ(ctl("Damping").text, "21.8");

    setField("HartAddress", "0");
    focus("HartAddress");
    type("HartAddress", "1-");
    EXPECT_EQ(ctl("HartAddress").text, "1");
}

TEST_F(InputCheckTest, ReadOnlyFieldsIgnoreKeystrokes) {
    FieldRecord& f = w.f("ADactRaw");
    f.Content = "12000";
    const int beeps = w.t.dialogs.beeps;
    EXPECT_EQ(focus("ADactRaw"), GadgetFocusGained);
    EXPECT_EQ(type("ADactRaw", "12000x"), GadgetTextChanged);
    EXPECT_EQ(leave("ADactRaw"), GadgetFocusLost);
    EXPECT_EQ(f.Content, "12000");
    EXPECT_NE(f.GadStatus, "infocus");
    EXPECT_EQ(w.t.dialogs.beeps, beeps);
    EXPECT_TRUE(w.t.dialogs.boxes.empty());
}

TEST_F(InputCheckTest, CancelAndEscapeRestoreTheFocusSnapshot) {
    FieldRecord& f = w.f("Damping");
    f.Params = "2.1;3.5;21.8";
    setField("Damping", "4.0");
    f.RawVal = "40";
    f.BaseValue = "4.0";
    focus("Damping");
    type("Damping", "2");
    w.t.dialogs.boxAnswers.push_back(mb::ResultCancel);
    EXPECT_EQ(leave("Damping"), GadgetFocusLost);
    EXPECT_TRUE(lastBox().contains("Value less than minimum:  3.5")) << qPrintable(lastBox());
    EXPECT_EQ(f.Content, "4.0");
    EXPECT_EQ(f.RawVal, "40");
    EXPECT_EQ(f.BaseValue, "4.0");
    EXPECT_EQ(f.ColorIndx, ColourRead);
    EXPECT_EQ(f.GadStatus, "read");
    EXPECT_EQ(ctl("Damping").text, "4.0");
    EXPECT_EQ(ctl("Damping").foreground, kReadFg);

    // Escape while typing; Return checks without leaving the field.
    focus("Damping");
    type("Damping", "9");
    input.cancel();
    EXPECT_EQ(ctl("Damping").text, "4.0");
    EXPECT_EQ(f.GadStatus, "read");
    type("Damping", "9");
    input.confirm();
    EXPECT_EQ(f.Content, "9.0");
    EXPECT_EQ(f.GadStatus, "changed");
    // The accepted value is the new snapshot.
    type("Damping", "7");
    input.cancel();
    EXPECT_EQ(ctl("Damping").text, "9.0");
    EXPECT_EQ(f.ColorIndx, ColourChanged);
}

TEST_F(InputCheckTest, ARejectedEntryKeepsTheErrorStateAndTheFocus) {
    setField("NominalRangeLow", "0.0");
    setField("UpperRangeVal", "10.0");
    setField("LowerRangeVal", "0.0");
    FieldRecord& f = w.f("LowerRangeVal");
    focus("LowerRangeVal");
    w.t.gadgets.setFocus(gad("TagID"));
    type("LowerRangeVal", "-5");
    // Clicks and keys made while the message was open are dropped, a close
    // request is kept; the drain gives up after a second.
    w.t.gadgets.queueEvent({EventGadget, 1, 9999, -1, GadgetSelect}, 50);
    w.t.gadgets.queueEvent({EventMenu, 1, -1, 2069, -1}, 50);
    w.t.gadgets.queueEvent({EventCloseWindow, 1, -1, -1, -1}, 50);
    for (int i = 0; i < 10; ++i) w.t.gadgets.queueEvent({EventLeftClick, 1, -1, -1, -1}, 150);
    w.t.dialogs.boxAnswers.push_back(mb::ResultOk);
    EXPECT_EQ(leave("LowerRangeVal"), -1);
    EXPECT_TRUE(lastBox().contains("-5")) << qPrintable(lastBox());
    EXPECT_TRUE(lastBox().contains("10.0")) << qPrintable(lastBox());
    EXPECT_EQ(f.Content, "0.0");
    EXPECT_EQ(f.ColorIndx, 15);
    EXPECT_EQ(ctl("LowerRangeVal").background, kErrorBg);
    EXPECT_EQ(ctl("LowerRangeVal").text, "-5.000");  // as the type check wrote it
    EXPECT_EQ(w.t.gadgets.focusedGadget(), gad("LowerRangeVal"));
    const ControlPlace place = placeOf(w.model.fields, w.model.fields.find(f.Name));
    EXPECT_EQ(shownTab, std::make_pair(place.panel, place.tab));
    EXPECT_TRUE(input.FieldErrorPending);
    const std::optional<WindowEvent> kept = input.takeKept();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->type, EventCloseWindow);
    EXPECT_FALSE(input.takeKept());
    int left = 0;
    while (w.t.gadgets.waitEvent(1000)) ++left;
    EXPECT_GT(left, 0);  // the drain stopped at its time limit

    // A button cannot act on the unchecked entry; a correction is accepted.
    w.t.dialogs.boxAnswers.push_back(mb::ResultOk);
    EXPECT_EQ(input.checkInput({EventGadget, 1, 9999, -1, GadgetSelect}), -1);
    type("LowerRangeVal", "1.5");
    EXPECT_EQ(leave("LowerRangeVal"), GadgetFocusLost);
    EXPECT_EQ(f.Content, "1.500");
    EXPECT_FALSE(input.FieldErrorPending);
    EXPECT_EQ(w.f("DspMBA").Content.toDouble(), 1.5);  // the display range follows
}

TEST_F(InputCheckTest, ASelectionIsCheckedAtOnceAndCarriesItsCode) {
    setField("OutputFunction1", "0");
    int visibility = 0;
    appl.hooks.updateVisibility = [&] { ++visibility; };
    ctl("OutputFunction1").state = 2;
    ctl("OutputFunction1").text = ctl("OutputFunction1").items.value(2);
    EXPECT_EQ(event("OutputFunction1", GadgetSelect), GadgetSelect);
    EXPECT_EQ(w.f("OutputFunction1").Content, "2");
    EXPECT_EQ(w.f("OutputFunction1").ColorIndx, ColourChanged);
    EXPECT_EQ(visibility, 1);

    // Another calculation method switches its groups as well.
    setField("CalcMethod", "0");
    EXPECT_EQ(said(appl.updateApplicationField(0, "CalcMethod", "1")), "1");
    EXPECT_EQ(w.model.selection.CalcMeth, 1);
    EXPECT_EQ(visibility, 2);
}

// ---------------------------------------------------- the application check

struct LimitCase {
    const char* field;
    const char* value;
    const char* equipment;
    bool falling;
    const char* expected;  // value, or "correct" after answering OK
};

TEST_F(InputCheckTest, SwitchPointsStayOnTheirSideOfTheirPartner) {
    // 0...10 bar with 0.5 % minimum distance (0.05 bar).
    const LimitCase cases[] = {
        {"SetPoint1", "6.00", "3", false, "6.00"},
        {"SetPoint1", "4.02", "3", false, "correct"},    // closer to the reset point than allowed
        {"SetPoint1", "10.5", "3", false, "correct"},    // above the range
        {"ResetPoint1", "5.50", "3", false, "correct"},  // above its set point
        {"ResetPoint1", "-0.1", "3", false, "correct"},
        {"ResetPoint1", "3.95", "3", false, "3.95"},
        {"FrameLow2", "8.00", "3", false, "correct"},
        {"FrameLow2", "8.00", "1", false, "8.00"},  // channel 2 not fitted
        {"SetPoint1", "4.02", "2", false, "4.02"},  // channel 1 not fitted
        {"SetPoint1", "4.02", "0", false, "4.02"},  // no switch contacts
        {"SetPoint1", "3.00", "3", true, "3.00"},   // falling: set point below reset point
        {"SetPoint1", "6.00", "3", true, "correct"},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(std::string(c.field) + "=" + c.value + (c.falling ? " falling" : ""));
        w.f("LowerRangeVal").Content = c.falling ? "10.00" : "0.00";
        w.f("UpperRangeVal").Content = c.falling ? "0.00" : "10.00";
        w.f("SetPoint1").Content = "5.00";
        w.f("ResetPoint1").Content = "4.00";
        w.f("FrameHi2").Content = "7.00";
        w.f("FrameLow2").Content = "2.00";
        w.f("SelectEquip").Content = c.equipment;
        w.t.dialogs.boxes.clear();
        w.t.dialogs.boxAnswers.assign({mb::ResultOk});
        EXPECT_EQ(said(appl.checkLimits(c.field, c.value)), c.expected);
        if (QString(c.expected) == "correct")
            EXPECT_TRUE(lastBox().contains(QStringLiteral("Value of ") + c.field + "=" + c.value +
                                           " not in range"))
                << qPrintable(lastBox());
        else
            EXPECT_TRUE(w.t.dialogs.boxes.empty());
    }
    // "adjust" moves the value to the nearest bound without a message.
    w.f("LowerRangeVal").Content = "0.00";
    w.f("UpperRangeVal").Content = "10.00";
    w.t.dialogs.boxes.clear();
    EXPECT_DOUBLE_EQ(
        appl.checkLimits("SetPoint1", "12", ApplicationCheck::LimitMode::Adjust).value().toDouble(),
        10.0);
    EXPECT_DOUBLE_EQ(appl.checkLimits("ResetPoint1", "5.5", ApplicationCheck::LimitMode::Adjust)
                         .value()
                         .toDouble(),
                     4.95);
    EXPECT_TRUE(w.t.dialogs.boxes.empty());
    // A set point shown in another unit hears of its bounds in that unit.
    w.f("SetPoint1").GadUnit = "[mbar]";
    w.f("ResetPoint1").Content = "4.00";
    w.t.dialogs.boxAnswers.assign({mb::ResultOk});
    EXPECT_EQ(said(appl.checkLimits("SetPoint1", "3000")), "correct");
    EXPECT_TRUE(lastBox().contains("not in range 4050.000 ... 10000.000")) << qPrintable(lastBox());
    // Only transmitters fitted: nothing to check.
    w.t.program.state.TransmDisplay = "transmitter";
    EXPECT_EQ(said(appl.checkLimits("SetPoint1", "12")), "12");
}

TEST_F(InputCheckTest, CancelOnTheLimitMessageRestoresTheSetPoint) {
    setField("LowerRangeVal", "0.00");
    setField("UpperRangeVal", "10.00");
    setField("ResetPoint1", "4.00");
    setField("SetPoint1", "5.00");
    w.t.dialogs.boxAnswers.push_back(mb::ResultCancel);
    EXPECT_EQ(edit("SetPoint1", "3"), GadgetFocusLost);
    EXPECT_EQ(w.f("SetPoint1").Content, "5.00");
    EXPECT_EQ(ctl("SetPoint1").text, "5.00");
    EXPECT_EQ(w.f("SetPoint1").ColorIndx, ColourRead);
    EXPECT_FALSE(input.FieldErrorPending);
}

TEST_F(InputCheckTest, AUnitChangeReformatsTheMeasurandFields) {
    setField("LowerRangeVal", "0.00");
    setField("UpperRangeVal", "10.00");
    setField("ResetPoint1", "4.00");
    setField("SetPoint1", "5.00");
    const int mbar = listValueOf(w.model.cal.UnitsList, "mbar");
    ASSERT_GE(mbar, 0) << qPrintable(w.model.cal.UnitsList);
    EXPECT_EQ(said(appl.updateApplicationField(0, "Unit", QString::number(mbar))),
              QString::number(mbar));
    EXPECT_EQ(w.f("UnitAdm").Content, QString::number(mbar));
    EXPECT_EQ(w.f("SetPoint1").GadUnit, "[mbar]");
    EXPECT_DOUBLE_EQ(w.f("SetPoint1").Content.toDouble(), 5000.0)
        << qPrintable(w.f("SetPoint1").Content);
    EXPECT_EQ(w.f("SetPoint1").ColorIndx, ColourChanged);
    EXPECT_TRUE(w.t.dialogs.boxes.empty()) << qPrintable(lastBox());
    EXPECT_EQ(w.c(controlsOf("SetPoint1").unit).text, "mbar");
    EXPECT_DOUBLE_EQ(ctl("SetPoint1").text.toDouble(), 5000.0);
}

TEST_F(InputCheckTest, ARangeValueOutsideTheNominalRangeIsReported) {
    setField("NominalRangeLow", "0.0");
    setField("NominalRangeHigh", "16.0");
    setField("LowerRangeVal", "0.0");
    setField("UpperRangeVal", "10.0");
    w.t.dialogs.boxAnswers.push_back(mb::ResultCancel);
    EXPECT_EQ(said(appl.checkApplicationField("UpperRangeVal", "17.0", 0, "Float", "", "",
                                              Conversion::None)),
              "undo");
    EXPECT_TRUE(lastBox().contains("Value 17.0 Not in valid range 0.000...16.000"))
        << qPrintable(lastBox());
    EXPECT_EQ(w.f("UpperRangeVal").Content, "10.0");
    EXPECT_EQ(said(appl.checkApplicationField("UpperRangeVal", "12.0", 0, "Float", "", "",
                                              Conversion::None)),
              "12.0");
    EXPECT_DOUBLE_EQ(w.f("DspMBE").Content.toDouble(), 12.0);
    EXPECT_DOUBLE_EQ(w.f("TMeasRangeHigh").Content.toDouble(), 12.0);
}

TEST_F(InputCheckTest, ANewNominalRangeIsConfirmedAndMovesTheSwitchPoints) {
    setField("LowerRangeVal", "0.00");
    setField("UpperRangeVal", "10.00");
    setField("SetPoint1", "5.00");
    setField("NominalRangeHigh", "10.00");
    w.t.dialogs.boxAnswers.push_back(mb::ResultCancel);
    EXPECT_EQ(said(appl.updateApplicationField(0, "NominalRangeHigh", "20.00")), "undo");
    EXPECT_EQ(w.t.dialogs.boxes.back().text,
              "Change of nominal Range requires update of module and new adjustment!\nUpdate now?");
    EXPECT_EQ(w.f("NominalRangeHigh").Content, "10.00");
    EXPECT_EQ(w.f("UpperRangeVal").Content, "10.00");

    w.t.dialogs.boxAnswers.push_back(mb::ResultYes);
    EXPECT_EQ(said(appl.updateApplicationField(0, "NominalRangeHigh", "20.00")), "20.00");
    EXPECT_DOUBLE_EQ(w.f("UpperRangeVal").Content.toDouble(), 20.0);
    EXPECT_DOUBLE_EQ(w.f("SetPoint1").Content.toDouble(), 10.0);
    EXPECT_EQ(w.f("remember").Content, "10.00");
}

TEST_F(InputCheckTest, VersionsKeepTheirFormAndTheirAdministratorCopy) {
    setField("HWVersion2", "01.00");
    w.t.dialogs.boxAnswers.push_back(mb::ResultOk);
    EXPECT_EQ(said(appl.updateApplicationField(0, "HWVersion2", "1.2")), "correct");
    EXPECT_EQ(said(appl.updateApplicationField(0, "HWVersion2", "1A.2B")), "1A.2B");
    EXPECT_EQ(w.f("HWVersion2Adm").Content, "1a.2b");  // as the module's versions are shown
    EXPECT_EQ(w.f("HWVersion2").RawVal, "6699");
    w.t.dialogs.boxAnswers.push_back(mb::ResultOk);
    EXPECT_EQ(said(appl.updateApplicationField(0, "SWVersion1", "1A.00")), "correct");
}

// An edit through the input check is exactly what a "changes" write sends:
// the simulated module receives the one block that holds the field.
TEST_F(InputCheckTest, AnEditedFieldGoesOutAloneInAChangesWrite) {
    const QString frameLog = w.t.path("frames.log");
    qputenv("HARTSIM_OPTIONS", ("presence=both,log=" + frameLog).toLocal8Bit());
    LinkLibrary link{w.t.program.log};
    ASSERT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so")));
    test::EndingProbe probe;
    w.t.program.state.ComPort = "Sim";
    HartSession session(w.t.program, link, probe);
    DeviceSequences seq(w.model, session, link);
    ASSERT_EQ(seq.readDevice(Presence::All), 0) << qPrintable(w.log());
    refresh.showFieldsInForm();
    QFile::remove(frameLog);

    w.f("DelaySwitch1").Access = "enabled";
    ASSERT_EQ(edit("DelaySwitch1", "2.5"), GadgetFocusLost);
    EXPECT_EQ(w.f("DelaySwitch1").GadStatus, "changed");
    ASSERT_EQ(seq.writeDevice(Presence::All, WriteScope::Changes), 0) << qPrintable(w.log());
    QFile f(frameLog);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString frames = QString::fromLatin1(f.readAll());
    qunsetenv("HARTSIM_OPTIONS");
    EXPECT_EQ(frames.count("RX command=190 "), 1) << qPrintable(frames);
    // Block 10 with the delay in tenths of a second (25) in its slot.
    EXPECT_TRUE(frames.contains(
        QRegularExpression("RX command=190 .* BE [0-9A-F]{2} 0A( [0-9A-F]{2}){12} 19 00 ")))
        << qPrintable(frames);
    EXPECT_FALSE(frames.contains(QRegularExpression("RX command=(181|182|34|35) ")))
        << qPrintable(frames);
}

}  // namespace
}  // namespace zh
