#pragma once
// The profile's [Common] TestMode: "ON" runs the window without a device
// (the live display takes its value from the "Test input" window and the
// administrator's controls stay open), "IV" does the same and also labels
// every field with its name; any other word is off. The profile keeps the
// word; the program compares the mode it names.

#include <QString>

namespace zh {

enum class TestMode { Off, On, FieldNames };

// The mode of a TestMode word, in capitals as the profile writes it. The
// live display and the test-input window also take "on" and "iv": they ask
// with the word in capitals.
inline TestMode testModeOf(const QString& word) {
    if (word == QLatin1String("ON")) return TestMode::On;
    if (word == QLatin1String("IV")) return TestMode::FieldNames;
    return TestMode::Off;
}

inline bool isTestMode(const QString& word) {
    return testModeOf(word) != TestMode::Off;
}

}  // namespace zh
