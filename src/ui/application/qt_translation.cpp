#include "ui/application/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace zh {

QString qtLocaleOfLanguage(const QString& language) {
    if (language.compare(QLatin1String("Deutsch"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("de");
    return QString();
}

bool useQtTranslation(const QString& language) {
    // One translation at a time, for the life of the program.
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    const QString locale = qtLocaleOfLanguage(language);
    if (locale.isEmpty()) return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + locale,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

}  // namespace zh
