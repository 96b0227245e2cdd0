#pragma once
// One named piece of device data, held in three forms: the text the user
// sees (Content, in GadUnit), the raw device value (RawVal), and the value
// in the field's base unit (BaseValue), with its type, input rules, access,
// colour state and place in the packed record.

#include <QString>

namespace zh {

// The conversion between a field's raw value and its content.
enum class Conversion {
    None,
    ConvertF10,
    ConvertF100,
    ConvertF1000,
    AnaRawToCalUnit,
    ADToMeasurand,
    NumToHex,
    NumToBin,
    TransmVal,
    ULRVal,
    Version1,  // transmitter versions (scaled by 100 with the serial interface)
    Version2,  // display-module versions (hexadecimal "hh.ll")
};

// The procedure's name as the record dump shows it ("" for the binary and
// version conversions and for none).
QString conversionName(Conversion c);

// Attribute words that change how a field behaves or name its groups, read
// once from its attribute text (case-insensitive) whenever that text is set.
enum FieldFlag : unsigned {
    FlagReadOnly = 1u << 0,     // "readonly": shown, never edited
    FlagDisplayOnly = 1u << 1,  // "displayonly": shown, never written or saved
    FlagBlankValid = 1u << 2,   // "blankvalid": an empty value is a value
    FlagCheckLimits = 1u << 3,  // "checklimits": set and reset points checked together
    FlagUserForm = 1u << 4,     // "userform": shown through a user form
    FlagNoCheck = 1u << 5,      // "nocheck": no number check when shown
    // The groups a field belongs to, which the user modes enable and
    // disable together and the device reads and data files select by.
    FlagCurrent = 1u << 6,       // "CURRENT": live values
    FlagCommon = 1u << 7,        // "COMMON": every user's settings
    FlagPressure = 1u << 8,      // "PRESSURE": pressure devices only
    FlagTemperature = 1u << 9,   // "TEMPERATURE": temperature devices only
    FlagSystem = 1u << 10,       // "SYSTEM": the customizer's settings
    FlagTransmitter = 1u << 11,  // "TRANSMITTER": the transmitter's own configuration
    FlagAdmin = 1u << 12,        // "ADMIN": the administrator's settings
    FlagSpecial = 1u << 13,      // "SPECIAL": the output trim, while an output is on
    FlagTest = 1u << 14,         // "TEST": shown in test mode
    FlagOwnColour = 1u << 15,    // "ColorIndex=n": a colour of its own, not the state's
};

// The flags the attribute text `attributes` names.
unsigned fieldFlags(const QString& attributes);

// Colour states of a field's value.
enum ColourState : short {
    ColourDefault = 0,
    ColourChanged = 1,
    ColourRead = 2,
    ColourUpdated = 3
};

struct FieldRecord {
    int RecordPos = 0;  // 1-based position in the packed record; 0 for fields not shown
    QString Name;
    QString Type;  // "String", "Number", "Float", "Combobox", "Hexadecimal", "Binary"
    QString Default;
    QString Params;
    QString Attributes;  // set through setAttributes, which keeps Flags with it
    unsigned Flags = 0;  // FieldFlag bits of Attributes
    QString Content;
    QString GadUnit;  // "[bar]"; empty for unit-less fields
    QString RawVal;
    QString BaseValue;
    QString BaseUnit;
    QString Interface;  // wire value that last filled the field ("ADCByte0", "AGW3", ...)
    QString GadTTip;
    Conversion CheckProc = Conversion::None;
    QString Visibility;  // "nodisplay", "hidden", "visible"
    QString Access;      // "readonly", "disabled", "enabled"
    short ColorIndx = 0;
    QString GadStatus;  // "default", "changed", "read", "updated", or empty

    // The type word in lower case, as every comparison uses it.
    QString type() const { return Type.toLower(); }
    bool is(FieldFlag flag) const { return (Flags & flag) != 0; }
    void setAttributes(const QString& text) {
        Attributes = text;
        Flags = fieldFlags(text);
    }
    // Adds or removes "readonly" in the text and the flags alike.
    void setReadOnly(bool on);
    void setColourState(short index);  // sets ColorIndx and GadStatus together
};

// The colour state word of `index` ("" above 3).
QString colourStateWord(int index);

}  // namespace zh
