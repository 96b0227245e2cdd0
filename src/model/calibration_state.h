#pragma once
// The scaling state of the current device type: calibration and display
// units, the calibration points, the nominal range, and the conversion
// table between units. Set when the field table is built, changed when the
// unit or the decimal point changes.

#include <QString>
#include <vector>

namespace zh {

// One unit of the conversion table: value in the unit = base x factor + offset.
struct UnitConversion {
    QString unit;  // without brackets: "°F"
    float factor = 1.0f;
    float offset = 0.0f;
};

struct CalibrationState {
    QString Measurand;    // current device type (measurand), "Pressure"
    QString CalUnit;      // "[bar]"
    short CalDecP = 0;    // implied decimals of raw calibration values, 0..3
    QString DispUnit;     // "[bar]"
    short DispDecP = -1;  // -1: automatic
    QString actBaseUnit;  // "[bar]"
    float CalADlow = 4000.0f, CalADhi = 20000.0f;
    float CalDPlow = 0.0f, CalDPhi = 100.0f;
    float CalNomLow = 0.0f, CalNomHi = 100.0f;
    int DispUnitIndex = 0;  // in UnitsList
    int CalUnitIndex = 0;   // in CalibrationUnitsList
    short IntSerIO = 0;     // 0: display gets ADC values; 1: values via the serial interface

    QString UnitsList;                        // "°C=0;°F=1;..." (display unit combobox)
    QString HartUnitsList;                    // "°C=32;°F=33;..." (HART unit codes)
    QString CalibrationUnitsList;             // "°C=0;°F=1;°K=2;"
    QString ConversionText;                   // "°C;1.0;0.0|°F;1.8;32.0|..."
    std::vector<UnitConversion> Conversions;  // first entry is the base

    int CalcError = 0;  // 1 after an interpolation over a degenerate interval

    // Linearisation points (ADC count, measured value) for table linearisation.
    std::vector<float> LinAdc;
    std::vector<float> LinMw;
};

}  // namespace zh
