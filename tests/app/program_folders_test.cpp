// Where the program keeps its files: beside itself, or in the user's
// folders with the shipped files as defaults.

#include "app/program_folders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/app_state.h"
#include "app/messages.h"
#include "app/user_copies.h"
#include "support/test_program.h"

namespace zh {
namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

TEST(ProgramFolders, BesideTheProgramOrInTheUsersFoldersSeededOnce) {
    struct Row {
        const char* name;
        bool writable;          // the user may write the program's folder
        bool profileBeside;     // a profile lies beside the program
        bool shipped;           // <bin>/../share/zel-hart holds the defaults
        const char* xdgConfig;  // "" unset; relative to the root unless absolute-looking
        const char* xdgState;
        const char* userConfig;  // a user's own Config-125.ini before the start, or ""
        // Expected, relative to the temporary root.
        const char* defaultsDir;
        const char* configDir;
        const char* stateDir;
        const char* copied;  // names seeded, comma-separated
    };
    const Row rows[] = {
        {"build folder", true, true, false, "", "", "", "bin", "bin", "bin", ""},
        {"portable copy with a share folder", true, true, true, "", "", "", "bin", "bin", "bin",
         ""},
        {"installed, XDG set", false, false, true, "/cfg", "/st", "", "share/zel-hart",
         "cfg/zel-hart", "st/zel-hart", "Config.ini,Config-125.ini,Language/English.ini"},
        {"installed, XDG unset", false, false, true, "", "", "", "share/zel-hart",
         "home/.config/zel-hart", "home/.local/state/zel-hart",
         "Config.ini,Config-125.ini,Language/English.ini"},
        {"installed, relative XDG ignored", false, false, true, "rel", "rel", "", "share/zel-hart",
         "home/.config/zel-hart", "home/.local/state/zel-hart",
         "Config.ini,Config-125.ini,Language/English.ini"},
        {"installed, run by root", true, false, true, "/cfg", "/st", "", "share/zel-hart",
         "cfg/zel-hart", "st/zel-hart", "Config.ini,Config-125.ini,Language/English.ini"},
        {"user's profile kept", false, false, true, "/cfg", "/st", "mine", "share/zel-hart",
         "cfg/zel-hart", "st/zel-hart", "Config.ini,Language/English.ini"},
        {"read-only copy without share", false, true, false, "/cfg", "/st", "", "bin",
         "cfg/zel-hart", "st/zel-hart", "Config.ini,Config-125.ini,Language/English.ini"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir tmp;
        const QString root = tmp.path();
        const QString bin = root + "/bin";
        QDir().mkpath(bin);
        const QString defaults = row.shipped ? root + "/share/zel-hart" : bin;
        if (row.shipped || row.profileBeside) {
            for (const char* name : {"Config.ini", "Config-125.ini", "Language/English.ini"})
                writeFile(defaults + '/' + name, QByteArray("shipped ") + name);
            writeFile(defaults + "/Images/maker_logo.png", "picture");
        }
        if (row.profileBeside) writeFile(bin + "/Config-125.ini", "shipped Config-125.ini");
        auto underRoot = [&](const char* v) {
            return v[0] == '/' ? root + v : QString::fromLatin1(v);
        };
        if (*row.userConfig) writeFile(root + "/cfg/zel-hart/Config-125.ini", row.userConfig);

        FolderEnvironment env;
        env.programDirWritable = row.writable;
        env.home = root + "/home";
        env.xdgConfigHome = underRoot(row.xdgConfig);
        env.xdgStateHome = underRoot(row.xdgState);
        const ProgramFolders f = decideProgramFolders(bin + '/', env);
        EXPECT_EQ(f.programDir, bin);
        EXPECT_EQ(f.defaultsDir, root + '/' + row.defaultsDir);
        EXPECT_EQ(f.configDir, root + '/' + row.configDir);
        EXPECT_EQ(f.stateDir, root + '/' + row.stateDir);
        EXPECT_EQ(f.dataDir, f.perUser() ? root + "/home" : bin) << "data sets start at home";

        const QStringList copied = seedUserFolders(f);
        EXPECT_EQ(copied.join(','), row.copied);
        EXPECT_TRUE(QFileInfo(f.stateDir).isDir());
        EXPECT_EQ(readFile(f.configDir + "/Config-125.ini"),
                  *row.userConfig ? QByteArray(row.userConfig) : "shipped Config-125.ini");
        EXPECT_TRUE(seedUserFolders(f).isEmpty()) << "a second start copies nothing";

        // The profile's names: its files in the configuration folder, the
        // images from the shipped ones, the log in the state folder.
        AppState s;
        applyProgramFolders(s, f);
        EXPECT_EQ(s.ProgramDir, f.configDir + '/');
        EXPECT_EQ(resolveReadOnlyFile(s, ".\\Images\\maker_logo.png"),
                  f.defaultsDir + "/Images/maker_logo.png");
        EXPECT_EQ(resolveReadOnlyFile(s, ".\\Config.ini"), f.configDir + "/Config.ini");
        EXPECT_EQ(resolveStateFile(s, ".\\Debug.log"), f.stateDir + "/Debug.log");
    }
}

TEST(ProgramFolders, TheShippedFileMergesIntoTheUsersCopy) {
    struct Row {
        const char* name;
        bool languageFile;
        const char* user;
        const char* shipped;
        const char* merged;
        int added;
    };
    const Row rows[] = {
        {"new key into its section, line endings and comments kept", false,
         "; mine\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "[A]\nx=9\nz=3\n[B]\ny=2\n",
         "; mine\r\n[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n", 1},
        {"new section at the end", false, "[A]\nx=1\n", "[A]\nx=1\n[New]\nk=v\n",
         "[A]\nx=1\n[New]\nk=v\n", 1},
        {"user's edit kept, whatever the case of the names", false, "[a]\nX=mine\n",
         "[A]\nx=shipped\n", "[a]\nX=mine\n", 0},
        {"key removed by the user comes back with the shipped text", true,
         "[Application]\nExit=Ende\n", "[Application]\nExit=Beenden\nSave=Speichern\n",
         "[Application]\nExit=Ende\nSave=Speichern\n", 1},
        {"English written for a missing text gives way to the translation", true,
         "[Application]\nSave=Save\n", "[Application]\nSave=Speichern\n",
         "[Application]\nSave=Speichern\n", 1},
        {"a profile value equal to its key is the user's", false, "[Common]\nSave=Save\n",
         "[Common]\nSave=ON\n", "[Common]\nSave=Save\n", 0},
        {"an empty value is the user's", true, "[A]\nk=\n", "[A]\nk=v\n", "[A]\nk=\n", 0},
        {"blanks kept in their quotes", false, "[A]\n", "[A]\nq=\" a \"\n", "[A]\nq=\" a \"\n", 1},
        {"empty copy refilled", true, "", "[A]\nk=v\n", "[A]\r\nk=v\r\n", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        int added = -1;
        EXPECT_EQ(mergeShippedFile(row.user, row.shipped, row.languageFile, &added),
                  QByteArray(row.merged));
        EXPECT_EQ(added, row.added);
    }
}

TEST(ProgramFolders, ANewVersionBringsItsFilesIntoTheUsersCopiesOnce) {
    QTemporaryDir tmp;
    const QString root = tmp.path();
    const ProgramFolders f{root + "/bin", root + "/share", root + "/cfg", root + "/st", root};
    writeFile(f.defaultsDir + "/Config-125.ini", "[Language]\nActualLanguage=English\n");
    writeFile(f.defaultsDir + "/Language/Deutsch.ini", "[Application]\nExit=Beenden\n");

    // A desktop language that does not ship leaves the profile as shipped.
    const ProgramFolders other{f.programDir, f.defaultsDir, root + "/other", f.stateDir, root};
    updateUserFolders(other, "1.0", "Klingon");
    EXPECT_EQ(readFile(other.configDir + "/Config-125.ini"),
              "[Language]\nActualLanguage=English\n");

    // The first start: copies, the profile in the desktop's language, a stamp.
    EXPECT_EQ(updateUserFolders(f, "1.0", "Deutsch").join(','),
              "Config-125.ini,Language/Deutsch.ini");
    EXPECT_EQ(readFile(f.configDir + "/Config-125.ini"), "[Language]\nActualLanguage=Deutsch\n");
    EXPECT_TRUE(QFileInfo::exists(f.configDir + '/' + userCopiesStampName()));

    // The user edits a text and removes another; the same version leaves them.
    writeFile(f.configDir + "/Language/Deutsch.ini", "[Application]\nExit=Ende\n");
    writeFile(f.configDir + "/Config-125.ini", "[Language]\n");
    EXPECT_TRUE(updateUserFolders(f, "1.0", "English").isEmpty());

    // A new version (or new shipped files) brings what the copies lack.
    writeFile(f.defaultsDir + "/Language/Deutsch.ini",
              "[Application]\nExit=Beenden\nGraph=Grafik\n");
    EXPECT_EQ(updateUserFolders(f, "1.0", "English").join(','),
              "Config-125.ini,Language/Deutsch.ini");
    EXPECT_EQ(readFile(f.configDir + "/Language/Deutsch.ini"),
              "[Application]\nExit=Ende\nGraph=Grafik\n");
    EXPECT_EQ(readFile(f.configDir + "/Config-125.ini"), "[Language]\nActualLanguage=English\n");
    EXPECT_TRUE(updateUserFolders(f, "1.0", "English").isEmpty());

    // A text the user's copy lacks is read from the shipped file and never
    // written into the copy; the program's own files get it for translators.
    for (const bool perUser : {true, false}) {
        SCOPED_TRACE(perUser);
        test::TestProgram t;
        AppState& s = t.program.state;
        const QByteArray own = "[Application]\nExit=Ende\n";
        t.writeFile("Language/Deutsch.ini", own);
        if (perUser)
            applyProgramFolders(s, {f.programDir, f.defaultsDir, t.dir.path(), f.stateDir, root});
        s.ActualLanguage = "Deutsch";
        s.LanguageFile = ".\\Language\\Deutsch.ini";
        EXPECT_EQ(t.program.messages.lookupMessage("Exit", "Application"), "Ende");
        EXPECT_EQ(t.program.messages.lookupMessage("Graph", "Application"),
                  perUser ? "Grafik" : "Graph");
        EXPECT_EQ(t.program.messages.lookupMessage("Nowhere", "Application"), "Nowhere");
        EXPECT_EQ(t.readFile("Language/Deutsch.ini"),
                  perUser ? own : own + "Graph=Graph\nNowhere=Nowhere\n");
    }
}

}  // namespace
}  // namespace zh
