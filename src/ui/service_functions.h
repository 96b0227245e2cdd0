#pragma once
// The service functions of the main window, as the window holds them.

#include "output_service.h"
#include "teach_service.h"
#include "value_capture.h"

namespace zh {

class ServiceFunctions {
  public:
    ServiceFunctions(DeviceModel& model, DeviceSequences& sequences);

    OutputService output;
    TeachService teach;
    ValueCapture capture;
};

}  // namespace zh
