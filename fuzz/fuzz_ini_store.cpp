// Arbitrary bytes as an INI file (profile, language or data file) through
// the store: every section and key it lists is read, then one value is
// written back and the file read again from disk. The store's promises
// are checked: what it lists can be read, a value never exceeds the read
// buffer, a document serialises to the bytes it was parsed from, the
// written value reads back, and no other value of the file changes.

#include <QFile>
#include <QHash>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/ini_document.h"
#include "app/ini_store.h"
#include "support/headless_program.h"

namespace {

// Not inlined, so that a report names the line of the failed check.
[[gnu::noinline]] void require(bool condition) {
    if (!condition) std::abort();
}

// At most this many sections and keys of a section are read, so that one
// input costs about the same however many lines it has.
constexpr int kMaxRead = 16;

using Values = QHash<QString, QString>;  // "section\nkey" -> value

Values readAll(zh::IniStore& store, const QString& path) {
    Values values;
    const QStringList sections = store.sectionNames(path);
    for (int i = 0; i < sections.size() && i < kMaxRead; ++i) {
        const QStringList keys = store.keyNames(path, sections[i]);
        for (int k = 0; k < keys.size() && k < kMaxRead; ++k) {
            const zh::IniStore::ReadResult r = store.read(path, sections[i], keys[k]);
            require(r.found);
            require(r.value.size() <= zh::IniStore::kMaxValueLength);
            require(r.truncated == (r.value.size() == zh::IniStore::kMaxValueLength));
            values.insert(sections[i] + QLatin1Char('\n') + keys[k], r.value);
        }
    }
    return values;
}

// What reading gives back for a value written: line breaks as blanks,
// trimmed, one pair of surrounding quotes removed, cut to the read buffer.
QString readBack(QString value) {
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    value = value.trimmed();
    if (value.size() >= 2) {
        const QChar q = value.front();
        if ((q == QLatin1Char('"') || q == QLatin1Char('\'')) && value.back() == q)
            value = value.mid(1, value.size() - 2);
    }
    return value.left(zh::IniStore::kMaxValueLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zh::fuzz::HeadlessProgram scratch;
    if (size < 2) return 0;
    // Byte 0 chooses the section and key written, byte 1 the length of the
    // value (taken from the end of the input); the rest is the file.
    const std::uint8_t choice = data[0];
    const std::size_t valueLength = std::min<std::size_t>(data[1], size - 2);
    const std::uint8_t* file = data + 2;
    const std::size_t fileSize = size - 2 - valueLength;

    const QByteArray bytes(reinterpret_cast<const char*>(file), static_cast<int>(fileSize));
    require(zh::IniDocument::parse(bytes).serialize() == bytes);

    const QString path = scratch.writeFile(QStringLiteral("fuzz.ini"), file, fileSize);
    zh::IniStore store;
    const Values before = readAll(store, path);

    // The value is printable ASCII (and line breaks), which every encoding
    // the store writes can hold, so it must read back exactly.
    QString value;
    for (std::size_t i = 0; i < valueLength; ++i) {
        const std::uint8_t b = file[fileSize + i];
        value += b == 0x0A || b == 0x0D ? QChar(b) : QChar(0x20 + b % 0x5F);
    }
    QString section = QStringLiteral("FuzzSection");
    QString key = QStringLiteral("FuzzKey");
    const QStringList sections = store.sectionNames(path);
    if ((choice & 1) && !sections.isEmpty()) {
        section = sections[(choice >> 1) % sections.size()];
        const QStringList keys = store.keyNames(path, section);
        if ((choice & 0x80) && !keys.isEmpty()) key = keys[(choice >> 2) % keys.size()];
    }
    QString error;
    require(store.write(path, section, key, value, &error));
    require(store.read(path, section, key).value == readBack(value));

    // Bytes that are no valid text make the whole file read as Windows-1252.
    // When the written line held the only such bytes, or its line gives a
    // file with a UTF-16 mark an even length, the file reads as what it now
    // is (UTF-8, UTF-16), and every value with it.
    QFile written(path);
    require(written.open(QIODevice::ReadOnly));
    const zh::TextEncoding was = zh::IniDocument::parse(bytes).encoding();
    const zh::TextEncoding is = zh::IniDocument::parse(written.readAll()).encoding();
    if (is != was) {
        require(was == zh::TextEncoding::Windows1252);
        return 0;
    }

    // A fresh store reads the file from disk: the value is there, and every
    // other value is as it was.
    zh::IniStore fresh;
    require(fresh.read(path, section, key).value == readBack(value));
    readAll(fresh, path);
    for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
        if (it.key().compare(section + QLatin1Char('\n') + key, Qt::CaseInsensitive) == 0) continue;
        const QString s = it.key().section(QLatin1Char('\n'), 0, 0);
        const QString k = it.key().section(QLatin1Char('\n'), 1);
        require(fresh.read(path, s, k).value == it.value());
    }
    return 0;
}
