#include "ui/window/customer_logo.h"

#include <QFileInfo>
#include <cmath>

#include "app/dialogs.h"
#include "app/program.h"
#include "app/program_folders.h"

namespace zh {
namespace {

// Anything shorter cannot be a picture worth showing.
constexpr qint64 kSmallestLogoFile = 100;

QString warningTitle(Program& p) {
    return p.texts.text(QStringLiteral("Application"), QStringLiteral("Warning"));
}

void reportInvalid(Program& p, const QString& name) {
    const QString text =
        p.texts.text(QStringLiteral("Application"), QStringLiteral("Invalid Logofile specified!")) +
        QStringLiteral(": ") + name;
    p.messages.showMessageBox(warningTitle(p), text, mb::Ok | mb::IconExclamation, MsgText::AsIs);
}

}  // namespace

QString customerLogoFile(Program& p, const QString& srcFile) {
    QString name;
    if (srcFile.isEmpty()) {
        name = p.profile.readProfile(QStringLiteral("Common"), QStringLiteral("LogoFile"),
                                     QString(), p.state.ProfilePath);
        if (name.trimmed().isEmpty()) {
            const QString text =
                p.texts.text(QStringLiteral("Application"),
                             QStringLiteral("Logofile should be specified in languagefile!"));
            p.messages.showMessageBox(warningTitle(p), text, mb::Ok | mb::IconExclamation,
                                      MsgText::AsIs);
        }
    } else {
        name = p.profile.readProfile(QStringLiteral("Special"), QStringLiteral("LogoFile"),
                                     QString(), srcFile);
    }
    name = name.trimmed();
    if (name.isEmpty()) return QString();
    const QFileInfo file(resolveReadOnlyFile(p.state, name));
    if (!file.isFile() || file.size() < kSmallestLogoFile) {
        reportInvalid(p, name);
        return QString();
    }
    return file.absoluteFilePath();
}

void reportUnreadableLogo(Program& program, const QString& name) {
    reportInvalid(program, name);
}

QRect logoPlacement(const QRect& area, const QSize& image) {
    if (image.isEmpty() || area.isEmpty()) return QRect();
    const double factor = std::min(static_cast<double>(area.width()) / image.width(),
                                   static_cast<double>(area.height()) / image.height());
    const int w = static_cast<int>(std::lround(image.width() * factor));
    const int h = static_cast<int>(std::lround(image.height() * factor));
    return QRect(area.x() + area.width() - w, area.y() + (area.height() - h) / 2, w, h);
}

BuiltInLogo builtInLogo(const AppState& state) {
    if (state.EditionName == QLatin1String("ZEL-HART")) return BuiltInLogo::MakerLogo;
    return state.ActualLanguage == QLatin1String("Deutsch") ? BuiltInLogo::Logo
                                                            : BuiltInLogo::LogoEN;
}

}  // namespace zh
