// The logo in the top right corner: the customer's picture named by the
// profile, placed right-aligned and centred in its area, or the built-in
// logo of the edition and language.

#include "ui/window/customer_logo.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "ui/window/field_controls.h"
#include "window_rig.h"

namespace zh {
namespace {

const QRect kLogoArea(706, 42, 300, 90);

// A PNG of `size` with enough detail that it does not compress to nothing.
QByteArray picture(const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// The logo the shipped profile names.
const QByteArray kShippedLogo = "LogoFile=.\\Images\\maker_logo.png";

class CustomerLogo : public ::testing::Test {
  protected:
    void withLogo(const QByteArray& content) {
        rig.t.writeFile(QStringLiteral("logo.png"), content);
        rig.useShippedProfile("Config-125.ini", kShippedLogo, "LogoFile=logo.png");
    }
    bool shown(const char* name) {
        return !rig.gadgets.isHidden(controlNumber(QLatin1String(name)));
    }
    QRect placed() { return rig.control("LogoPlaceholder")->geometry(); }
    QStringList boxes() const {
        QStringList texts;
        for (const auto& b : rig.t.dialogs.boxes) texts << b.text;
        return texts;
    }

    test::WindowRig rig;
};

TEST_F(CustomerLogo, AFileOf99BytesIsRejectedLikeAMissingOne) {
    // A valid picture, padded after its end to exactly 99 bytes.
    QByteArray tiny = picture(QSize(1, 1));
    ASSERT_LT(tiny.size(), 99);
    tiny.append(99 - tiny.size(), '\0');
    withLogo(tiny);
    MainWindow& w = rig.build();
    EXPECT_FALSE(w.showCustomerLogo());
    EXPECT_EQ(boxes(), QStringList{"Invalid Logofile specified!: logo.png"});
    EXPECT_FALSE(shown("LogoPlaceholder"));
    EXPECT_TRUE(shown("ZELLogo"));  // the ZEL-HART edition's own logo
    EXPECT_FALSE(shown("ImgLogo"));
    EXPECT_FALSE(shown("ImgLogoEN"));

    // One byte more and the same picture is taken.
    rig.t.writeFile(QStringLiteral("logo.png"), tiny + '\0');
    EXPECT_TRUE(w.showCustomerLogo());
    EXPECT_EQ(rig.t.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(shown("LogoPlaceholder"));
    EXPECT_FALSE(shown("ZELLogo"));
}

TEST_F(CustomerLogo, AWideLogoFillsTheHeightAtTheRightEdge) {
    withLogo(picture(QSize(600, 200)));
    MainWindow& w = rig.build();
    ASSERT_TRUE(w.showCustomerLogo());
    EXPECT_TRUE(rig.t.dialogs.boxes.empty());
    EXPECT_EQ(placed(), QRect(736, 42, 270, 90));
    EXPECT_EQ(placed().right(), kLogoArea.right());
}

TEST_F(CustomerLogo, ATallLogoFillsTheHeightLeavingSpaceOnTheLeft) {
    withLogo(picture(QSize(60, 180)));
    MainWindow& w = rig.build();
    ASSERT_TRUE(w.showCustomerLogo());
    EXPECT_EQ(placed(), QRect(976, 42, 30, 90));
    // The program reads the place in the window's design coordinates.
    EXPECT_EQ(rig.gadgets.geometry(controlNumber(QStringLiteral("LogoPlaceholder"))),
              QRect(976, 42, 30, 90));
}

TEST(LogoPlacement, CentresALowPicture) {
    // 10:1 is wider than the area: full width, centred from top to bottom.
    EXPECT_EQ(logoPlacement(kLogoArea, QSize(1000, 100)), QRect(706, 72, 300, 30));
    EXPECT_TRUE(logoPlacement(kLogoArea, QSize()).isNull());
}

TEST_F(CustomerLogo, WithoutALogoTheLanguageChoosesTheBuiltInOne) {
    rig.useShippedProfile("Config-125.ini", kShippedLogo, "LogoFile=");
    rig.t.program.state.EditionName = QStringLiteral("KALVERO_S");
    rig.t.program.state.ActualLanguage = QStringLiteral("Deutsch");
    MainWindow& w = rig.build();
    EXPECT_FALSE(w.showCustomerLogo());
    EXPECT_EQ(boxes(), QStringList{"Logofile should be specified in languagefile!"});
    EXPECT_TRUE(shown("ImgLogo"));
    EXPECT_EQ(rig.control("ImgLogo")->size(), QSize(160, 90));
    EXPECT_FALSE(shown("ImgLogoEN"));
    EXPECT_FALSE(shown("ZELLogo"));
    EXPECT_FALSE(shown("LogoPlaceholder"));

    rig.t.program.state.ActualLanguage = QStringLiteral("English");
    w.showCustomerLogo();
    EXPECT_TRUE(shown("ImgLogoEN"));
    EXPECT_FALSE(shown("ImgLogo"));
}

TEST_F(CustomerLogo, AGivenFileNamesItsOwnLogo) {
    rig.t.writeFile(QStringLiteral("wide.png"), picture(QSize(300, 100)));
    const QString srcFile =
        rig.t.writeFile(QStringLiteral("logo.ini"), "[Special]\nLogoFile=wide.png\n");
    rig.useShippedProfile("Config-125.ini");
    MainWindow& w = rig.build();
    EXPECT_TRUE(w.showCustomerLogo(srcFile));
    EXPECT_TRUE(rig.t.dialogs.boxes.empty());
    EXPECT_EQ(placed(), QRect(736, 42, 270, 90));

    // A file that is no picture leaves the built-in logo, after the message.
    rig.t.writeFile(QStringLiteral("wide.png"), QByteArray(500, 'x'));
    EXPECT_FALSE(w.showCustomerLogo(srcFile));
    ASSERT_EQ(rig.t.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(
        rig.t.dialogs.boxes[0].text.startsWith(QLatin1String("Invalid Logofile specified!: ")));
    EXPECT_FALSE(shown("LogoPlaceholder"));
    EXPECT_TRUE(shown("ZELLogo"));
}

}  // namespace
}  // namespace zh
