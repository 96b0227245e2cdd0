// The list and bracket tools every part of the model leans on.

#include "model/list_text.h"

#include <gtest/gtest.h>

namespace zh {
namespace {

TEST(ListText, ComboboxListsByValueAndByText) {
    EXPECT_EQ(listValueOf("Off=0;On=1;", "On"), 1);
    EXPECT_EQ(listValueOf("a;b;c", "c"), 2);
    EXPECT_EQ(listValueOf("a;b;c", "d"), -1);
    EXPECT_EQ(listValueOf("Off=0;On=1;", "Maybe"), -1);
    EXPECT_EQ(listValueOf("a;b;c;", ""), -1);
    EXPECT_EQ(listValueOf("PSI=6;bar=7;mbar=8;", "[bar]"),
              7);  // units compare inside their brackets
    EXPECT_EQ(listValueOf("x=notanumber;", "x"), -1);
    EXPECT_EQ(listTextOf("No=0;Yes=1", 1), "Yes");
    EXPECT_EQ(listTextOf(" Low = 5 ; High = 9 ;", 9), "High");
    EXPECT_EQ(listTextOf("a;b;c", 1), "b");
    EXPECT_EQ(listTextOf("a;b;c", 3), "");
    EXPECT_EQ(listTextOf("a;b;c", -1), "");
    EXPECT_EQ(listTextOf("No=0;Yes=1", 2), "");
}

TEST(ListText, BracketsFieldsAndMembership) {
    EXPECT_EQ(bracketTextOf("4.0[mA]", "[", "]"), "mA");
    EXPECT_EQ(bracketTextOf("4.0[mA", "[", "]"), "");
    EXPECT_EQ(bracketPartOf("12.5[bar]x", "[", "]"), "[bar]");
    EXPECT_EQ(bracketPartOf("12.5[]", "[", "]"), "");
    EXPECT_EQ(bracketPartOf("12.5", "[", "]"), "");
    EXPECT_TRUE(isInList("SetPoint1;ResetPoint1", "Point1", ""));
    EXPECT_FALSE(isInList("SetPoint1;ResetPoint1", "Point1", ";"));
    EXPECT_TRUE(isInList("SetPoint1;ResetPoint1", "ResetPoint1", ";"));
    EXPECT_EQ(countFields("", ";"), 0);
    EXPECT_EQ(countFields("a;b", ";"), 2);
    EXPECT_EQ(countFields("a;b;", ";"), 2);
    EXPECT_EQ(countFields("a;b; ", ";"), 2);
    EXPECT_EQ(stringFieldOf("a|b|c", 2, "|"), "b");
    EXPECT_EQ(stringFieldOf("a|b|c", 4, "|"), "");
}

}  // namespace
}  // namespace zh
