#include "background/ramp.h"

#include <gtest/gtest.h>

namespace {

struct RampCase {
    int32_t screenHeight;
    int32_t row;
    int blue;
};

TEST(RampBlue, WorkedRows) {
    const RampCase cases[] = {
        {480, 0, 255}, {480, 2, 254}, {480, 240, 128}, {480, 479, 0},
        {600, 0, 255}, {600, 1, 255}, {600, 2, 255},   {600, 300, 128},
        {600, 599, 0}, {768, 0, 255}, {768, 767, 0},
    };
    for (const RampCase& c : cases) {
        EXPECT_EQ(RampBlue(c.row, c.screenHeight), c.blue)
            << "H=" << c.screenHeight << " row " << c.row;
    }
}

TEST(RampBlue, NeverRisesDownTheScreen) {
    for (int32_t height : {2, 3, 200, 480, 600, 768, 1024, 1080, 2160}) {
        int previous = 255;
        for (int32_t row = 0; row < height; ++row) {
            const int blue = RampBlue(row, height);
            ASSERT_LE(blue, previous) << "H=" << height << " row " << row;
            previous = blue;
        }
        EXPECT_EQ(previous, 0) << "H=" << height;
    }
}

TEST(RampBlue, RowsBelowTheScreenAreBlack) {
    for (int32_t row : {480, 481, 482, 1000, 100000, INT32_MAX}) {
        EXPECT_EQ(RampBlue(row, 480), 0) << row;
    }
}

TEST(RampBlue, DegenerateScreensAreDefined) {
    EXPECT_EQ(RampBlue(0, 1), 255);
    EXPECT_EQ(RampBlue(5, 1), 0);
    EXPECT_EQ(RampBlue(0, 0), 255);
}

TEST(TitleBoxes, ShadowAndFaceOfA640By480Client) {
    TitleBox shadow;
    TitleBox face;
    TitleBoxes(640, 480, 96, &shadow, &face);
    EXPECT_EQ(shadow.left, 32);
    EXPECT_EQ(shadow.top, 24);
    EXPECT_EQ(shadow.right, 640);
    EXPECT_EQ(shadow.bottom, 480);
    EXPECT_EQ(face.left, 25);
    EXPECT_EQ(face.top, 17);
    EXPECT_EQ(face.right, 640);
    EXPECT_EQ(face.bottom, 480);
    TitleBoxes(960, 720, 144, &shadow, &face); // the shadow's offset grows with the screen's DPI
    EXPECT_EQ(shadow.left, 48);
    EXPECT_EQ(face.left, 37);
    EXPECT_EQ(face.top, 25);
}

} // namespace
