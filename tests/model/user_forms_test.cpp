// User forms: integers shown as "high.low" and entered back.

#include "model/user_forms.h"

#include <gtest/gtest.h>

#include "model/device_model.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

class UserFormTest : public ::testing::Test {
  protected:
    QString decode(const QString& v, const QString& form) {
        return convertUserForm(m, FormWay::Decode, v, form);
    }
    QString encode(const QString& v, const QString& form) {
        return convertUserForm(m, FormWay::Encode, v, form);
    }

    TestProgram t;
    DeviceModel m{t.program};
};

TEST_F(UserFormTest, FixedForms) {
    EXPECT_EQ(decode("775", "userform1;"), "3.07");
    EXPECT_EQ(encode("3.07", "userform1;"), "775");
    EXPECT_EQ(decode("1023", "userform1;"), "3.255");  // a low part above 99 keeps its digits
    EXPECT_EQ(encode("3.255", "userform1;"), "1023");
    EXPECT_EQ(decode("12345", "userform5;"), "12.345");
    EXPECT_EQ(encode("12.3456", "userform5;"), "12345");      // extra digits ignored
    EXPECT_EQ(decode("1234", "COMMON;userform4;"), "12.34");  // decimals 0 do not cut forms 4 and 5
    EXPECT_EQ(encode("12", "userform4;"), "1200");
    EXPECT_EQ(decode("-775", "userform1;"), "-3.07");
    EXPECT_EQ(encode("-3.07", "userform1;"), "-775");
    EXPECT_EQ(decode("775", "userform4;userform1;"), "3.07");  // forms are searched from 1 upwards
}

TEST_F(UserFormTest, VariableFormsFollowTheDecimals) {
    m.userFormDecimals = 1;
    EXPECT_EQ(decode("1234", "userform2;"), "123.4");
    EXPECT_EQ(encode("123.4", "userform2;"), "1234");
    m.userFormDecimals = 0;
    EXPECT_EQ(decode("1234", "userform2;"), "1234");
    EXPECT_EQ(encode("1234.9", "userform2;"), "1234");
    m.userFormDecimals = -3;  // no power of ten below 1: treated as none
    EXPECT_EQ(decode("1234", "userform2;"), "1234");

    m.fields.appendDefinedName("Val3");
    m.fields["Val3"].Content = "6";
    EXPECT_EQ(decode("1234", "userform3;"), "12.34");
    EXPECT_EQ(m.userFormDecimals, 2);
    EXPECT_EQ(encode("12.34", "userform3;"), "1234");  // with the decimals it was shown with
    m.fields["Val3"].Content = "42";
    EXPECT_EQ(decode("1234", "userform3;"), "1234");
    EXPECT_TRUE(t.dialogs.boxes.empty());
}

TEST_F(UserFormTest, DecodeEncodeRoundTrips) {
    for (const char* form : {"userform1;", "userform4;", "userform5;"}) {
        for (qint64 v = -70000; v <= 70000; v += 13)
            ASSERT_EQ(encode(decode(QString::number(v), form), form), QString::number(v)) << form;
    }
    m.userFormDecimals = 3;
    for (qint64 v = -70000; v <= 70000; v += 13)
        ASSERT_EQ(encode(decode(QString::number(v), "userform2;"), "userform2;"),
                  QString::number(v));
}

TEST_F(UserFormTest, UnknownFormsModesAndBadInput) {
    EXPECT_EQ(decode("775", "userform9;"), "775");
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Internal");
    EXPECT_EQ(t.dialogs.boxes[0].text, "illegal user form in use: userform9;");
    EXPECT_EQ(decode("775", "COMMON;"), "775");
    EXPECT_EQ(t.dialogs.boxes.size(), 1u);

    for (const char* bad : {"abc", "", "12.5", "nan", "1e999", "99999999999999999999"})
        EXPECT_EQ(decode(bad, "userform1;"), "") << bad;
    for (const char* bad :
         {"abc", "", ".", "1.2.3", "nan", "1e999", "3.x7", "99999999999999999999.1"})
        EXPECT_EQ(encode(bad, "userform4;"), "") << bad;
    EXPECT_EQ(decode("-9223372036854775808", "userform5;"), "-9223372036854775.808");

    t.program.log.setThreshold(5);
    decode("775", "userform1;");
    EXPECT_TRUE(t.program.log.viewText().contains(">>> Userform(775,userform1;,decode)=3.07"));
}

}  // namespace
}  // namespace zh
