#pragma once
// A test program with the real window: the scripted dialogs, clock and
// program folder of TestProgram, the Qt controls, and a main window built
// on the shipped profile.

#include <gtest/gtest.h>

#include <QFile>
#include <memory>

#include "app/profile_settings.h"
#include "support/test_program.h"
#include "ui/window/field_controls.h"
#include "ui/window/main_window.h"
#include "ui/window/qt_gadgets.h"

namespace zh::test {

struct WindowRig {
    TestProgram t;
    QtGadgets gadgets;
    std::unique_ptr<MainWindow> window;

    // Puts a shipped profile ("Config.ini" or "Config-125.ini") where the
    // program looks for its profile, with the text `from` replaced by `to`.
    void useShippedProfile(const char* shipped, const QByteArray& from = QByteArray(),
                           const QByteArray& to = QByteArray()) {
        QFile f(QStringLiteral(ZH_SOURCE_DIR "/resources/") + QLatin1String(shipped));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray profile = f.readAll();
        if (!from.isEmpty()) {
            ASSERT_TRUE(profile.contains(from));
            profile.replace(from, to);
        }
        t.program.ini.forget(t.writeFile(QStringLiteral("Config-125.ini"), profile));
        ASSERT_TRUE(readProfileFile(t.program));
    }

    MainWindow& build() {
        window = std::make_unique<MainWindow>(t.program, gadgets);
        window->allowClose();
        return *window;
    }
    QWidget* control(const char* name) const {
        return gadgets.widget(controlNumber(QLatin1String(name)));
    }
};

}  // namespace zh::test
