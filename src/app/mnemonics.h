#pragma once
// Alt keys in captions: "&Open" is chosen with Alt+O and shows "Open" with
// the O underlined; "&&" is a plain "&". Menus and dialog buttons mark one
// letter each, different within one menu or dialog.

#include <QChar>
#include <QString>
#include <QStringList>

namespace zh {

// The marked character in lower case; a null QChar when there is none.
QChar mnemonicOf(const QString& caption);
// The caption as it reads, for logs, records and titles.
QString withoutMnemonic(const QString& caption);
// A text that must show as it is ("R&D") as a caption.
QString literalCaption(const QString& text);

// Marks a letter in every caption that has none, one not marked in the
// others yet (the first letter of a word first). A mark another caption
// had first is moved the same way. Captions without a free letter or digit
// stay unmarked.
void giveMnemonics(QStringList& captions);

}  // namespace zh
