#include "ui/window/control_table.h"

#include <algorithm>
#include <iterator>

namespace zh {
namespace {

using K = ControlKind;

// Number, window, panel, tab, kind, x, y, width, height, caption, name.
// Tab pages: 0 holds the user's settings (unit, trailing pointers, ranges,
// display options, the two switch outputs, versions, adjustment), 1 the
// administration (ranges and their units, trim, device identity, hall
// switch, calculation method and the adjustment table), 2 the transmitter's
// own configuration, 3 the diagrams and 4 the diagnostic report.
constexpr ControlInfo kControls[] = {
    {2, 1, -1, -1, K::String, 15, 0, 35, 20, -1, "FldADact"},
    {3, 1, -1, -1, K::Text, 295, 110, 80, 16, 3, "DscStatusFile"},
    {4, 1, -1, -1, K::Text, 295, 82, 80, 16, 4, "DscStatusModule"},
    {5, 1, -1, -1, K::Text, 295, 53, 80, 16, 5, "DscOnline"},
    {6, 1, -1, -1, K::Text, 200, 54, 65, 16, 6, "DscLimit1"},
    {7, 1, -1, -1, K::Text, 200, 82, 64, 16, 7, "DscLimit2"},
    {8, 1, -1, -1, K::Image, 380, 108, 20, 20, -1, "ImgStatusFile"},
    {9, 1, -1, -1, K::Image, 380, 80, 20, 20, -1, "ImgStatusModule"},
    {10, 1, -1, -1, K::Image, 380, 52, 20, 20, -1, "ImgOnline"},
    {11, 1, -1, -1, K::Image, 270, 52, 20, 20, -1, "ImgLimit1"},
    {12, 1, -1, -1, K::Image, 270, 80, 20, 20, -1, "ImgLimit2"},
    {13, 1, -1, -1, K::Image, 495, 49, 20, 20, -1, "ImageLEDred"},
    {14, 1, -1, -1, K::Image, 495, 80, 20, 20, -1, "ImageLEDgreen"},
    {15, 1, -1, -1, K::Image, 495, 109, 20, 20, -1, "ImageLEDblack"},
    {16, 1, -1, -1, K::Image, 706, 42, 300, 90, -1, "LogoPlaceholder"},
    {17, 1, -1, -1, K::Image, 844, 42, 160, 90, -1, "ImgLogo"},
    {18, 1, -1, -1, K::Image, 721, 43, 283, 88, -1, "ZELLogo"},
    {19, 1, -1, -1, K::Panel, 5, 138, 1010, 418, -1, "Panel"},
    {20, 1, -1, -1, K::Image, 825, 41, 180, 91, -1, "ImgLogoEN"},
    {22, 1, 19, 0, K::Frame, 4, 4, 298, 200, 8, "FrmBase"},
    {27, 1, 19, 0, K::Text, 10, 26, 118, 16, 10, "DscUnit"},
    {28, 1, 19, 0, K::ComboBox, 132, 24, 86, 20, -1, "CmbUnit"},
    {29, 1, 19, 0, K::Text, 10, 48, 118, 16, 11, "DscHiTrailing"},
    {30, 1, 19, 0, K::String, 132, 46, 58, 20, -1, "FldHiTrailing"},
    {31, 1, 19, 0, K::Button, 238, 46, 58, 20, 12, "BtnClearHiTrailing"},
    {32, 1, 19, 0, K::Text, 10, 70, 118, 16, 13, "DscLowTrailing"},
    {33, 1, 19, 0, K::String, 132, 68, 58, 20, -1, "FldLowTrailing"},
    {34, 1, 19, 0, K::Button, 238, 68, 58, 20, 12, "BtnClearLowTrailing"},
    {35, 1, 19, 0, K::Text, 10, 92, 118, 16, 14, "DscDspMBE"},
    {36, 1, 19, 0, K::String, 132, 90, 58, 20, -1, "DspMBE"},
    {37, 1, 19, 0, K::Text, 10, 114, 118, 16, 15, "DscDspMBA"},
    {38, 1, 19, 0, K::String, 132, 112, 58, 20, -1, "DspMBA"},
    {39, 1, 19, 0, K::Text, 10, 136, 118, 16, 16, "DscTeachLower"},
    {40, 1, 19, 0, K::Button, 132, 134, 58, 20, 17, "BtnSetTeachLower"},
    {41, 1, 19, 0, K::Button, 312, 164, 124, 20, 19, "BtnTempTLR"},
    {42, 1, 19, 0, K::String, 194, 90, 58, 20, -1, "TempUpper"},
    {43, 1, 19, 0, K::Button, 440, 164, 124, 20, 18, "BtnTempTUR"},
    {44, 1, 19, 0, K::String, 194, 112, 58, 20, -1, "TempLower"},
    {45, 1, 19, 0, K::Text, 10, 158, 118, 16, 20, "DscTempDamping"},
    {46, 1, 19, 0, K::String, 132, 156, 58, 20, -1, "TempDamping"},
    {47, 1, 19, 0, K::Text, 10, 180, 118, 16, 21, "DscHartAddress"},
    {48, 1, 19, 0, K::String, 132, 178, 40, 20, -1, "HartAddress"},
    {49, 1, 19, 0, K::Frame, 306, 4, 278, 134, 22, "FrmDisplay"},
    {50, 1, 19, 0, K::Text, 312, 26, 100, 16, 23, "DscAddUnit"},
    {51, 1, 19, 0, K::ComboBox, 416, 24, 110, 20, -1, "CmbAddUnit"},
    {52, 1, 19, 0, K::Text, 312, 48, 100, 16, 24, "DscTimeUnit"},
    {53, 1, 19, 0, K::String, 416, 46, 58, 20, -1, "FldTimeUnit"},
    {54, 1, 19, 0, K::Text, 312, 70, 100, 16, 25, "DscTimDisplay"},
    {55, 1, 19, 0, K::String, 416, 68, 58, 20, -1, "FldTimDisplay"},
    {56, 1, 19, 0, K::Text, 312, 92, 100, 16, 26, "DscRotate"},
    {57, 1, 19, 0, K::ComboBox, 416, 90, 110, 20, -1, "CmbRotate"},
    {58, 1, 19, 0, K::Text, 312, 114, 100, 16, 27, "DscDecPoint"},
    {59, 1, 19, 0, K::ComboBox, 416, 112, 110, 20, -1, "CmbDecPoint"},
    {60, 1, 19, 0, K::Frame, 588, 4, 410, 134, 28, "FrmSwitch1"},
    {61, 1, 19, 0, K::Text, 594, 26, 100, 16, 29, "DscOutFunc1"},
    {62, 1, 19, 0, K::ComboBox, 698, 24, 210, 20, -1, "CmbOutFunc1"},
    {63, 1, 19, 0, K::Text, 594, 48, 100, 16, 30, "DscSetPoint1"},
    {64, 1, 19, 0, K::String, 698, 46, 58, 20, -1, "FldSetPoint1"},
    {65, 1, 19, 0, K::Text, 594, 70, 100, 16, 31, "DscResetPoint1"},
    {66, 1, 19, 0, K::String, 698, 68, 58, 20, -1, "FldResetPoint1"},
    {67, 1, 19, 0, K::Text, 594, 92, 100, 16, 32, "DscFrameHi1"},
    {68, 1, 19, 0, K::String, 698, 90, 58, 20, -1, "FldFrameHi1"},
    {69, 1, 19, 0, K::Text, 594, 114, 100, 16, 33, "DscFrameLow1"},
    {70, 1, 19, 0, K::String, 698, 112, 58, 20, -1, "FldFrameLow1"},
    {71, 1, 19, 0, K::Text, 802, 48, 86, 16, 34, "DscDelaySet1"},
    {72, 1, 19, 0, K::String, 890, 46, 58, 20, -1, "FldDelaySet1"},
    {73, 1, 19, 0, K::Text, 802, 70, 86, 16, 35, "DscDelayReset1"},
    {74, 1, 19, 0, K::Text, 802, 92, 86, 16, 36, "DscTestSW1"},
    {75, 1, 19, 0, K::String, 890, 68, 58, 20, -1, "FldDelayReset1"},
    {76, 1, 19, 0, K::Button, 890, 90, 58, 20, 37, "BtnTestSW1"},
    {77, 1, 19, 0, K::Frame, 588, 144, 410, 134, 38, "FrmSwitch2"},
    {78, 1, 19, 0, K::Text, 594, 166, 100, 16, 39, "DscOutFunc2"},
    {79, 1, 19, 0, K::ComboBox, 698, 164, 210, 20, -1, "CmbOutFunc2"},
    {80, 1, 19, 0, K::Text, 594, 188, 100, 16, 40, "DscSetPoint2"},
    {81, 1, 19, 0, K::String, 698, 186, 58, 20, -1, "FldSetPoint2"},
    {82, 1, 19, 0, K::Text, 594, 210, 100, 16, 41, "DscResetPoint2"},
    {83, 1, 19, 0, K::String, 698, 208, 58, 20, -1, "FldResetPoint2"},
    {84, 1, 19, 0, K::Text, 594, 232, 100, 16, 42, "DscFrameHi2"},
    {85, 1, 19, 0, K::String, 698, 230, 58, 20, -1, "FldFrameHi2"},
    {86, 1, 19, 0, K::Text, 594, 254, 100, 16, 43, "DscFrameLow2"},
    {87, 1, 19, 0, K::String, 698, 252, 58, 20, -1, "FldFrameLow2"},
    {88, 1, 19, 0, K::Text, 802, 188, 86, 16, 44, "DscDelaySet2"},
    {89, 1, 19, 0, K::String, 890, 186, 58, 20, -1, "FldDelaySet2"},
    {90, 1, 19, 0, K::Text, 802, 210, 86, 16, 45, "DscDelayReset2"},
    {91, 1, 19, 0, K::String, 890, 208, 58, 20, -1, "FldDelayReset2"},
    {92, 1, 19, 0, K::Text, 802, 232, 86, 16, 46, "DscTestSW2"},
    {93, 1, 19, 0, K::Button, 890, 230, 58, 20, 37, "BtnTestSW2"},
    {94, 1, 19, 0, K::Frame, 4, 210, 298, 112, 47, "FrmSystem"},
    {95, 1, 19, 0, K::Text, 10, 232, 118, 16, 48, "DscHWVers"},
    {96, 1, 19, 0, K::String, 132, 230, 58, 20, -1, "FldHWVers1"},
    {97, 1, 19, 0, K::String, 194, 230, 58, 20, -1, "FldHWVers2"},
    {98, 1, 19, 0, K::Text, 10, 254, 118, 16, 49, "DscSWVers"},
    {99, 1, 19, 0, K::String, 132, 252, 58, 20, -1, "FldSWVers1"},
    {100, 1, 19, 0, K::String, 194, 252, 58, 20, -1, "FldSWVers2"},
    {101, 1, 19, 0, K::Text, 10, 276, 118, 16, 50, "DscSerialNo"},
    {102, 1, 19, 0, K::String, 132, 274, 58, 20, -1, "FldDscSerialNo1"},
    {103, 1, 19, 0, K::String, 194, 274, 58, 20, -1, "FldDscSerialNo2"},
    {104, 1, 19, 0, K::Text, 10, 298, 118, 16, 51, "DscTagID"},
    {105, 1, 19, 0, K::String, 132, 296, 120, 20, -1, "TagID"},
    {106, 1, 19, 0, K::Text, 312, 254, 82, 16, 52, "DscFactSet"},
    {107, 1, 19, 0, K::Button, 398, 252, 80, 20, 84, "BtnFactSet"},
    {108, 1, 19, 0, K::Button, 482, 252, 82, 20, 53, "BtnFactSetRest"},
    {109, 1, 19, 0, K::Text, 312, 232, 82, 16, 54, "DscLoopTest"},
    {110, 1, 19, 0, K::String, 452, 230, 58, 20, -1, "ValLoopTest"},
    {111, 1, 19, 0, K::Button, 398, 230, 50, 20, 37, "BtnLoopStartStop"},
    {112, 1, 19, 0, K::Frame, 306, 144, 278, 134, 55, "FrmAdjustment"},
    {113, 1, 19, 1, K::Frame, 4, 4, 270, 178, 60, "FrmRangeAdm"},
    {114, 1, 19, 1, K::ComboBox, 214, 90, 54, 20, -1, "CmbUnitAdm"},
    {115, 1, 19, 1, K::Text, 10, 114, 116, 16, 61, "DscUpperNominalVal"},
    {116, 1, 19, 1, K::Text, 10, 26, 116, 16, 14, "DscUpperRangeVal"},
    {117, 1, 19, 1, K::String, 128, 24, 52, 20, -1, "FldUpperRangeVal"},
    {118, 1, 19, 1, K::Text, 10, 48, 116, 16, 15, "DscLowerRangeVal"},
    {119, 1, 19, 1, K::String, 128, 46, 52, 20, -1, "FldLowerRangeVal"},
    {120, 1, 19, 1, K::Text, 10, 70, 116, 16, 64, "DscUnitULRV"},
    {121, 1, 19, 1, K::ComboBox, 214, 68, 54, 20, -1, "ComboDecPULRV"},
    {122, 1, 19, 1, K::ComboBox, 128, 68, 84, 20, -1, "CmbUnitULRV"},
    {123, 1, 19, 1, K::String, 214, 24, 54, 20, -1, "FldADhigh"},
    {124, 1, 19, 1, K::String, 214, 46, 54, 20, -1, "FldADlow"},
    {125, 1, 19, 0, K::Text, 312, 188, 82, 16, 57, "Dsc4mAu"},
    {126, 1, 19, 0, K::Button, 398, 186, 50, 20, 37, "BtnSet4mAOnOffu"},
    {127, 1, 19, 1, K::String, 96, 208, 50, 20, -1, "Val4mA"},
    {128, 1, 19, 0, K::Button, 514, 186, 50, 20, 58, "BtnTempSet4mA"},
    {129, 1, 19, 0, K::Text, 312, 210, 82, 16, 59, "Dsc20mAu"},
    {130, 1, 19, 0, K::Button, 398, 208, 50, 20, 37, "BtnSet20mAOnOffu"},
    {131, 1, 19, 0, K::Button, 514, 208, 50, 20, 58, "BtnTempSet20mA"},
    {132, 1, 19, 1, K::Button, 10, 156, 112, 20, 63, "BtnAdmTLR"},
    {133, 1, 19, 1, K::Button, 128, 156, 112, 20, 62, "BtnAdmTUR"},
    {134, 1, 19, 1, K::Frame, 4, 188, 270, 112, 58, "FrmTrimAdm"},
    {135, 1, 19, 1, K::Text, 10, 210, 42, 16, 57, "Dsc4mA"},
    {136, 1, 19, 1, K::Button, 54, 208, 40, 20, 37, "BtnSet4mAOnOff"},
    {137, 1, 19, 0, K::String, 452, 186, 58, 20, -1, "Val4mAu"},
    {138, 1, 19, 1, K::Button, 148, 208, 40, 20, 58, "BtnSet4mA"},
    {139, 1, 19, 1, K::Button, 190, 208, 78, 20, 109, "BtnSet4mADisp"},
    {140, 1, 19, 1, K::Text, 10, 232, 42, 16, 59, "Dsc20mA"},
    {141, 1, 19, 0, K::String, 452, 208, 58, 20, -1, "Val20mAu"},
    {142, 1, 19, 1, K::Button, 54, 230, 40, 20, 37, "BtnSet20mAOnOff"},
    {143, 1, 19, 1, K::Button, 148, 230, 40, 20, 58, "BtnSet20mA"},
    {144, 1, 19, 1, K::Button, 190, 230, 78, 20, 110, "BtnSet20mADisp"},
    {145, 1, 19, 0, K::Text, 194, 48, 32, 16, -1, "UnitHiTrailing"},
    {146, 1, 19, 0, K::Text, 194, 70, 32, 16, -1, "UnitLowTrailing"},
    {147, 1, 19, 1, K::Text, 10, 254, 84, 16, 54, "DscLoopTestAdm"},
    {148, 1, 19, 1, K::String, 96, 230, 50, 20, -1, "Val20mA"},
    {149, 1, 19, 1, K::Button, 96, 252, 50, 20, 37, "BtnLoopStartStopAdm"},
    {150, 1, 19, 0, K::Text, 256, 114, 40, 16, -1, "UnitDspMBA"},
    {151, 1, 19, 0, K::Text, 256, 92, 40, 16, -1, "UnitDspMBE"},
    {152, 1, 19, 0, K::Text, 194, 158, 32, 16, -1, "UnitTempDamping"},
    {153, 1, 19, 1, K::Text, 10, 276, 84, 16, 52, "DscFactSetAdm"},
    {154, 1, 19, 1, K::Button, 96, 274, 80, 20, 84, "BtnFactSetStore"},
    {155, 1, 19, 0, K::Text, 760, 48, 34, 16, -1, "UnitSetPoint1"},
    {156, 1, 19, 0, K::Text, 760, 92, 34, 16, -1, "UnitFrameHi1"},
    {157, 1, 19, 0, K::Text, 760, 70, 34, 16, -1, "UnitResetPoint1"},
    {158, 1, 19, 0, K::Text, 760, 114, 34, 16, -1, "UnitFrameLow1"},
    {159, 1, 19, 0, K::Text, 952, 48, 34, 16, -1, "UnitDelaySet1"},
    {160, 1, 19, 1, K::Button, 180, 274, 82, 20, 53, "BtnFactSetRestAdm"},
    {161, 1, 19, 2, K::Text, 10, 26, 48, 16, 112, "DscADCByte0"},
    {162, 1, 19, 2, K::String, 60, 24, 32, 20, -1, "ADCByte0"},
    {163, 1, 19, 2, K::Text, 10, 48, 48, 16, 113, "DscADCByte1"},
    {164, 1, 19, 2, K::String, 60, 46, 32, 20, -1, "ADCByte1"},
    {165, 1, 19, 2, K::Text, 10, 70, 48, 16, 114, "DscADCByte2"},
    {166, 1, 19, 2, K::String, 60, 68, 32, 20, -1, "ADCByte2"},
    {167, 1, 19, 2, K::Text, 10, 92, 48, 16, 115, "DscADCByte3"},
    {168, 1, 19, 2, K::String, 60, 90, 32, 20, -1, "ADCByte3"},
    {169, 1, 19, 2, K::Text, 10, 114, 48, 16, 116, "DscADCByte4"},
    {170, 1, 19, 2, K::String, 60, 112, 32, 20, -1, "ADCByte4"},
    {171, 1, 19, 2, K::Text, 10, 136, 48, 16, 117, "DscADCByte5"},
    {172, 1, 19, 2, K::String, 60, 134, 32, 20, -1, "ADCByte5"},
    {173, 1, 19, 2, K::Text, 10, 158, 48, 16, 118, "DscADCByte6"},
    {174, 1, 19, 2, K::String, 60, 156, 32, 20, -1, "ADCByte6"},
    {175, 1, 19, 2, K::Text, 10, 180, 48, 16, 119, "DscADCByte7"},
    {176, 1, 19, 2, K::String, 60, 178, 32, 20, -1, "ADCByte7"},
    {177, 1, 19, 2, K::Text, 10, 202, 48, 16, 120, "DscADCByte8"},
    {178, 1, 19, 2, K::String, 60, 200, 32, 20, -1, "ADCByte8"},
    {179, 1, 19, 2, K::Text, 10, 224, 48, 16, 121, "DscADCByte9"},
    {180, 1, 19, 2, K::String, 60, 222, 44, 20, -1, "ADCByte9"},
    {181, 1, 19, 2, K::Text, 10, 246, 48, 16, 122, "DscADCByte10"},
    {182, 1, 19, 2, K::String, 60, 244, 32, 20, -1, "ADCByte10"},
    {183, 1, 19, 2, K::Text, 110, 26, 48, 16, 123, "DscADCByte11"},
    {184, 1, 19, 2, K::String, 160, 24, 32, 20, -1, "ADCByte11"},
    {185, 1, 19, 2, K::Text, 110, 48, 48, 16, 124, "DscADCByte12"},
    {186, 1, 19, 2, K::String, 160, 46, 44, 20, -1, "ADCByte12"},
    {187, 1, 19, 2, K::Text, 110, 70, 48, 16, 125, "DscADCByte13"},
    {188, 1, 19, 2, K::String, 160, 68, 32, 20, -1, "ADCByte13"},
    {189, 1, 19, 2, K::Text, 110, 92, 48, 16, 126, "DscADCByte14"},
    {190, 1, 19, 2, K::String, 160, 90, 32, 20, -1, "ADCByte14"},
    {191, 1, 19, 2, K::Text, 110, 114, 48, 16, 127, "DscADCByte15"},
    {192, 1, 19, 2, K::String, 160, 112, 32, 20, -1, "ADCByte15"},
    {193, 1, 19, 2, K::Text, 110, 136, 48, 16, 128, "DscADCByte16"},
    {194, 1, 19, 2, K::String, 160, 134, 32, 20, -1, "ADCByte16"},
    {195, 1, 19, 2, K::Text, 110, 158, 48, 16, 129, "DscADCByte17"},
    {196, 1, 19, 2, K::String, 160, 156, 32, 20, -1, "ADCByte17"},
    {197, 1, 19, 2, K::Text, 110, 180, 48, 16, 130, "DscADCByte18"},
    {198, 1, 19, 2, K::String, 160, 178, 32, 20, -1, "ADCByte18"},
    {199, 1, 19, 2, K::Text, 110, 202, 48, 16, 131, "DscADCByte19"},
    {200, 1, 19, 2, K::String, 160, 200, 32, 20, -1, "ADCByte19"},
    {201, 1, 19, 2, K::Text, 110, 224, 48, 16, 132, "DscADCByte20"},
    {202, 1, 19, 2, K::String, 160, 222, 32, 20, -1, "ADCByte20"},
    {203, 1, 19, 2, K::Text, 110, 246, 48, 16, 133, "DscADCByte21"},
    {204, 1, 19, 2, K::String, 160, 244, 32, 20, -1, "ADCByte21"},
    {205, 1, 19, 2, K::Text, 360, 26, 80, 16, 134, "DscMeasRangeHigh"},
    {206, 1, 19, 2, K::String, 442, 24, 70, 20, -1, "MeasRangeHigh"},
    {207, 1, 19, 2, K::Text, 360, 48, 80, 16, 135, "DscMeasRangeLow"},
    {208, 1, 19, 2, K::String, 442, 46, 70, 20, -1, "MeasRangeLow"},
    {210, 1, 19, 2, K::Text, 220, 26, 54, 16, 137, "DscAGW0"},
    {211, 1, 19, 2, K::String, 276, 24, 64, 20, -1, "AGW0"},
    {212, 1, -1, -1, K::Text, 25, 55, 175, 40, -1, "FldDisplay"},
    {213, 1, 19, 2, K::Text, 220, 48, 54, 16, 138, "DscAGW1"},
    {214, 1, 19, 2, K::String, 276, 46, 64, 20, -1, "AGW1"},
    {215, 1, 19, 2, K::Text, 220, 70, 54, 16, 139, "DscAGW2"},
    {216, 1, 19, 2, K::String, 276, 68, 64, 20, -1, "AGW2"},
    {217, 1, 19, 2, K::Text, 220, 92, 54, 16, 140, "DscAGW3"},
    {218, 1, 19, 2, K::String, 276, 90, 64, 20, -1, "AGW3"},
    {219, 1, 19, 2, K::Text, 220, 114, 54, 16, 141, "DscAGW4"},
    {220, 1, 19, 2, K::String, 276, 112, 64, 20, -1, "AGW4"},
    {221, 1, 19, 2, K::Text, 220, 136, 54, 16, 142, "DscAGW5"},
    {222, 1, 19, 2, K::String, 276, 134, 64, 20, -1, "AGW5"},
    {223, 1, 19, 2, K::Text, 220, 158, 54, 16, 143, "DscAGW6"},
    {224, 1, 19, 2, K::String, 276, 156, 64, 20, -1, "AGW6"},
    {225, 1, 19, 2, K::Text, 220, 180, 54, 16, 144, "DscAGW7"},
    {226, 1, 19, 2, K::String, 276, 178, 64, 20, -1, "AGW7"},
    {227, 1, 19, 2, K::Text, 220, 202, 54, 16, 145, "DscAGW8"},
    {228, 1, 19, 2, K::String, 276, 200, 64, 20, -1, "AGW8"},
    {229, 1, 19, 2, K::Text, 220, 224, 54, 16, 146, "DscAGW9"},
    {230, 1, 19, 2, K::String, 276, 222, 64, 20, -1, "AGW9"},
    {231, 1, 19, 2, K::Text, 220, 246, 54, 16, 147, "DscAGW10"},
    {232, 1, 19, 2, K::String, 276, 244, 64, 20, -1, "AGW10"},
    {233, 1, 19, 2, K::Frame, 4, 4, 206, 266, 111, "FrmADCConfig"},
    {234, 1, 19, 2, K::Frame, 214, 4, 136, 266, 136, "FrmAGW"},
    {235, 1, 19, 2, K::Frame, 354, 4, 380, 178, 155, "FrmTransmitter"},
    {236, 1, 19, 1, K::Frame, 278, 4, 256, 200, 67, "FrmDeviceAdm"},
    {237, 1, 19, 1, K::Frame, 278, 210, 256, 112, 47, "FrmSystemAdm"},
    {240, 1, 19, 1, K::Text, 284, 180, 88, 16, 65, "DscDscSerialNo3"},
    {241, 1, 19, 1, K::String, 374, 178, 154, 20, -1, "FldDscSerialNo3"},
    {242, 1, 19, 1, K::Text, 284, 136, 88, 16, 66, "DscConfig"},
    {243, 1, 19, 1, K::ComboBox, 374, 134, 154, 20, -1, "CmbConfig"},
    {244, 1, 19, 1, K::Text, 182, 48, 30, 16, -1, "UnitLowerRangeVal"},
    {245, 1, 19, 1, K::Text, 182, 26, 30, 16, -1, "UnitUpperRangeVal"},
    {246, 1, 19, 1, K::Text, 544, 254, 100, 16, 86, "DscCalcMethod"},
    {247, 1, 19, 1, K::Text, 284, 92, 88, 16, 68, "DscADCOpmode"},
    {248, 1, 19, 1, K::ComboBox, 374, 90, 154, 20, -1, "CmbADCOpmode"},
    {249, 1, 19, 1, K::Text, 284, 114, 88, 16, 69, "DscTaraPulseLen"},
    {250, 1, 19, 1, K::String, 374, 112, 50, 20, -1, "FldTaraPulseLen"},
    {252, 1, 19, 1, K::Text, 284, 26, 88, 16, 71, "DscManufact"},
    {253, 1, 19, 1, K::ComboBox, 374, 24, 154, 20, -1, "CmbManufact"},
    {254, 1, 19, 1, K::Text, 284, 70, 88, 16, 70, "DscDevConfig"},
    {255, 1, 19, 1, K::String, 374, 68, 154, 20, -1, "FldDevConfig"},
    {256, 1, 19, 1, K::Text, 284, 48, 88, 16, 72, "DscDevType"},
    {257, 1, 19, 1, K::ComboBox, 374, 46, 154, 20, -1, "CmbDevType"},
    {258, 1, 19, 1, K::Frame, 538, 4, 264, 222, 73, "FrmHallSwitch"},
    {259, 1, 19, 1, K::Text, 544, 26, 116, 16, 74, "DscHallSwitch"},
    {260, 1, 19, 1, K::ComboBox, 662, 24, 60, 20, -1, "CmbHallSwitch"},
    {261, 1, 19, 1, K::Text, 544, 158, 116, 16, 75, "DscHartDev"},
    {262, 1, 19, 1, K::ComboBox, 662, 156, 60, 20, -1, "CmbHartDev"},
    {263, 1, 19, 1, K::Text, 544, 48, 116, 16, 76, "DscHysteresis"},
    {264, 1, 19, 1, K::String, 662, 46, 54, 20, -1, "Hysteresis"},
    {265, 1, 19, 1, K::Text, 718, 48, 32, 16, -1, "UnitHysteresis"},
    {266, 1, 19, 1, K::Text, 544, 70, 116, 16, 77, "DscSwitchDelay"},
    {267, 1, 19, 1, K::String, 662, 68, 54, 20, -1, "SwitchDelay"},
    {268, 1, 19, 1, K::Text, 718, 70, 32, 16, -1, "UnitSwitchDelay"},
    {269, 1, 19, 1, K::Text, 544, 92, 116, 16, 78, "DscSwitchPoint"},
    {270, 1, 19, 1, K::String, 662, 90, 54, 20, -1, "SwitchPoint"},
    {271, 1, 19, 1, K::Button, 752, 90, 44, 20, 17, "BtnSetSwitchPoint"},
    {272, 1, 19, 1, K::Text, 544, 114, 116, 16, 79, "DscFlashError"},
    {273, 1, 19, 1, K::ComboBox, 662, 112, 60, 20, -1, "CmbFlashError"},
    {274, 1, 19, 1, K::Text, 718, 92, 32, 16, -1, "UnitSwitchPoint"},
    {275, 1, 19, 1, K::Text, 544, 136, 116, 16, 80, "DscFlashTeach"},
    {276, 1, 19, 1, K::ComboBox, 662, 134, 60, 20, -1, "CmbFlashTeach"},
    {277, 1, 19, 0, K::Text, 952, 70, 34, 16, -1, "UnitDelayReset1"},
    {278, 1, 19, 0, K::Text, 760, 188, 34, 16, -1, "UnitSetPoint2"},
    {279, 1, 19, 1, K::Text, 544, 180, 116, 16, 81, "DscCurrentOn"},
    {280, 1, 19, 1, K::String, 662, 178, 54, 20, -1, "CurrentOn"},
    {281, 1, 19, 1, K::Text, 718, 180, 32, 16, 83, "UnitCurrentOn"},
    {282, 1, 19, 1, K::String, 662, 200, 54, 20, -1, "CurrentOff"},
    {283, 1, 19, 1, K::Text, 544, 202, 116, 16, 82, "DscCurrentOff"},
    {284, 1, 19, 1, K::Text, 718, 202, 32, 16, 83, "UnitCurrentOff"},
    {285, 1, 19, 1, K::Frame, 538, 232, 264, 134, 85, "FrmTMU"},
    {286, 1, 19, 1, K::Text, 284, 232, 88, 16, 48, "DscHWVersAdm"},
    {287, 1, 19, 1, K::String, 374, 230, 54, 20, -1, "FldHWVers1Adm"},
    {288, 1, 19, 1, K::String, 430, 230, 54, 20, -1, "FldHWVers2Adm"},
    {289, 1, 19, 1, K::Text, 284, 254, 88, 16, 49, "DscSWVersAdm"},
    {290, 1, 19, 1, K::String, 374, 252, 54, 20, -1, "FldSWVers1Adm"},
    {291, 1, 19, 1, K::String, 430, 252, 54, 20, -1, "FldSWVers2Adm"},
    {292, 1, 19, 1, K::Text, 284, 276, 88, 16, 50, "DscSerialNoAdm"},
    {293, 1, 19, 1, K::String, 374, 274, 54, 20, -1, "FldDscSerialNo1Adm"},
    {294, 1, 19, 1, K::String, 430, 274, 54, 20, -1, "FldDscSerialNo2Adm"},
    {295, 1, 19, 1, K::Text, 284, 298, 88, 16, 51, "DscTagIDAdm"},
    {296, 1, 19, 1, K::String, 374, 296, 120, 20, -1, "TagIDAdm"},
    {297, 1, 19, 1, K::Text, 544, 276, 100, 16, 88, "DscCoeffA0"},
    {298, 1, 19, 1, K::String, 646, 274, 100, 20, -1, "CoeffA0"},
    {299, 1, 19, 1, K::Text, 544, 298, 100, 16, 89, "DscCoeffA1"},
    {300, 1, 19, 1, K::String, 646, 296, 100, 20, -1, "CoeffA1"},
    {301, 1, 19, 1, K::Text, 544, 320, 100, 16, 90, "DscCoeffA2"},
    {302, 1, 19, 1, K::String, 148, 252, 50, 20, -1, "ValLoopTestAdm"},
    {303, 1, 19, 1, K::String, 646, 318, 100, 20, -1, "CoeffA2"},
    {304, 1, 19, 1, K::Text, 544, 342, 100, 16, 91, "DscCoeffA3"},
    {305, 1, 19, 1, K::String, 646, 340, 100, 20, -1, "CoeffA3"},
    {306, 1, 19, 1, K::ComboBox, 646, 252, 150, 20, -1, "CmbCalcMethod"},
    {307, 1, 19, 1, K::Text, 812, 26, 36, 16, 93, "DscMW0"},
    {308, 1, 19, 1, K::Text, 812, 48, 36, 16, 94, "DscMW1"},
    {309, 1, 19, 1, K::Text, 812, 70, 36, 16, 95, "DscMW2"},
    {310, 1, 19, 1, K::Text, 812, 92, 36, 16, 96, "DscMW3"},
    {311, 1, 19, 1, K::Text, 812, 114, 36, 16, 97, "DscMW4"},
    {312, 1, 19, 1, K::Text, 812, 136, 36, 16, 98, "DscMW5"},
    {313, 1, 19, 1, K::Text, 812, 158, 36, 16, 99, "DscMW6"},
    {314, 1, 19, 1, K::Text, 812, 180, 36, 16, 100, "DscMW7"},
    {315, 1, 19, 1, K::Text, 812, 202, 36, 16, 101, "DscMW8"},
    {316, 1, 19, 1, K::Text, 812, 224, 36, 16, 102, "DscMW9"},
    {317, 1, 19, 1, K::String, 850, 24, 54, 20, -1, "MW0"},
    {318, 1, 19, 1, K::Button, 962, 24, 34, 20, 17, "BtnADC0"},
    {319, 1, 19, 1, K::String, 906, 24, 54, 20, -1, "ADC0"},
    {320, 1, 19, 1, K::String, 850, 46, 54, 20, -1, "MW1"},
    {321, 1, 19, 1, K::Button, 962, 46, 34, 20, 17, "BtnADC1"},
    {322, 1, 19, 1, K::String, 906, 46, 54, 20, -1, "ADC1"},
    {323, 1, 19, 1, K::String, 850, 68, 54, 20, -1, "MW2"},
    {324, 1, 19, 1, K::Button, 962, 68, 34, 20, 17, "BtnADC2"},
    {325, 1, 19, 1, K::String, 906, 68, 54, 20, -1, "ADC2"},
    {326, 1, 19, 1, K::String, 850, 90, 54, 20, -1, "MW3"},
    {327, 1, 19, 1, K::Button, 962, 90, 34, 20, 17, "BtnADC3"},
    {328, 1, 19, 1, K::String, 906, 90, 54, 20, -1, "ADC3"},
    {329, 1, 19, 1, K::String, 850, 112, 54, 20, -1, "MW4"},
    {330, 1, 19, 1, K::Button, 962, 112, 34, 20, 17, "BtnADC4"},
    {331, 1, 19, 1, K::String, 906, 112, 54, 20, -1, "ADC4"},
    {332, 1, 19, 1, K::String, 850, 134, 54, 20, -1, "MW5"},
    {333, 1, 19, 1, K::Button, 962, 134, 34, 20, 17, "BtnADC5"},
    {334, 1, 19, 1, K::String, 906, 134, 54, 20, -1, "ADC5"},
    {335, 1, 19, 1, K::String, 850, 156, 54, 20, -1, "MW6"},
    {336, 1, 19, 1, K::Button, 962, 156, 34, 20, 17, "BtnADC6"},
    {337, 1, 19, 1, K::String, 906, 156, 54, 20, -1, "ADC6"},
    {338, 1, 19, 1, K::String, 850, 178, 54, 20, -1, "MW7"},
    {339, 1, 19, 1, K::Button, 962, 178, 34, 20, 17, "BtnADC7"},
    {340, 1, 19, 1, K::String, 906, 178, 54, 20, -1, "ADC7"},
    {341, 1, 19, 1, K::String, 850, 200, 54, 20, -1, "MW8"},
    {342, 1, 19, 1, K::Button, 962, 200, 34, 20, 17, "BtnADC8"},
    {343, 1, 19, 1, K::String, 906, 200, 54, 20, -1, "ADC8"},
    {344, 1, 19, 1, K::String, 850, 222, 54, 20, -1, "MW9"},
    {345, 1, 19, 1, K::Button, 962, 222, 34, 20, 17, "BtnADC9"},
    {346, 1, 19, 1, K::Text, 812, 246, 36, 16, 103, "DscMW10"},
    {347, 1, 19, 1, K::Button, 850, 266, 54, 20, 104, "BtnFillADC"},
    {348, 1, 19, 0, K::Text, 760, 232, 34, 16, -1, "UnitFrameHi2"},
    {349, 1, 19, 1, K::Button, 906, 266, 54, 20, 12, "BtnClrADC"},
    {350, 1, 19, 1, K::String, 906, 222, 54, 20, -1, "ADC9"},
    {351, 1, 19, 1, K::String, 850, 244, 54, 20, -1, "MW10"},
    {352, 1, 19, 1, K::Button, 962, 244, 34, 20, 17, "BtnADC10"},
    {353, 1, 19, 1, K::String, 906, 244, 54, 20, -1, "ADC10"},
    {354, 1, 19, 1, K::Frame, 806, 4, 196, 288, 92, "FrmADCTable"},
    {357, 1, 19, 2, K::Text, 360, 70, 80, 16, 152, "DscNomRangeHigh"},
    {358, 1, 19, 2, K::String, 442, 68, 70, 20, -1, "NomRangeHigh"},
    {359, 1, 19, 2, K::Text, 360, 92, 80, 16, 153, "DscNomRangeLow"},
    {360, 1, 19, 2, K::String, 442, 90, 70, 20, -1, "NomRangeLow"},
    {361, 1, 19, 2, K::Text, 360, 158, 80, 16, 107, "DscSelCmd"},
    {362, 1, 19, 2, K::ComboBox, 442, 156, 184, 20, -1, "CmbSelCmd"},
    {363, 1, 19, 2, K::Button, 630, 156, 96, 20, 108, "BtnSendCmd"},
    {364, 1, 19, 2, K::Button, 360, 134, 118, 20, 148, "BtnReadTransm"},
    {365, 1, 19, 2, K::Button, 484, 134, 118, 20, 149, "BtnWriteTransm"},
    {366, 1, 19, 2, K::Button, 608, 134, 118, 20, 150, "BtnStoreConfig"},
    {369, 1, 19, 1, K::String, 128, 112, 52, 20, -1, "UpperNominalVal"},
    {370, 1, 19, 1, K::Text, 10, 136, 116, 16, 105, "DscLowerNominalVal"},
    {371, 1, 19, 0, K::Text, 760, 210, 34, 16, -1, "UnitResetPoint2"},
    {372, 1, 19, 0, K::Text, 760, 254, 34, 16, -1, "UnitFrameLow2"},
    {373, 1, 19, 1, K::String, 128, 134, 52, 20, -1, "LowerNominalVal"},
    {374, 1, 19, 1, K::Text, 182, 136, 30, 16, -1, "UnitLowerNominalVal"},
    {375, 1, 19, 0, K::Text, 952, 188, 34, 16, -1, "UnitDelaySet2"},
    {376, 1, 19, 0, K::Text, 952, 210, 34, 16, -1, "UnitDelayReset2"},
    {377, 1, 19, 0, K::Text, 478, 48, 32, 16, -1, "UnitTimeUnit"},
    {378, 1, 19, 0, K::Text, 478, 70, 32, 16, -1, "UnitTimDisplay"},
    {379, 1, 19, 1, K::Text, 182, 114, 30, 16, -1, "UnitUpperNominalVal"},
    {380, 1, 19, 1, K::Text, 284, 158, 88, 16, 106, "DscSelEquip"},
    {381, 1, 19, 1, K::ComboBox, 374, 156, 154, 20, -1, "CmbSelEquip"},
    {383, 1, 19, 1, K::Text, 10, 308, 50, 16, 107, "DscSelCmdAdm"},
    {384, 1, 19, 1, K::ComboBox, 62, 306, 116, 20, -1, "CmbSelCmdAdm"},
    {385, 1, 19, 1, K::Button, 180, 306, 94, 20, 108, "BtnSendCmdAdm"},
    {386, 1, 19, 1, K::Text, 10, 92, 116, 16, 20, "DscDampingAdm"},
    {387, 1, 19, 1, K::String, 128, 90, 52, 20, -1, "DampingAdm"},
    {388, 1, 19, 1, K::Text, 182, 92, 30, 16, -1, "UnitDampingAdm"},
    {389, 1, 19, 2, K::String, 442, 112, 284, 20, -1, "MeasElemConfigName"},
    {390, 1, 19, 2, K::Text, 360, 114, 80, 16, 151, "DscMeasElemConfigName"},
    {391, 1, 19, 3, K::Image, 20, 24, 460, 310, -1, "Diagram1"},
    {392, 1, 19, 3, K::Image, 515, 24, 460, 310, -1, "Diagram2"},
    {393, 1, 19, 4, K::Button, 10, 8, 90, 22, 157, "BtnDiagRead"},
    {394, 1, 19, 4, K::Button, 106, 8, 90, 22, 158, "BtnDiagSave"},
    {397, 2, -1, -1, K::TrackBar, 15, 35, 400, 30, -1, "TstSlider"},
    {398, 2, -1, -1, K::String, 440, 48, 40, 20, -1, "TstInput"},
    {399, 3, -1, -1, K::Image, 20, 12, 32, 32, -1, "Icon"},
    {400, 3, -1, -1, K::Text, 60, 14, 300, 30, -1, "StepText"},
    {402, 3, -1, -1, K::Button, 300, 78, 60, 26, 162, "Button"},
    {403, 3, -1, -1, K::Text, 60, 82, 230, 16, -1, "StatusLine"},
    {405, 1, 19, 4, K::Editor, 10, 36, 980, 340, -1, "DiagReport"},
};

constexpr bool sortedByNumber() {
    for (std::size_t i = 1; i < std::size(kControls); ++i) {
        if (kControls[i - 1].number >= kControls[i].number) return false;
    }
    return true;
}
static_assert(sortedByNumber(), "controls must be listed once each, in number order");

QStringView prefixOf(int window) {
    switch (window) {
        case kTestInputWindow:
            return u"#Gadget_InputTest_";
        case kProgressWindow:
            return u"#Gadget_Progress_";
        default:
            return u"#Gadget_ZELHart_";
    }
}

}  // namespace

const ControlInfo* controlsBegin() {
    return std::begin(kControls);
}
const ControlInfo* controlsEnd() {
    return std::end(kControls);
}
std::size_t controlCount() {
    return std::size(kControls);
}

const ControlInfo* findControl(int number) {
    const ControlInfo* it =
        std::lower_bound(controlsBegin(), controlsEnd(), number,
                         [](const ControlInfo& c, int n) { return c.number < n; });
    return it != controlsEnd() && it->number == number ? it : nullptr;
}

const ControlInfo* findControl(const QString& name) {
    // Compared in place: the window looks up hundreds of names while it is
    // built, and building each row's symbolic name to compare it cost more
    // than the rest of the lookup.
    QStringView bare(name);
    const bool prefixed = name.startsWith(QLatin1Char('#'));
    for (const ControlInfo& c : kControls) {
        if (prefixed) {
            const QStringView prefix = prefixOf(c.window);
            if (!name.startsWith(prefix)) continue;
            bare = QStringView(name).mid(prefix.size());
        }
        if (bare == QLatin1String(c.name)) return &c;
    }
    return nullptr;
}

int controlNumber(const QString& name) {
    const ControlInfo* c = findControl(name);
    return c ? c->number : -1;
}

QString kindWord(ControlKind kind) {
    switch (kind) {
        case K::Text:
            return QStringLiteral("TextGadget");
        case K::String:
            return QStringLiteral("StringGadget");
        case K::Button:
            return QStringLiteral("ButtonGadget");
        case K::ComboBox:
            return QStringLiteral("ComboBoxGadget");
        case K::Image:
            return QStringLiteral("ImageGadget");
        case K::Panel:
            return QStringLiteral("PanelGadget");
        case K::Frame:
            return QStringLiteral("FrameGadget");
        case K::TrackBar:
            return QStringLiteral("TrackBarGadget");
        case K::Editor:
            return QStringLiteral("EditorGadget");
    }
    return QString();
}

bool isCountedKind(ControlKind kind) {
    return kind == K::Text || kind == K::String || kind == K::Button || kind == K::ComboBox ||
           kind == K::Image;
}

QString symbolicName(const ControlInfo& info) {
    return prefixOf(info.window).toString() + QLatin1String(info.name);
}

}  // namespace zh
