#pragma once
// The Qt widget for each kind of control, and the image control that shows
// a picture fitted into whatever size the window gives it.

#include <QPixmap>
#include <QString>
#include <QLabel>
#include <QPushButton>
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

// A one-line label whose text is drawn smaller when it does not fit its
// width (a translation longer than the English caption, a window made
// smaller), down to a smallest readable size; then it is cut at the end
// with an ellipsis. The label's own font stays what it was set to.
class FittingLabel final : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A push button whose caption is drawn smaller when it does not fit, as
// FittingLabel does.
class FittingButton final : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A new widget for `info` with its caption, child of `parent`; the caller
// places it.
QWidget* createControlWidget(const ControlInfo& info, const QString& caption, QWidget* parent);

}  // namespace zh
