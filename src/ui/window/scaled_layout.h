#pragma once
// Absolute placement scaled from a design size. Every control keeps the
// place, size and font it was designed with; when its window changes size,
// places and sizes follow the horizontal and vertical factors and fonts the
// smaller one, always computed from the design values, so a window made
// tiny and then large again looks exactly as before.

#include <QFont>
#include <QHash>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace zh {

class ScaledLayout {
  public:
    // `design` is relative to the widget's parent.
    void add(QWidget* widget, const QRect& design, const QFont& designFont);
    bool contains(const QWidget* widget) const { return items_.contains(widget); }

    QRect designRect(const QWidget* widget) const;
    void setDesignRect(QWidget* widget, const QRect& design);
    void setDesignFont(QWidget* widget, const QFont& designFont);
    QFont designFont(const QWidget* widget) const;

    void scaleTo(double sx, double sy);
    double scaleX() const { return sx_; }
    double scaleY() const { return sy_; }

    // `design` at the current scale; the edges are rounded, so neighbours
    // stay neighbours.
    QRect scaled(const QRect& design) const;

  private:
    struct Item {
        QPointer<QWidget> widget;
        QRect design;
        QFont font;
    };
    void apply(Item& item) const;

    QHash<const QWidget*, Item> items_;
    double sx_ = 1.0;
    double sy_ = 1.0;
};

}  // namespace zh
