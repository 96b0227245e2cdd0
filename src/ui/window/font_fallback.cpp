#include "ui/window/font_fallback.h"

#include <QFontDatabase>
#include <QStringList>

namespace zh {
namespace {

struct Substitute {
    const char* family;
    const char* standIn;
};

// Stand-ins with the same character widths as the fonts they replace.
constexpr Substitute kSubstitutes[] = {
    {"Arial", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Microsoft Sans Serif", "Liberation Sans"},
    {"MS Shell Dlg", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Times New Roman", "Liberation Serif"},
};

bool installed(const QString& family) {
    const QStringList families = QFontDatabase::families();
    return families.contains(family, Qt::CaseInsensitive);
}

}  // namespace

QString availableFontFamily(const QString& family) {
    if (installed(family)) return family;
    for (const Substitute& s : kSubstitutes) {
        const QString standIn = QLatin1String(s.standIn);
        if (family.compare(QLatin1String(s.family), Qt::CaseInsensitive) == 0 && installed(standIn))
            return standIn;
    }
    return family;
}

QFont programFont(const QString& family, qreal pointSize, bool bold) {
    QFont f(availableFontFamily(family));
    f.setPointSizeF(pointSize > 0 ? pointSize : 8.0);
    f.setBold(bold);
    return f;
}

}  // namespace zh
