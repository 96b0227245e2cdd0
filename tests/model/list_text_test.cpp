// The list and bracket tools every part of the model leans on.

#include "model/list_text.h"

#include <gtest/gtest.h>

namespace zh {
namespace {

TEST(ListText, ComboboxListsByValueAndByText) {
    EXPECT_EQ(ListValueOf("Off=0;On=1;", "On"), 1);
    EXPECT_EQ(ListValueOf("a;b;c", "c"), 2);
    EXPECT_EQ(ListValueOf("a;b;c", "d"), -1);
    EXPECT_EQ(ListValueOf("Off=0;On=1;", "Maybe"), -1);
    EXPECT_EQ(ListValueOf("a;b;c;", ""), -1);
    EXPECT_EQ(ListValueOf("PSI=6;bar=7;mbar=8;", "[bar]"),
              7);  // units compare inside their brackets
    EXPECT_EQ(ListValueOf("x=notanumber;", "x"), -1);
    EXPECT_EQ(ListTextOf("No=0;Yes=1", 1), "Yes");
    EXPECT_EQ(ListTextOf(" Low = 5 ; High = 9 ;", 9), "High");
    EXPECT_EQ(ListTextOf("a;b;c", 1), "b");
    EXPECT_EQ(ListTextOf("a;b;c", 3), "");
    EXPECT_EQ(ListTextOf("a;b;c", -1), "");
    EXPECT_EQ(ListTextOf("No=0;Yes=1", 2), "");
}

TEST(ListText, BracketsFieldsAndMembership) {
    EXPECT_EQ(BracketText("4.0[mA]", "[", "]"), "mA");
    EXPECT_EQ(BracketText("4.0[mA", "[", "]"), "");
    EXPECT_EQ(BracketPart("12.5[bar]x", "[", "]"), "[bar]");
    EXPECT_EQ(BracketPart("12.5[]", "[", "]"), "");
    EXPECT_EQ(BracketPart("12.5", "[", "]"), "");
    EXPECT_TRUE(InList("SetPoint1;ResetPoint1", "Point1", ""));
    EXPECT_FALSE(InList("SetPoint1;ResetPoint1", "Point1", ";"));
    EXPECT_TRUE(InList("SetPoint1;ResetPoint1", "ResetPoint1", ";"));
    EXPECT_EQ(FieldCount("", ";"), 0);
    EXPECT_EQ(FieldCount("a;b", ";"), 2);
    EXPECT_EQ(FieldCount("a;b;", ";"), 2);
    EXPECT_EQ(FieldCount("a;b; ", ";"), 2);
    EXPECT_EQ(StringField("a|b|c", 2, "|"), "b");
    EXPECT_EQ(StringField("a|b|c", 4, "|"), "");
}

}  // namespace
}  // namespace zh
