#pragma once
// Qt's own texts -- the buttons of message boxes (Yes, No, Cancel), the file
// dialog -- in the program's language, from the translations Qt ships.

#include <QString>

namespace zh {

// The locale name of Qt's translation for a language file of the program
// ("Deutsch" -> "de"); empty for English and for languages Qt is not asked for.
QString qtLocaleOfLanguage(const QString& language);

// Installs Qt's translation for `language` in place of the one installed
// before (none for English). False when Qt ships none for it here.
bool useQtTranslation(const QString& language);

}  // namespace zh
