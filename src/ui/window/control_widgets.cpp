#include "ui/window/control_widgets.h"

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
#include <QVariant>
#include <algorithm>

#include "ui/window/fitting_combo_box.h"

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

bool fitsOneLine(const QFont& font, const QString& text, const QSize& area) {
    return QFontMetrics(font).horizontalAdvance(text) <= area.width();
}

// Wrapped at word boundaries, the text fits the area (which must have room
// for two lines: a single line that fits is fitsOneLine's case).
bool fitsWrapped(const QFont& font, const QString& text, const QSize& area) {
    const QFontMetrics metrics(font);
    if (2 * metrics.lineSpacing() > area.height()) return false;
    const QRect r = metrics.boundingRect(QRect(QPoint(), area), Qt::TextWordWrap, text);
    return r.width() <= area.width() && r.height() <= area.height();
}

}  // namespace

CaptionFit fitCaption(const QFont& font, const QString& text, const QSize& area) {
    CaptionFit fit;
    fit.font = font;
    fit.text = text;
    if (text.isEmpty() || fitsOneLine(font, text, area)) return fit;
    // A window made small already shrinks its fonts; never below that.
    const qreal designed = font.pointSizeF() > 0 ? font.pointSizeF() : 8.0;
    const qreal smallest = std::min(designed, kSmallestCaptionPoints);
    // First a second line at the same size, then smaller sizes (on one or
    // two lines), half a point at a time.
    for (qreal size = designed; size >= smallest; size -= 0.5) {
        fit.font.setPointSizeF(size);
        fit.wrap = fitsWrapped(fit.font, text, area);
        if (fit.wrap || fitsOneLine(fit.font, text, area)) return fit;
    }
    fit.font.setPointSizeF(smallest);
    fit.wrap = false;
    fit.text = QFontMetrics(fit.font).elidedText(text, Qt::ElideRight, area.width());
    fit.elided = true;
    return fit;
}

namespace {

// The whole caption as the tooltip while it is cut; a tooltip the program
// gave the control stays.
void showWholeCaptionAsTip(QWidget* w, const QString& caption, bool elided) {
    const bool ours = w->property("captionTip").toBool();
    if (elided && (ours || w->toolTip().isEmpty())) {
        if (w->toolTip() != caption) w->setToolTip(caption);
        w->setProperty("captionTip", true);
    } else if (!elided && ours) {
        w->setToolTip(QString());
        w->setProperty("captionTip", false);
    }
}

}  // namespace

QRect FittingButton::captionRect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
}

CaptionFit FittingButton::drawnCaption() const {
    return fitCaption(font(), text(), captionRect().size());
}

void FittingButton::paintEvent(QPaintEvent* event) {
    const CaptionFit fit = drawnCaption();
    showWholeCaptionAsTip(this, text(), fit.elided);
    if (fit.font == font() && fit.text == text() && !fit.wrap) {
        QPushButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setFont(fit.font);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(captionRect(), Qt::AlignCenter | (fit.wrap ? Qt::TextWordWrap : 0), fit.text);
}

CaptionFit FittingLabel::drawnCaption() const {
    if (wordWrap() || textFormat() != Qt::PlainText)
        return fitCaption(font(), QString(), contentsRect().size());
    return fitCaption(font(), text(), contentsRect().size());
}

void FittingLabel::paintEvent(QPaintEvent* event) {
    const CaptionFit fit = drawnCaption();
    showWholeCaptionAsTip(this, text(), fit.elided);
    if (fit.font == font() && fit.text == text() && !fit.wrap) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setFont(fit.font);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawText(contentsRect(),
                     static_cast<int>(alignment()) | (fit.wrap ? Qt::TextWordWrap : 0), fit.text);
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
            return new FittingComboBox(parent);
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
