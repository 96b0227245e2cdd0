#pragma once
// The service functions of the main window, as the window holds them.

#include "ui/diagrams/value_capture.h"
#include "ui/service/output_service.h"
#include "ui/service/teach_service.h"

namespace zh {

class ServiceFunctions {
  public:
    ServiceFunctions(DeviceModel& model, DeviceSequences& sequences);

    OutputService output;
    TeachService teach;
    ValueCapture capture;
};

}  // namespace zh
