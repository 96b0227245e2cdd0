#include "ui/window/program_images.h"

#include "app/app_state.h"
#include "app/program_folders.h"

namespace zh {

QString programImageFile(const AppState& state, ProgramImage image) {
    const char* file = "";
    switch (image) {
        case ProgramImage::LampOff:
            file = "lamp_off.png";
            break;
        case ProgramImage::LampGreen:
            file = "lamp_green.png";
            break;
        case ProgramImage::LampRed:
            file = "lamp_red.png";
            break;
        case ProgramImage::Logo:
            file = "logo.png";
            break;
        case ProgramImage::MakerLogo:
            file = "maker_logo.png";
            break;
        case ProgramImage::LogoEN:
            file = "logo_en.png";
            break;
        case ProgramImage::AppIcon:
            file = "app_icon.png";
            break;
    }
    return resolveReadOnlyFile(state, QStringLiteral("Images/") + QLatin1String(file));
}

}  // namespace zh
