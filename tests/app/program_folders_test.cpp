// Where the program keeps its files: beside itself, or in the user's
// folders with the shipped files as defaults.

#include "app/program_folders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/app_state.h"

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

}  // namespace
}  // namespace zh
