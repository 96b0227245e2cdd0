#include "ui/window/scaled_layout.h"

#include <algorithm>
#include <cmath>

namespace zh {
namespace {

// Below this a font is no longer drawn sensibly; Qt refuses sizes of 0.
constexpr double kSmallestPointSize = 1.0;

int scaledEdge(int v, double factor) {
    return static_cast<int>(std::lround(v * factor));
}

}  // namespace

void ScaledLayout::add(QWidget* widget, const QRect& design, const QFont& designFont) {
    Item& item = items_[widget];
    item.widget = widget;
    item.design = design;
    item.font = designFont;
    apply(item);
}

QRect ScaledLayout::designRect(const QWidget* widget) const {
    const auto it = items_.constFind(widget);
    return it == items_.constEnd() ? QRect() : it->design;
}

void ScaledLayout::setDesignRect(QWidget* widget, const QRect& design) {
    const auto it = items_.find(widget);
    if (it == items_.end()) return;
    it->design = design;
    apply(*it);
}

void ScaledLayout::setDesignFont(QWidget* widget, const QFont& designFont) {
    const auto it = items_.find(widget);
    if (it == items_.end()) return;
    it->font = designFont;
    apply(*it);
}

QFont ScaledLayout::designFont(const QWidget* widget) const {
    const auto it = items_.constFind(widget);
    return it == items_.constEnd() ? QFont() : it->font;
}

void ScaledLayout::scaleTo(double sx, double sy) {
    sx_ = std::max(sx, 0.0);
    sy_ = std::max(sy, 0.0);
    for (Item& item : items_) apply(item);
}

QRect ScaledLayout::scaled(const QRect& design) const {
    const int left = scaledEdge(design.x(), sx_);
    const int top = scaledEdge(design.y(), sy_);
    const int right = scaledEdge(design.x() + design.width(), sx_);
    const int bottom = scaledEdge(design.y() + design.height(), sy_);
    return QRect(left, top, right - left, bottom - top);
}

void ScaledLayout::apply(Item& item) const {
    if (!item.widget) return;
    item.widget->setGeometry(scaled(item.design));
    QFont f = item.font;
    if (f.pointSizeF() > 0)
        f.setPointSizeF(std::max(kSmallestPointSize, f.pointSizeF() * std::min(sx_, sy_)));
    if (item.widget->font() != f) item.widget->setFont(f);
}

}  // namespace zh
