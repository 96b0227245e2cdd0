#include "field_record.h"

namespace zh {

QString conversionName(Conversion c) {
    switch (c) {
        case Conversion::ConvertF10:
            return QStringLiteral("ConvertF10");
        case Conversion::ConvertF100:
            return QStringLiteral("ConvertF100");
        case Conversion::ConvertF1000:
            return QStringLiteral("ConvertF1000");
        case Conversion::AnaRawToCalUnit:
            return QStringLiteral("AnaRawToCalUnit");
        case Conversion::ADToMeasurand:
            return QStringLiteral("ADToMeasurand");
        case Conversion::NumToHex:
            return QStringLiteral("NumToHex");
        case Conversion::TransmVal:
            return QStringLiteral("TransmVal");
        case Conversion::ULRVal:
            return QStringLiteral("ULRVal");
        case Conversion::None:
        case Conversion::NumToBin:
        case Conversion::Version1:
        case Conversion::Version2:
            break;
    }
    return QString();
}

unsigned fieldFlags(const QString& attributes) {
    static const struct {
        const char* word;
        FieldFlag flag;
    } kWords[] = {{"readonly", FlagReadOnly},
                  {"displayonly", FlagDisplayOnly},
                  {"blankvalid", FlagBlankValid},
                  {"checklimits", FlagCheckLimits},
                  {"userform", FlagUserForm},
                  {"nocheck", FlagNoCheck},
                  {"CURRENT", FlagCurrent},
                  {"COMMON", FlagCommon},
                  {"PRESSURE", FlagPressure},
                  {"TEMPERATURE", FlagTemperature},
                  {"SYSTEM", FlagSystem},
                  {"TRANSMITTER", FlagTransmitter},
                  {"ADMIN", FlagAdmin},
                  {"SPECIAL", FlagSpecial},
                  {"TEST", FlagTest},
                  {"ColorIndex=", FlagOwnColour}};
    unsigned flags = 0;
    for (const auto& w : kWords)
        if (attributes.contains(QLatin1String(w.word), Qt::CaseInsensitive)) flags |= w.flag;
    return flags;
}

void FieldRecord::setReadOnly(bool on) {
    if (on) {
        if (!is(FlagReadOnly)) Attributes += QStringLiteral("readonly;");
        Flags |= FlagReadOnly;
        return;
    }
    Attributes.remove(QLatin1String("readonly;"));
    Attributes.remove(QLatin1String("readonly"));
    Flags &= ~static_cast<unsigned>(FlagReadOnly);
}

QString colourStateWord(int index) {
    static const char* const words[] = {"default", "changed", "read", "updated"};
    return index >= 0 && index <= 3 ? QString::fromLatin1(words[index]) : QString();
}

void FieldRecord::setColourState(short index) {
    ColorIndx = index;
    GadStatus = colourStateWord(index);
}

}  // namespace zh
