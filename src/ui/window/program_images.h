#pragma once
// The pictures the program carries, in the folder "Images" of the program
// directory: the three lamps, the built-in logos and the window icon.

#include <QString>

namespace zh {

struct AppState;

enum class ProgramImage {
    LampOff,    // grey, 20 x 20
    LampGreen,  // 20 x 20
    LampRed,    // 20 x 20
    Logo,       // 160 x 90
    MakerLogo,  // the display module maker's logo, 248 x 82
    LogoEN,     // 180 x 91, for languages other than German
    AppIcon,    // 32 x 32
};

// The image's file (which may be missing: callers then show nothing).
QString programImageFile(const AppState& state, ProgramImage image);

}  // namespace zh
