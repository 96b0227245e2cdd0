// readProfile and writeData: file names, reference expansion and logging.

#include <gtest/gtest.h>

#include <QLocale>
#include <cmath>
#include <limits>

#include "app/number_text.h"
#include "app/program_paths.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

TEST(ProgramPaths, WindowsStyleNamesResolveAgainstTheProgramFolder) {
    EXPECT_EQ(resolveProgramPath("/opt/zel/", ".\\Config.ini"), "/opt/zel/Config.ini");
    EXPECT_EQ(resolveProgramPath("/opt/zel", "\\Language\\English.ini"),
              "/opt/zel/Language/English.ini");
    EXPECT_EQ(resolveProgramPath("/opt/zel/", "data/x.cfp"), "/opt/zel/data/x.cfp");
    EXPECT_EQ(resolveProgramPath("/opt/zel/", "/home/tech/x.cfp"), "/home/tech/x.cfp");
    EXPECT_EQ(resolveProgramPath("/opt/zel/", ""), "");
}

class ProfileTest : public ::testing::Test {
  protected:
    QString read(const char* section, const char* key, const char* def = "") {
        return t.program.profile.readProfile(QLatin1String(section), QLatin1String(key),
                                             QString::fromUtf8(def), t.program.state.ProfilePath);
    }
    QStringList logLines() const {
        QStringList out;
        for (const QString& l : t.program.log.viewLines()) out << l;
        return out;
    }
    TestProgram t;
};

TEST_F(ProfileTest, ExePathAndEnvironmentReferencesExpand) {
    qputenv("ZH_TEST_DATA", "  /srv/data  ");
    qputenv("ZH_TEST_SELF", "%ZH_TEST_SELF%");
    qputenv("ZH_TEST_PING", "%ZH_TEST_PONG%");
    qputenv("ZH_TEST_PONG", "%ZH_TEST_PING%");
    t.writeFile(
        "Config-125.ini",
        "[Common]\nLogoFile=%EXEPATH%\\Images\nData=%zh_test_data%/x\nMissing=%ZH_NO_SUCH_VAR%\\a\n"
        "Two=%ZH_NO_SUCH_VAR%ZH_TEST_DATA%\nSelf=%ZH_TEST_SELF%\nPing=%ZH_TEST_PING%\nPercent=100% "
        "sure\n");
    EXPECT_EQ(read("Common", "LogoFile"),
              withoutTrailingSeparator(t.program.state.ProgramDir) + "\\Images");
    EXPECT_EQ(read("Common", "Missing"), "%ZH_NO_SUCH_VAR%\\a");
    EXPECT_EQ(read("Common", "Percent"), "100% sure");
    // A reference that expands to itself, or two that name each other, must
    // not keep the start-up busy for ever: inserted text is not scanned again.
    EXPECT_EQ(read("Common", "Self"), "%ZH_TEST_SELF%");
    EXPECT_EQ(read("Common", "Ping"), "%ZH_TEST_PONG%");
    // The closing "%" of an unknown reference may open the next one.
    EXPECT_EQ(read("Common", "Two"), "%ZH_NO_SUCH_VAR/srv/data");
#ifdef Q_OS_WIN
#else
    // Environment names are case-sensitive here; the trimmed value is used.
    qputenv("zh_test_data", "/lower");
    EXPECT_EQ(read("Common", "Data"), "/lower/x");
#endif
}

TEST_F(ProfileTest, MissingFileOrKeyGivesTheDefaultAndCreatesNothing) {
    EXPECT_EQ(read("Common", "UserMode", "user"), "user");
    EXPECT_FALSE(QFile::exists(t.path("Config-125.ini")));
}

TEST_F(ProfileTest, ProfileReadsAreLoggedOnlyWhenTheyDifferFromTheDefault) {
    t.program.log.setThreshold(3);
    t.writeFile("Config-125.ini", "[Common]\nUserMode= user \nComPort=Com7\n");
    t.writeFile("Language/English.ini", "[Application]\nOpen=Open\n");
    t.writeFile("data.cfp", "[Data]\nTagID=PT-101\n");
    read("Common", "UserMode", "user");
    read("Common", "ComPort", "Com4");
    t.program.profile.readProfile("Application", "Open", "", t.program.state.LanguageFile);
    t.program.profile.readProfile("Data", "TagID", "", t.path("data.cfp"));
    EXPECT_EQ(
        logLines(),
        QStringList({"ReadProfile: File=.\\Config-125.ini Kat=Common Key=ComPort Val=Com7",
                     "ReadData: File=" + t.path("data.cfp") + " Kat=Data Key=TagID Val=PT-101"}));
}

TEST_F(ProfileTest, FailedWriteIsReportedAndLogged) {
    t.program.log.setThreshold(3);
    EXPECT_FALSE(t.program.profile.writeData("S", "k", "v", t.path("missing/folder/x.cfp")));
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines().first().startsWith("WriteData: File=" + t.path("missing/folder/x.cfp") +
                                              " Kat=S Key=k Val=v"));
    EXPECT_TRUE(t.program.profile.writeData("S", "k", "v", ".\\Config-125.ini"));
}

