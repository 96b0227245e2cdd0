#pragma once
// A model of its own, without controls, holding a copy of another's data:
// the data set a comparison or a report keeps while the program's model
// takes what the device holds.

#include "app/headless_gadgets.h"
#include "app/program.h"
#include "model/device_model.h"

namespace zh {

struct ModelCopy {
    explicit ModelCopy(const DeviceModel& source)
        : program(source.program.dialogs, noControls, source.program.clock), model(program) {
        program.state = source.program.state;
        program.log.setThreshold(0);
        model.fields = source.fields;
        model.cal = source.cal;
        model.selection = source.selection;
        model.loadedFields = source.loadedFields;
        model.dataParts = source.dataParts;
        model.fromDevice = source.fromDevice;
    }
    ModelCopy(const ModelCopy&) = delete;
    ModelCopy& operator=(const ModelCopy&) = delete;

    HeadlessGadgets noControls;  // declared before the program that uses it
    Program program;
    DeviceModel model;
};

}  // namespace zh
