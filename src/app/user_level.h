#pragma once
// The user modes of the profile's [Common] UserMode: what the window offers
// grows from "user" to "administrator" to "customizer". The profile keeps
// the word; the program compares the level it names.

#include <QString>

namespace zh {

// Other: a word the program does not know (it gets the buttons of the
// higher modes, the tabs and fields of "user").
enum class UserLevel { User, Administrator, Customizer, Other };

// The level of a lower-case mode word.
inline UserLevel userLevel(const QString& mode) {
    if (mode == QLatin1String("user")) return UserLevel::User;
    if (mode == QLatin1String("administrator")) return UserLevel::Administrator;
    if (mode == QLatin1String("customizer")) return UserLevel::Customizer;
    return UserLevel::Other;
}

}  // namespace zh
