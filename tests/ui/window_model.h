#pragma once
// A program on the shipped profile with every control of the main window
// held in memory and the field table bound to them, as the window tests of
// the visibility rules and the control refresh need it.

#include <gtest/gtest.h>

#include <QFile>

#include "app/profile_settings.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "support/test_program.h"
#include "ui/window/field_controls.h"

namespace zh::test {

struct WindowModel {
    WindowModel() {
        QFile shipped(QStringLiteral(ZH_SOURCE_DIR "/resources/Config.ini"));
        EXPECT_TRUE(shipped.open(QIODevice::ReadOnly));
        t.program.ini.forget(t.writeFile(QStringLiteral("Config-125.ini"), shipped.readAll()));
        EXPECT_TRUE(readProfileFile(t.program));
        t.program.state.DebugLevel = 5;
        registerControls(model.fields);
        for (auto* info = controlsBegin(); info != controlsEnd(); ++info)
            if (info->window == kMainWindow) t.gadgets.control(info->number);
        define(QStringLiteral("Pressure"), QStringLiteral("[bar]"));
    }
    void define(const QString& measurand, const QString& baseUnit) {
        model.cal.Measurand = measurand;
        defineDataStructure(model, baseUnit, 0, -11);
    }

    FieldRecord& f(const QString& name) { return model.fields.at(model.fields.find(name)); }
    MemoryGadgets::Control& c(const char* name) {
        const int n = controlNumber(QLatin1String(name));
        EXPECT_GE(n, 0) << name;
        return t.gadgets.control(n);
    }
    MemoryGadgets::Control& c(int number) { return t.gadgets.control(number); }
    QString log() const { return t.program.log.viewText(); }

    TestProgram t;
    DeviceModel model{t.program};
};

}  // namespace zh::test
