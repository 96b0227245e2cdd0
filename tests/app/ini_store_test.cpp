// The INI store must read files the way the Windows private-profile
// functions do and write them without disturbing anything a person wrote.

#include "app/ini_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <random>

#include "app/ini_document.h"
#include "app/small_file.h"

namespace zh {
namespace {

QString v(const IniDocument& d, const char* s, const char* k) {
    return d.value(QString::fromUtf8(s), QString::fromUtf8(k))
        .value_or(QStringLiteral("<missing>"));
}

TEST(IniDocumentRead, NamesMatchWithoutCaseAndFirstDuplicateWins) {
    const IniDocument d = IniDocument::parse(
        "[Common]\r\nUserMode = admin\r\nusermode=second\r\n"
        "[common]\r\nExtra=from repeated section\r\n"
        "[Überblick]\r\nÄrger=1\r\n");
    EXPECT_EQ(v(d, "COMMON", "usermode"), "admin");
    EXPECT_EQ(v(d, " common ", " UserMode "), "admin");
    EXPECT_EQ(v(d, "Common", "Extra"), "<missing>");  // only the first section is read
    EXPECT_EQ(v(d, "überblick", "ärger"), "1");
}

TEST(IniDocumentRead, ValuesAreTrimmedAndOnePairOfQuotesStripped) {
    const IniDocument d = IniDocument::parse(
        "[S]\nA=  \"quoted value\"  \nB='single'\nC=\"\"twice\"\"\nD=\"unbalanced\nE=\nF=a=b\n");
    EXPECT_EQ(v(d, "S", "A"), "quoted value");
    EXPECT_EQ(v(d, "S", "B"), "single");
    EXPECT_EQ(v(d, "S", "C"), "\"twice\"");
    EXPECT_EQ(v(d, "S", "D"), "\"unbalanced");
    EXPECT_EQ(v(d, "S", "E"), "");
    EXPECT_EQ(v(d, "S", "F"), "a=b");
}

TEST(IniDocumentRead, OddLinesAreSkippedNotFatal) {
    const IniDocument d = IniDocument::parse(
        "Orphan=before any section\n[S]\nno equals sign here\n;Key=commented\n=no "
        "key\n[broken\nKey=1\n"
        "[half=open\n");
    EXPECT_EQ(v(d, "S", "Key"), "1");
    EXPECT_EQ(v(d, "S", "[half"), "<missing>");
    EXPECT_EQ(v(d, "S", "Orphan"), "<missing>");
    EXPECT_EQ(v(d, "S", ";Key"), "<missing>");
    EXPECT_EQ(IniDocument::parse("").sectionNames().size(), 0);
}

TEST(IniDocumentWrite, ChangesOnlyItsOwnLine) {
    const QByteArray original =
        "; profile\r\n\r\n[Common]\r\nUserMode=user ; keep me? no, part of the value\r\n"
        "# not a comment here\nDebugLevel=0\r\n\r\n[Other]\rX=1\r\n; trailing comment";
    IniDocument d = IniDocument::parse(original);
    d.setValue(QStringLiteral("common"), QStringLiteral("DEBUGLEVEL"), QStringLiteral("4"));
    QByteArray expected = original;
    expected.replace("DebugLevel=0", "DebugLevel=4");  // key keeps its spelling
    EXPECT_EQ(d.serialize(), expected);
}

TEST(IniDocumentWrite, NewKeyGoesAfterTheSectionsLastEntry) {
    IniDocument d = IniDocument::parse("[A]\nx=1\n\n; about B\n[B]\ny=2\n");
    d.setValue(QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("3"));
    EXPECT_EQ(d.serialize(), QByteArray("[A]\nx=1\nz=3\n\n; about B\n[B]\ny=2\n"));
}

TEST(IniDocumentWrite, NewSectionIsAppendedWithTheFilesLineEnding) {
    IniDocument d = IniDocument::parse("[A]\r\nx=1");  // no line break at the end
    d.setValue(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(d.serialize(), QByteArray("[A]\r\nx=1\r\n[New]\r\nk=v\r\n"));

    IniDocument empty = IniDocument::parse("");
    empty.setValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(v(empty, "S", "k"), "v");
    EXPECT_FALSE(empty.serialize().startsWith("\xEF\xBB\xBF"));  // never a BOM
}

TEST(IniDocumentWrite, LineBreaksInAValueCannotSplitTheLine) {
    IniDocument d = IniDocument::parse("[S]\nk=1\n");
    d.setValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("a\nevil=1\r\nb"));
    EXPECT_EQ(v(d, "S", "evil"), "<missing>");
    EXPECT_EQ(v(d, "S", "k"), "a evil=1 b");
}

TEST(IniDocumentEncoding, KeepsTheEncodingItWasReadIn) {
    // "Temperatur=°C" in Windows-1252, with the euro sign from the 0x80 row.
    const QByteArray cp1252(
        "[S]\nUnit=\xB0"
        "C\nPrice=\x80"
        "5\n");
    IniDocument d = IniDocument::parse(cp1252);
    EXPECT_EQ(d.encoding(), TextEncoding::Windows1252);
    EXPECT_EQ(v(d, "S", "Unit"), QStringLiteral("°C"));
    EXPECT_EQ(v(d, "S", "Price"), QStringLiteral("€5"));
    d.setValue(QStringLiteral("S"), QStringLiteral("Word"), QStringLiteral("Größe"));
    EXPECT_EQ(d.serialize(), QByteArray("[S]\nUnit=\xB0"
                                        "C\nPrice=\x80"
                                        "5\nWord=Gr\xF6\xDF"
                                        "e\n"));

    const QByteArray bom("\xEF\xBB\xBF[S]\nUnit=°C\n");
    IniDocument b = IniDocument::parse(bom);
    EXPECT_EQ(v(b, "S", "Unit"), QStringLiteral("°C"));
    EXPECT_EQ(b.serialize(), bom);
    // A mark written twice is kept twice.
    for (const QByteArray& twice : {QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF; x\n[S]\nk=1\n"),
                                    QByteArray("\xFF\xFE\xFF\xFE;\0\n\0", 8)})
        EXPECT_EQ(IniDocument::parse(twice).serialize(), twice);
}

// Any bytes at all, read and written back untouched, is what keeps a file a
// person edited (in whatever editor and code page) safe from the program.
TEST(IniDocumentRobustness, AnyFileSurvivesAReadAndAWriteByteForByte) {
    const char alphabet[] = "ab=[]; \"'\r\n\t%{}\x80\x9d\xb0\xc3\xa4\xef\xbb\xbf\xff\xfe";
    std::mt19937 rng(20261207);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        const int length = static_cast<int>(rng() % 120);
        for (int i = 0; i < length; ++i) bytes.append(alphabet[rng() % (sizeof(alphabet) - 1)]);
        IniDocument d = IniDocument::parse(bytes);
        ASSERT_EQ(d.serialize(), bytes) << "round " << round;

        // Setting one value must leave every other value as it was.
        const QStringList sections = d.sectionNames();
        if (sections.isEmpty()) continue;
        const QString section = sections.first();
        QHash<QString, QString> before;
        for (const QString& k : d.keyNames(section)) before[k] = *d.value(section, k);
        d.setValue(section, QStringLiteral("written"), QStringLiteral("value"));
        EXPECT_EQ(d.value(section, QStringLiteral("written")).value_or(QString()), "value");
        const IniDocument reread = IniDocument::parse(d.serialize());
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (it.key().compare(QStringLiteral("written"), Qt::CaseInsensitive) == 0) continue;
            EXPECT_EQ(reread.value(section, it.key()).value_or(QStringLiteral("<gone>")),
                      it.value())
                << "round " << round;
        }
    }
}

