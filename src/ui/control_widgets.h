#pragma once
// The Qt widget for each kind of control, and the image control that shows
// a picture fitted into whatever size the window gives it.

#include <QPixmap>
#include <QString>
#include <QWidget>

#include "control_registry.h"

namespace zh {

// Shows a picture scaled to fit, keeping its proportions, centred. Without a
// picture it draws nothing.
class ImageControl final : public QWidget {
  public:
    explicit ImageControl(QWidget* parent = nullptr);
    void setPixmap(const QPixmap& pixmap);
    const QPixmap& pixmap() const { return pixmap_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap pixmap_;
};

// A new widget for `info` with its caption, child of `parent`; the caller
// places it.
QWidget* createControlWidget(const ControlInfo& info, const QString& caption, QWidget* parent);

}  // namespace zh
