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

QString colourStateWord(int index) {
    static const char* const words[] = {"default", "changed", "read", "updated"};
    return index >= 0 && index <= 3 ? QString::fromLatin1(words[index]) : QString();
}

void FieldRecord::setColourState(short index) {
    ColorIndx = index;
    GadStatus = colourStateWord(index);
}

}  // namespace zh
