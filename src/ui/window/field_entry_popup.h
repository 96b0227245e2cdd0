#pragma once
// The field-table entry of the control under the mouse (or, when no bound
// control is there, of the control that has the focus), shown in a small
// window at the mouse position: a diagnostic for the people who set up the
// program. The window never takes the main window from the person: Escape,
// its close box and its Close button close it, and so does any click or key
// in the main window, which then goes on to the main window as usual.

#include <QDialog>

class QPlainTextEdit;

namespace zh {

class FieldInspector;
class MainWindow;
class QtGadgets;
struct DeviceModel;

class FieldEntryPopup final : public QDialog {
  public:
    FieldEntryPopup(QWidget* mainWindow, const QString& report);
    QString report() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPlainTextEdit* text_;
};

// False when no bound field is under the mouse nor has the focus (nothing
// is shown). A window still open from an earlier call is replaced.
bool showFieldEntry(MainWindow& window, DeviceModel& model, QtGadgets& gadgets,
                    FieldInspector& inspector);

}  // namespace zh
