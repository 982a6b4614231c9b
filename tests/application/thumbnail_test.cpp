// Where the drawing list puts a drawing's preview in a row's slot.
#include <gtest/gtest.h>
#include "browser/ThumbnailFile.h"

namespace {
// A 180 x 126 slot as the first drawing row of a list has it, below the row's caption.
CRect placed(int iw, int ih) { return ThumbnailFile::placement(iw, ih, CRect(0, 20, 180, 146)); }
}  // namespace

TEST(ThumbnailPlacement, PreviewsFitTheSlotKeepingTheirShape) {
    EXPECT_EQ(placed(180, 126), CRect(0, 20, 180, 146)) << "a preview of the slot's size is drawn as it is";
    EXPECT_EQ(placed(100, 126), CRect(40, 20, 140, 146)) << "narrower: its own size, centred across";
    EXPECT_EQ(placed(180, 100), CRect(0, 33, 180, 133)) << "lower: its own size, centred down";
    EXPECT_EQ(placed(200, 100), CRect(0, 38, 180, 128)) << "wide: scaled to the width, 18 below the top";
    EXPECT_EQ(placed(50, 100), CRect(58, 20, 121, 146)) << "portrait: scaled to the height";
    EXPECT_EQ(placed(360, 252), CRect(0, 20, 180, 146)) << "twice the slot: scaled down";
    EXPECT_EQ(placed(400, 126), CRect(0, 55, 180, 111)) << "as high but wider: scaled to the width";
    // Scaled images never start above the first row's caption.
    EXPECT_EQ(ThumbnailFile::placement(200, 100, CRect(0, 0, 180, 126)).top, 18);
}
