#include "mnemonics.h"

#include <QSet>
#include <vector>

namespace zh {
namespace {

// The index of the marking '&', -1 when none.
int markAt(const QString& caption) {
    for (int i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != QLatin1Char('&')) continue;
        if (caption.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return caption.at(i + 1).isSpace() ? -1 : i;
    }
    return -1;
}

// `caption` with a mark put before a character not in `taken`: a word's
// first letter if possible, else any letter or digit. Unchanged when none is free.
QString marked(const QString& caption, const QSet<QChar>& taken) {
    const QString plain = withoutMnemonic(caption);
    for (const bool wordStart : {true, false}) {
        for (int i = 0; i < plain.size(); ++i) {
            const QChar c = plain.at(i);
            if (!c.isLetterOrNumber() || taken.contains(c.toLower())) continue;
            if (wordStart && i > 0 && plain.at(i - 1).isLetterOrNumber()) continue;
            return literalCaption(plain.left(i)) + QLatin1Char('&') + literalCaption(plain.mid(i));
        }
    }
    // Nothing but signs: the first one ("?").
    for (int i = 0; i < plain.size(); ++i) {
        const QChar c = plain.at(i);
        if (!c.isSpace() && c != QLatin1Char('&') && !taken.contains(c.toLower()))
            return literalCaption(plain.left(i)) + QLatin1Char('&') + literalCaption(plain.mid(i));
    }
    return caption;
}

}  // namespace

QChar mnemonicOf(const QString& caption) {
    const int at = markAt(caption);
    return at < 0 ? QChar() : caption.at(at + 1).toLower();
}

QString withoutMnemonic(const QString& caption) {
    if (!caption.contains(QLatin1Char('&'))) return caption;
    QString plain;
    plain.reserve(caption.size());
    for (int i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size() &&
            !caption.at(i + 1).isSpace())
            ++i;
        plain += caption.at(i);
    }
    return plain;
}

QString literalCaption(const QString& text) {
    QString caption = text;
    return caption.replace(QLatin1Char('&'), QLatin1String("&&"));
}

void giveMnemonics(QStringList& captions) {
    QSet<QChar> taken;
    std::vector<int> unmarked;
    for (int i = 0; i < captions.size(); ++i) {
        const QChar c = mnemonicOf(captions.at(i));
        if (c.isNull() || taken.contains(c)) {
            unmarked.push_back(i);
        } else {
            taken.insert(c);
        }
    }
    for (int i : unmarked) {
        captions[i] = marked(captions.at(i), taken);
        const QChar c = mnemonicOf(captions.at(i));
        if (!c.isNull()) taken.insert(c);
    }
}

}  // namespace zh
