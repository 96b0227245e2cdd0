#include <gtest/gtest.h>

#include <QApplication>

TEST(UiLibrary, RunsOnTheOffscreenPlatform) {
    EXPECT_EQ(QApplication::platformName(), QStringLiteral("offscreen"));
}
