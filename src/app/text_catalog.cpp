#include "text_catalog.h"

#include "messages.h"

namespace zh {

void TextCatalog::translate(Messages& messages, const texts::TextList* lists, std::size_t count) {
    for (std::size_t l = 0; l < count; ++l) {
        const QString section = QString::fromUtf8(lists[l].section);
        for (std::size_t i = 0; i < lists[l].count; ++i) {
            const QString english = QString::fromUtf8(lists[l].texts[i]);
            texts_.insert(keyOf(section, english), messages.lookupMessage(english, section));
        }
    }
}

QString TextCatalog::text(const QString& section, const QString& english) const {
    return texts_.value(keyOf(section, english), english);
}

bool TextCatalog::contains(const QString& section, const QString& english) const {
    return texts_.contains(keyOf(section, english));
}

}  // namespace zh
