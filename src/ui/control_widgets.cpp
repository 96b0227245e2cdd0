#include "control_widgets.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStyleOptionButton>
#include <QStylePainter>
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

namespace {

constexpr qreal kSmallestPoints = 6.0;

// `font` made smaller, half a point at a time, until `text` fits `width`
// or the smallest readable size is reached.
QFont fittingFont(QFont font, const QString& text, int width) {
    qreal size = font.pointSizeF() > 0 ? font.pointSizeF() : 8.0;
    while (size > kSmallestPoints && QFontMetrics(font).horizontalAdvance(text) > width) {
        size -= 0.5;
        font.setPointSizeF(size);
    }
    return font;
}

}  // namespace

void FittingButton::paintEvent(QPaintEvent* event) {
    constexpr int kPadding = 8;
    const int width = this->width() - kPadding;
    if (text().isEmpty() || fontMetrics().horizontalAdvance(text()) <= width) {
        QPushButton::paintEvent(event);
        return;
    }
    const QFont smaller = fittingFont(font(), text(), width);
    QStylePainter painter(this);
    painter.setFont(smaller);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.fontMetrics = QFontMetrics(smaller);
    option.text = option.fontMetrics.elidedText(text(), Qt::ElideRight, width);
    painter.drawControl(QStyle::CE_PushButton, option);
}

void FittingLabel::paintEvent(QPaintEvent* event) {
    const QRect area = contentsRect();
    const QString shown = text();
    if (wordWrap() || textFormat() != Qt::PlainText || shown.isEmpty() ||
        fontMetrics().horizontalAdvance(shown) <= area.width()) {
        QLabel::paintEvent(event);
        return;
    }
    const QFont smaller = fittingFont(font(), shown, area.width());
    QPainter painter(this);
    painter.setFont(smaller);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    const QString fitted = QFontMetrics(smaller).elidedText(shown, Qt::ElideRight, area.width());
    painter.drawText(area, static_cast<int>(alignment()), fitted);
}

QWidget* createControlWidget(const ControlInfo& info, const QString& caption, QWidget* parent) {
    switch (info.kind) {
        case ControlKind::Text: {
            auto* label = new FittingLabel(caption, parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            return label;
        }
        case ControlKind::String:
            return new QLineEdit(parent);
        case ControlKind::Button:
            return new FittingButton(caption, parent);
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
