#include "control_widgets.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTextEdit>

namespace zh {

ImageControl::ImageControl(QWidget* parent) : QWidget(parent) {}

void ImageControl::setPixmap(const QPixmap& pixmap) {
    pixmap_ = pixmap;
    update();
}

void ImageControl::paintEvent(QPaintEvent*) {
    if (pixmap_.isNull() || width() <= 0 || height() <= 0) return;
    const QSize fitted = pixmap_.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                       fitted);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, pixmap_);
}

QWidget* createControlWidget(const ControlInfo& info, const QString& caption, QWidget* parent) {
    switch (info.kind) {
        case ControlKind::Text: {
            auto* label = new QLabel(caption, parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            return label;
        }
        case ControlKind::String:
            return new QLineEdit(parent);
        case ControlKind::Button:
            return new QPushButton(caption, parent);
        case ControlKind::ComboBox:
            return new QComboBox(parent);
        case ControlKind::Image:
            return new ImageControl(parent);
        case ControlKind::Panel:
            return new QTabWidget(parent);
        case ControlKind::Frame:
            return new QGroupBox(caption, parent);
        case ControlKind::TrackBar: {
            auto* slider = new QSlider(Qt::Horizontal, parent);
            slider->setRange(0, 100);
            return slider;
        }
        case ControlKind::Editor: {
            auto* view = new QTextEdit(parent);
            view->setReadOnly(true);
            return view;
        }
    }
    return new QWidget(parent);
}

}  // namespace zh
