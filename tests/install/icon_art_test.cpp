// The procedural icon at every size it is installed at (the install test
// checks each file's size and alpha channel): a transparent outside and an
// opaque inside, smooth (antialiased) edges, and the same picture at every
// size, so a small icon is recognisably the large one.
#include "tools/icon/icon_art.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct Rgba {
    int r, g, b, a;
};

Rgba At(const IconImage& image, double fx, double fy) {
    const int x = std::min(image.size - 1, int(fx * image.size));
    const int y = std::min(image.size - 1, int(fy * image.size));
    const unsigned char* p = image.Pixel(x, y);
    return Rgba{p[0], p[1], p[2], p[3]};
}

class IconAtEverySize : public ::testing::TestWithParam<int> {};

TEST_P(IconAtEverySize, CornersAreTransparentAndTheMiddleOpaque) {
    const IconImage image = DrawGlimmerIcon(GetParam());
    for (auto [fx, fy] : {std::pair{0.0, 0.0}, {0.999, 0.0}, {0.0, 0.999}, {0.999, 0.999}}) {
        EXPECT_EQ(At(image, fx, fy).a, 0) << "corner (" << fx << ", " << fy << ") at size " << image.size;
    }
    for (auto [fx, fy] : {std::pair{0.5, 0.5}, {0.2, 0.3}, {0.8, 0.7}}) {
        EXPECT_EQ(At(image, fx, fy).a, 255) << "inside (" << fx << ", " << fy << ") at size " << image.size;
    }
}

TEST_P(IconAtEverySize, EdgesAreAntialiased) {
    const IconImage image = DrawGlimmerIcon(GetParam());
    int partial = 0;
    for (size_t i = 3; i < image.rgba.size(); i += 4) {
        if (image.rgba[i] > 0 && image.rgba[i] < 255) ++partial;
    }
    // The rounded outline alone crosses at least one pixel per row near each corner.
    EXPECT_GE(partial, 4) << "pixels with partial alpha at size " << image.size;
}

TEST_P(IconAtEverySize, ShowsAGoldStarOverAGreenTreeOnSnow) {
    const IconImage image = DrawGlimmerIcon(GetParam());
    const Rgba star = At(image, 0.5, 0.2);
    EXPECT_TRUE(star.r > 200 && star.g > 150 && star.b < 120)
        << "star centre is (" << star.r << ", " << star.g << ", " << star.b << ") at size " << image.size;
    const Rgba tree = At(image, 0.5, 0.58);
    EXPECT_TRUE(tree.g > tree.r + 40 && tree.g > tree.b + 40)
        << "tree is (" << tree.r << ", " << tree.g << ", " << tree.b << ") at size " << image.size;
    const Rgba snow = At(image, 0.35, 0.93);
    EXPECT_TRUE(snow.r > 180 && snow.g > 190 && snow.b > 220)
        << "snow is (" << snow.r << ", " << snow.g << ", " << snow.b << ") at size " << image.size;
    const Rgba sky = At(image, 0.12, 0.4);
    EXPECT_TRUE(sky.b > sky.r + 40 && sky.b > 70)
        << "sky is (" << sky.r << ", " << sky.g << ", " << sky.b << ") at size " << image.size;
}

INSTANTIATE_TEST_SUITE_P(DesktopAndWindowSizes, IconAtEverySize, ::testing::Values(16, 32, 48, 64, 128, 256));

TEST(IconArt, SmallSizesMatchTheLargeOneScaledDown) {
    const IconImage large = DrawGlimmerIcon(256);
    const IconImage small = DrawGlimmerIcon(32);
    // Each small pixel against the mean of the 8 x 8 large pixels it covers.
    int worst = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            int sum = 0;
            for (int dy = 0; dy < 8; ++dy) {
                for (int dx = 0; dx < 8; ++dx) sum += large.Pixel(x * 8 + dx, y * 8 + dy)[3];
            }
            worst = std::max(worst, std::abs(small.Pixel(x, y)[3] - sum / 64));
        }
    }
    EXPECT_LE(worst, 24) << "largest alpha difference between the 32 px icon and the 256 px one scaled down";
}

}  // namespace