TEST(NumberText, UnitValuesUseTheDecimalCommaAndIgnoreUnits) {
    EXPECT_FLOAT_EQ(unitValue("0,5s"), 0.5f);
    EXPECT_FLOAT_EQ(unitValue("1,5s"), 1.5f);
    EXPECT_FLOAT_EQ(unitValue("105%"), 105.0f);
    EXPECT_FLOAT_EQ(unitValue("0,3MBG"), 0.3f);
    EXPECT_FLOAT_EQ(unitValue("3mA"), 3.0f);
    EXPECT_FLOAT_EQ(unitValue("-2,25 bar"), -2.25f);
    EXPECT_FLOAT_EQ(unitValue("none"), 0.0f);
    EXPECT_FLOAT_EQ(unitValue(""), 0.0f);
}

TEST(NumberText, LeadingNumbersIgnoreWhatFollows) {
    EXPECT_EQ(leadingInt("250ms"), 250);
    EXPECT_EQ(leadingInt(" -3 "), -3);
    EXPECT_EQ(leadingInt("abc"), 0);
    EXPECT_DOUBLE_EQ(leadingFloat("2.5 s"), 2.5);
    EXPECT_DOUBLE_EQ(leadingFloat("inf"), 0.0);
    EXPECT_DOUBLE_EQ(leadingFloat("nan"), 0.0);
}

// Each rule on the same texts; "-" marks a text the rule refuses.
TEST(NumberText, EachRuleReadsItsOwnTexts) {
    const double refused = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // A decimal comma is read where the desktop writes one (the suite runs
    // under German too).
    const double comma = QLocale().decimalPoint() == QLatin1String(",") ? 2.5 : refused;
    struct Row {
        const char* text;
        long long leadingInt;
        double leadingFloat;
        float unitValue;
        double parameter;
        double conversion;
        double integer;
        double stored;
        double entered;
        double user;
    };
    const Row rows[] = {
        {"2,5", 2, 2.0, 2.5f, 2.0, 2.5, 2, refused, 2.5, comma},
        {" 2.5 ", 2, 2.5, 2.5f, 2.5, 2.5, 2, 2.5, 2.5, 2.5},
        {"2.5s", 2, 2.5, 2.5f, 2.5, 2.5, 2, refused, refused, refused},
        {"1e3", 1, 1000.0, 13.0f, 1.0, 1000.0, 1, 1000.0, 1000.0, 1000.0},
        {"-2,25 bar", -2, -2.0, -2.25f, -2.0, -2.25, -2, refused, refused, refused},
        {"1.500", 1, 1.5, 1.5f, 1.5, 1.5, 1, 1.5, 1.5, 1.5},
        {"inf", 0, 0.0, 0.0f, refused, refused, refused, inf, inf, refused},
        {"", 0, 0.0, 0.0f, refused, refused, refused, refused, refused, refused},
    };
    const auto same = [](double got, bool ok, double want) {
        return std::isnan(want) ? !ok : ok && got == want;
    };
    for (const Row& r : rows) {
        const QString text = QString::fromUtf8(r.text);
        EXPECT_EQ(leadingInt(text), r.leadingInt) << r.text;
        EXPECT_DOUBLE_EQ(leadingFloat(text), r.leadingFloat) << r.text;
        EXPECT_FLOAT_EQ(unitValue(text), r.unitValue) << r.text;
        double parameter = 0.0;
        bool ok = parseParameterNumber(text, &parameter);
        EXPECT_TRUE(same(parameter, ok, r.parameter)) << r.text << " parameter " << parameter;
        const std::optional<float> conversion = numberOf(text);
        EXPECT_TRUE(same(conversion.value_or(0.0f), conversion.has_value(), r.conversion))
            << r.text << " conversion";
        const std::optional<qint64> integer = integerOf(text);
        EXPECT_TRUE(same(double(integer.value_or(0)), integer.has_value(), r.integer))
            << r.text << " integer";
        const double stored = parseStoredNumber(text, &ok);
        EXPECT_TRUE(same(stored, ok, r.stored)) << r.text << " stored " << stored;
        const double entered = parseEnteredNumber(text, &ok);
        EXPECT_TRUE(same(entered, ok, r.entered)) << r.text << " entered " << entered;
        double user = 0.0;
        ok = parseUserNumber(text, &user);
        EXPECT_TRUE(same(user, ok, r.user)) << r.text << " user " << user;
    }
    // Single precision refuses what a float cannot hold.
    bool ok = true;
    parseEnteredFloat("1e-50", &ok);
    EXPECT_FALSE(ok);
    EXPECT_FLOAT_EQ(parseEnteredFloat("4,02", &ok), 4.02f);
    EXPECT_TRUE(ok);
}

}  // namespace
}  // namespace zh
