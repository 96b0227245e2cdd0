#pragma once
// The choice of the logo in the top right corner of the main window: a
// customer's picture named by the profile (key LogoFile) or one of the
// logos the program carries.

#include <QRect>
#include <QSize>
#include <QString>

namespace zh {

struct AppState;
struct Program;

// The customer's logo file as the profile names it: key LogoFile of
// section "Common" of the profile file, or of section "Special" of
// `srcFile` when one is given. Reports a missing name (profile only) and a
// file that is missing or shorter than 100 bytes, which then counts as no
// name: the result is "" or a file that exists.
QString customerLogoFile(Program& program, const QString& srcFile);

// Reports a logo file that exists but is no picture the program can read.
void reportUnreadableLogo(Program& program, const QString& name);

// Where a picture of `image` size goes in `area`: scaled by the smaller of
// the two factors that fit it, keeping its proportions, at the right edge
// and centred from top to bottom.
QRect logoPlacement(const QRect& area, const QSize& image);

// The built-in logos; which one the window shows when there is no
// customer's logo.
enum class BuiltInLogo { Logo, MakerLogo, LogoEN };
BuiltInLogo builtInLogo(const AppState& state);

}  // namespace zh
