#include "ui/window/palette_colours.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace zh {
namespace {

// Dark-palette variants of the colours the field states use.
struct Variant {
    QRgb light;
    QRgb dark;
};
constexpr Variant kTextVariants[] = {
    {qRgb(255, 0, 0), qRgb(255, 120, 120)},  // changed
    {qRgb(251, 0, 0), qRgb(255, 120, 120)},  // error
    {qRgb(0, 80, 0), qRgb(130, 220, 130)},   // read
    {qRgb(0, 0, 255), qRgb(130, 170, 255)},  // updated
};
constexpr Variant kBackgroundVariants[] = {
    {qRgb(200, 255, 176), qRgb(25, 55, 20)},  // light green
    {qRgb(255, 255, 53), qRgb(60, 52, 0)},    // error: yellow
};

// A colour of another hue: its lightness turned round, kept light enough
// for text or dark enough for a background.
QColor turned(const QColor& c, bool foreground) {
    const QColor hsl = c.toHsl();
    int lightness = 255 - hsl.lightness();
    lightness = foreground ? std::max(lightness, 190) : std::min(lightness, 70);
    return QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), lightness);
}

double luminance(const QColor& c) {
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

}  // namespace

bool isDarkPalette(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::Window).lightness() < 128;
}

QColor shownColour(const QColor& colour, bool foreground, const QPalette& palette) {
    if (!isDarkPalette(palette)) return colour;
    const QRgb rgb = colour.rgb() | 0xff000000u;
    if (foreground) {
        if (rgb == qRgb(0, 0, 0)) return palette.color(QPalette::Active, QPalette::Text);
        for (const Variant& v : kTextVariants)
            if (v.light == rgb) return QColor(v.dark);
        return colour.lightness() < 160 ? turned(colour, true) : colour;
    }
    if (rgb == qRgb(255, 255, 255)) return palette.color(QPalette::Active, QPalette::Base);
    if (rgb == qRgb(240, 240, 240)) return palette.color(QPalette::Active, QPalette::Window);
    for (const Variant& v : kBackgroundVariants)
        if (v.light == rgb) return QColor(v.dark);
    return colour.lightness() > 100 ? turned(colour, false) : colour;
}

QIcon readableIcon(const QIcon& icon, const QPalette& palette) {
    if (icon.isNull() || !isDarkPalette(palette)) return icon;
    const QColor outline = palette.color(QPalette::Active, QPalette::ButtonText);
    QIcon result;
    for (const int size : {16, 24, 32}) {
        const QPixmap picture = icon.pixmap(QSize(size, size));
        if (picture.isNull()) continue;
        // The picture's shape in the outline colour, drawn around it.
        QPixmap shape(picture.size());
        shape.fill(Qt::transparent);
        {
            QPainter p(&shape);
            p.drawPixmap(0, 0, picture);
            p.setCompositionMode(QPainter::CompositionMode_SourceIn);
            p.fillRect(shape.rect(), outline);
        }
        QPixmap drawn(picture.size());
        drawn.fill(Qt::transparent);
        QPainter p(&drawn);
        for (const QPoint offset : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)})
            p.drawPixmap(offset, shape);
        p.drawPixmap(0, 0, picture);
        p.end();
        result.addPixmap(drawn);
    }
    return result.isNull() ? icon : result;
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace zh
