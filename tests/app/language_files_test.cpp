// The language files the program ships: they read as the program reads them,
// the German one translates every built-in text, every translation keeps the
// placeholders of its text in their order, and both files list the same keys.

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <iterator>
#include <string_view>

#include "app/ini_document.h"
#include "app/message_text.h"
#include "app/text_tables.h"
#include "support/test_program.h"

namespace zh {
namespace {

const char* const kLanguageFiles[] = {"Deutsch.ini", "English.ini"};

QByteArray shippedBytes(const char* name) {
    QFile f(QStringLiteral(ZH_SOURCE_DIR "/resources/Language/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

IniDocument shipped(const char* name) {
    return IniDocument::parse(shippedBytes(name));
}

// Entry lines per section as written, before the reader drops repeated keys.
QHash<QString, int> entryLinesPerSection(const QByteArray& bytes) {
    QHash<QString, int> count;
    QString section;
    for (const QString& raw : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            section = line.mid(1, line.indexOf(QLatin1Char(']')) - 1);
        } else if (!section.isEmpty() && !line.startsWith(QLatin1Char(';')) &&
                   line.contains(QLatin1Char('='))) {
            ++count[section];
        }
    }
    return count;
}

std::string joined(const QStringList& list, const char* separator = " ") {
    return list.join(QLatin1String(separator)).toStdString();
}

// The distinct "{name}" placeholders in the order of their first occurrence:
// the order in which the message lookup fills them with its parameters.
QStringList placeholders(const QString& text) {
    static const QRegularExpression brace(QStringLiteral("\\{[^{}]*\\}"));
    QStringList names;
    for (auto it = brace.globalMatch(text); it.hasNext();) {
        const QString name = it.next().captured();
        if (!names.contains(name)) names << name;
    }
    return names;
}

TEST(LanguageFiles, ReadAsUtf8WithoutMarkAndWithoutRepeatedKeys) {
    for (const char* name : kLanguageFiles) {
        SCOPED_TRACE(name);
        const QByteArray bytes = shippedBytes(name);
        ASSERT_FALSE(bytes.isEmpty());
        EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
        const IniDocument doc = IniDocument::parse(bytes);
        // Invalid UTF-8 would be read as Windows-1252 and show garbled umlauts.
        EXPECT_EQ(doc.encoding(), TextEncoding::Utf8);
        EXPECT_EQ(joined(doc.sectionNames()), "Application Common SerialIO ToolTips");
        // A key written twice (in any letter case) is read once: the second
        // translation would silently never be shown.
        const QHash<QString, int> lines = entryLinesPerSection(bytes);
        for (const QString& section : doc.sectionNames()) {
            EXPECT_EQ(lines.value(section), doc.keyNames(section).size()) << section.toStdString();
        }
    }
}

TEST(LanguageFiles, GermanTranslatesEveryBuiltInText) {
    const IniDocument de = shipped("Deutsch.ini");
    QStringList missing;
    auto need = [&](const QString& section, const QString& key) {
        if (!de.value(section, key)) missing << section + QStringLiteral(": ") + key;
    };
    for (const char* caption : texts::kCaptions) {
        const QString text = QString::fromUtf8(caption);
        if (!text.trimmed().isEmpty()) need(QStringLiteral("Application"), escapeCaptionKey(text));
    }
    auto needList = [&](const texts::TextList& list) {
        for (std::size_t i = 0; i < list.count; ++i)
            need(QString::fromUtf8(list.section),
                 escapeMessageKey(QString::fromUtf8(list.texts[i])));
    };
    needList(texts::kCommonTexts);
    for (std::size_t i = 0; i < texts::kFirstBatchCount; ++i) needList(texts::kFirstBatch[i]);
    for (std::size_t i = 0; i < texts::kSecondBatchCount; ++i) needList(texts::kSecondBatch[i]);
    EXPECT_TRUE(missing.isEmpty()) << joined(missing, "\n");
}

TEST(LanguageFiles, TranslationsAreNotEmptyAndKeepTheirPlaceholdersInOrder) {
    for (const char* name : kLanguageFiles) {
        SCOPED_TRACE(name);
        const IniDocument doc = shipped(name);
        for (const QString& section : doc.sectionNames()) {
            for (const QString& key : doc.keyNames(section)) {
                const QString value = doc.value(section, key).value_or(QString());
                const std::string where = (section + QStringLiteral(": ") + key).toStdString();
                // An empty value counts as missing: the lookup would write the
                // English text over it on the first run.
                EXPECT_FALSE(value.isEmpty()) << where;
                EXPECT_EQ(joined(placeholders(value)), joined(placeholders(key))) << where;
            }
        }
    }
}

TEST(LanguageFiles, BothFilesListTheSameKeys) {
    const IniDocument de = shipped("Deutsch.ini");
    const IniDocument en = shipped("English.ini");
    ASSERT_EQ(joined(de.sectionNames()), joined(en.sectionNames()));
    for (const QString& section : de.sectionNames()) {
        const QStringList german = de.keyNames(section);
        const QStringList english = en.keyNames(section);
        QStringList onlyGerman, onlyEnglish;
        for (const QString& key : german)
            if (!english.contains(key)) onlyGerman << key;
        for (const QString& key : english)
            if (!german.contains(key)) onlyEnglish << key;
        EXPECT_TRUE(onlyGerman.isEmpty()) << section.toStdString() << " only in German:\n"
                                          << joined(onlyGerman, "\n");
        EXPECT_TRUE(onlyEnglish.isEmpty()) << section.toStdString() << " only in English:\n"
                                           << joined(onlyEnglish, "\n");
    }
}

TEST(LanguageFiles, AGermanStartFindsEveryTextAndAddsNothing) {
    test::TestProgram t;
    const QByteArray original = shippedBytes("Deutsch.ini");
    t.writeFile(QStringLiteral("Language/Deutsch.ini"), original);
    t.program.state.LanguageFile = QStringLiteral(".\\Language\\Deutsch.ini");

    Program& p = t.program;
    p.commonTexts.translate(p.messages, texts::kCommonTexts);
    p.texts.translate(p.messages, texts::kFirstBatch, texts::kFirstBatchCount);
    p.texts.translate(p.messages, texts::kSecondBatch, texts::kSecondBatchCount);
    const std::vector<QString> captions = p.messages.loadLabels(QStringLiteral("Application"));

    // A text without translation would have been added to the file.
    const QStringList before = QString::fromUtf8(original).split(QLatin1Char('\n'));
    QStringList added;
    for (const QString& line : QString::fromUtf8(t.readFile(QStringLiteral("Language/Deutsch.ini")))
                                   .split(QLatin1Char('\n')))
        if (!before.contains(line)) added << line;
    EXPECT_TRUE(added.isEmpty()) << joined(added, "\n");
    // Leading blanks, escaped characters and line breaks survive the round trip.
    EXPECT_EQ(p.texts.text(QStringLiteral("Application"), QStringLiteral(" - File not updated!")),
              QStringLiteral(" - Datei nicht aktualisiert!"));
    EXPECT_EQ(p.commonTexts.text(QStringLiteral("Common"), QStringLiteral("Range: ")),
              QStringLiteral("Bereich: "));
    EXPECT_EQ(p.texts.text(QStringLiteral("Application"), QStringLiteral("Delay[msec]:")),
              QStringLiteral("Verzögerung[msec]:"));
    EXPECT_TRUE(
        p.texts
            .text(QStringLiteral("Application"),
                  QStringLiteral(
                      "Change of nominal Range requires update of module and new adjustment!\n"
                      "Update now?"))
            .contains(QLatin1Char('\n')));
    const auto unit = std::find(std::begin(texts::kCaptions), std::end(texts::kCaptions),
                                std::string_view("[mA]"));
    ASSERT_NE(unit, std::end(texts::kCaptions));
    EXPECT_EQ(captions.at(static_cast<std::size_t>(unit - std::begin(texts::kCaptions))),
              QStringLiteral("[mA]"));
}

}  // namespace
}  // namespace zh
