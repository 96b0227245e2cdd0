#pragma once
// The Qt widget for each kind of control, and the image control that shows
// a picture fitted into whatever size the window gives it.

#include <QFont>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "ui/window/field_controls.h"

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

// Captions are never drawn smaller than this (unless the whole window was
// made smaller, which shrinks every font with it).
constexpr qreal kSmallestCaptionPoints = 7.0;

// How a caption is drawn in an area too small for it at its font: on a
// second line where the area is tall enough, else in a smaller font down to
// kSmallestCaptionPoints, and only when even that is too wide, cut at the
// end with an ellipsis (`elided`; the control then shows the whole caption
// as its tooltip).
struct CaptionFit {
    QFont font;
    QString text;
    bool wrap = false;
    bool elided = false;
};
CaptionFit fitCaption(const QFont& font, const QString& text, const QSize& area);

// A one-line label whose text is drawn as fitCaption() says when it does not
// fit (a translation longer than the English caption, a window made
// smaller). The label's own font stays what it was set to.
class FittingLabel final : public QLabel {
  public:
    using QLabel::QLabel;
    CaptionFit drawnCaption() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A push button whose caption is drawn as FittingLabel's is.
class FittingButton final : public QPushButton {
  public:
    using QPushButton::QPushButton;
    CaptionFit drawnCaption() const;
    // The room the caption has inside the button's bevel.
    QRect captionRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A new widget for `info` with its caption, child of `parent`; the caller
// places it.
QWidget* createControlWidget(const ControlInfo& info, const QString& caption, QWidget* parent);

}  // namespace zh
