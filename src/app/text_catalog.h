#pragma once
// The program's fixed texts, translated once at start into the current
// language and then read from here. A language change takes effect with the
// next build of the window, which translates them again.

#include <QHash>
#include <QString>

#include "text_tables.h"

namespace zh {

class Messages;

class TextCatalog {
  public:
    // Translates every text of the lists through `messages`.
    void translate(Messages& messages, const texts::TextList* lists, std::size_t count);
    void translate(Messages& messages, const texts::TextList& list) {
        translate(messages, &list, 1);
    }

    // The translation of `english` in `section`; the English text itself
    // when it was not among the translated lists.
    QString text(const QString& section, const QString& english) const;
    bool contains(const QString& section, const QString& english) const;
    int size() const { return static_cast<int>(texts_.size()); }

  private:
    static QString keyOf(const QString& section, const QString& english) {
        return section + QLatin1Char('\x1f') + english;
    }
    QHash<QString, QString> texts_;
};

}  // namespace zh