class IniStoreTest : public ::testing::Test {
  protected:
    QString write(const char* name, const QByteArray& bytes) {
        const QString p = dir.path() + QLatin1Char('/') + QLatin1String(name);
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return p;
    }
    static QByteArray read(const QString& p) {
        QFile f(p);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    QTemporaryDir dir;
    IniStore store;
};

TEST_F(IniStoreTest, LongValuesAreCutAsTheReadBufferCutsThem) {
    const QByteArray longValue(1500, 'x');
    const QString p =
        write("long.ini", "[S]\nk=" + longValue + "\nexact=" + QByteArray(1023, 'y') + "\n");
    const auto r = store.read(p, QStringLiteral("S"), QStringLiteral("k"));
    EXPECT_EQ(r.value.size(), IniStore::kMaxValueLength);
    EXPECT_TRUE(r.truncated);
    EXPECT_TRUE(store.read(p, QStringLiteral("S"), QStringLiteral("exact"))
                    .truncated);  // filled the buffer
    EXPECT_FALSE(store.read(p, QStringLiteral("S"), QStringLiteral("missing")).found);
}

TEST_F(IniStoreTest, WritesGoThroughToDisk) {
    const QString p = dir.path() + QStringLiteral("/new.ini");
    ASSERT_TRUE(store.write(p, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(read(p), QByteArray("[S]\r\nk=v\r\n"));
    IniStore fresh;
    EXPECT_EQ(fresh.read(p, QStringLiteral("s"), QStringLiteral("K")).value, "v");
}

TEST_F(IniStoreTest, ReadsComeFromTheCacheUntilTheProgramWrites) {
    const QString p = write("c.ini", "[S]\na=1\n");
    EXPECT_EQ(store.read(p, QStringLiteral("S"), QStringLiteral("a")).value, "1");
    // Someone else edits the file meanwhile; the program's next write must
    // not throw that edit away.
    write("c.ini", "[S]\na=2\nb=edited by hand\n");
    ASSERT_TRUE(store.write(p, QStringLiteral("S"), QStringLiteral("c"), QStringLiteral("3")));
    EXPECT_EQ(read(p), QByteArray("[S]\na=2\nb=edited by hand\nc=3\n"));
}

TEST_F(IniStoreTest, WriteProtectedFileIsNeitherReplacedNorLost) {
    const QByteArray original("[S]\r\nk=old\r\n");
    const QString p = write("ro.ini", original);
    QFile::setPermissions(p, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    QString why;
    EXPECT_FALSE(
        store.write(p, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("new"), &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(read(p), original);
    // The program goes on with the value it wrote.
    EXPECT_EQ(store.read(p, QStringLiteral("S"), QStringLiteral("k")).value, "new");
}

TEST_F(IniStoreTest, FolderThatCannotBeWrittenFailsCleanly) {
    QString why;
    EXPECT_FALSE(store.write(dir.path() + QStringLiteral("/no/such/folder/x.ini"),
                             QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"), &why));
    EXPECT_FALSE(
        store.write(QString(), QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
}

TEST_F(IniStoreTest, ReadOnlyStoreNeverTouchesTheDisk) {
    const QString p = write("probe.ini", "[S]\n");
    store.setReadOnly(true);
    EXPECT_FALSE(store.write(p, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(read(p), QByteArray("[S]\n"));
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/other.ini")));
}

// A pipe would block the program for ever, a device fill its memory; a
// folder or a file larger than any settings file is no settings file either.
// None of them is opened for reading, and none is replaced by a write.
TEST_F(IniStoreTest, SpecialFilesAreNeitherReadNorReplaced) {
    const QString fifo = dir.path() + QStringLiteral("/fifo.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.path() + QStringLiteral("/zero.ini");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString folder = dir.path() + QStringLiteral("/folder.ini");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString huge = write("huge.ini", "[S]\nk=v\n" + QByteArray(kMaxSmallFileBytes, ';'));
    for (const QString& p : {fifo, zero, folder, huge}) {
        const auto r = store.read(p, QStringLiteral("S"), QStringLiteral("k"));
        EXPECT_FALSE(r.found) << p.toStdString();
        EXPECT_FALSE(store.problem(p).isEmpty()) << p.toStdString();
        EXPECT_FALSE(store.write(p, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("x")))
            << p.toStdString();
    }
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    EXPECT_TRUE(QFileInfo(zero).isSymLink());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QFileInfo(huge).size(), kMaxSmallFileBytes + 8);
    EXPECT_TRUE(store.problem(dir.path() + QStringLiteral("/missing.ini")).isEmpty());
}

}  // namespace
}  // namespace zh
