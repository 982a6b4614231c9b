// The text options page's justification: the box's index of a text's modes, and what choosing
// an index does to the text's points.
#include <gtest/gtest.h>
#include "attedit/TextOptions.h"
#include "db/text.h"

TEST(Justification, IndexFollowsTheHorizontalModeThenTheVerticalOne) {
    using J = CTextOptions;
    EXPECT_EQ(J::justificationIndex(AcDb::kTextLeft, AcDb::kTextBase), 0);
    EXPECT_EQ(J::justificationIndex(AcDb::kTextAlign, AcDb::kTextTop), 1) << "only left, center and right take a vertical mode";
    EXPECT_EQ(J::justificationIndex(AcDb::kTextFit, AcDb::kTextBottom), 2);
    EXPECT_EQ(J::justificationIndex(AcDb::kTextMid, AcDb::kTextVertMid), 4);
    EXPECT_EQ(J::justificationIndex(AcDb::kTextMid, AcDb::kTextTop), 4);
    EXPECT_EQ(J::justificationIndex(AcDb::kTextRight, AcDb::kTextBase), 5);
    EXPECT_EQ(J::justificationIndex(AcDb::kTextCenter, AcDb::kTextTop), 7);
    EXPECT_EQ(J::justificationIndex(AcDb::kTextLeft, AcDb::kTextVertMid), 9);
    EXPECT_EQ(J::justificationIndex(AcDb::kTextRight, AcDb::kTextBottom), 14);
    // Every index of the box maps back to itself.
    for (int index = 0; index < 15; ++index) {
        AcDbText text(AcGePoint3d(10, 5, 0), "abc");
        CTextOptions::applyJustification(&text, index);
        EXPECT_EQ(J::justificationIndex(text.horizontalMode(), text.verticalMode()), index) << index;
    }
}

TEST(Justification, ChoosingAnIndexMovesOnlyThePointsItNames) {
    // Top Center leaves the alignment point where it was; Center moves it to the position.
    AcDbText top(AcGePoint3d(10, 5, 0), "abc");
    top.setHorizontalMode(AcDb::kTextRight);
    top.setAlignmentPoint(AcGePoint3d(40, 5, 0));
    top.adjustAlignment();
    const AcGePoint3d before = top.alignmentPoint();
    CTextOptions::applyJustification(&top, 7);
    EXPECT_TRUE(top.alignmentPoint().isEqualTo(before));

    AcDbText center(AcGePoint3d(10, 5, 0), "abc");
    CTextOptions::applyJustification(&center, 3);
    EXPECT_TRUE(center.alignmentPoint().isEqualTo(AcGePoint3d(10, 5, 0)));

    // Align and Fit keep the text's own baseline: its start and its end, not one point twice.
    for (int index : {1, 2}) {
        AcDbText fitted(AcGePoint3d(10, 5, 0), "abcdef", AcDbObjectId::kNull, 2.0);
        const double width = fitted.approximateWidth();
        ASSERT_GT(width, 0);
        CTextOptions::applyJustification(&fitted, index);
        fitted.adjustAlignment();
        EXPECT_NEAR(fitted.position().distanceTo(fitted.alignmentPoint()), width, 1e-9) << index;
        EXPECT_TRUE(fitted.position().isEqualTo(AcGePoint3d(10, 5, 0))) << index;
        EXPECT_NEAR(fitted.height(), 2.0, 1e-9) << "aligned text keeps its height with its own baseline";
    }
    // Indices outside the box change nothing.
    AcDbText left(AcGePoint3d(1, 2, 0), "x");
    CTextOptions::applyJustification(&left, 15);
    CTextOptions::applyJustification(&left, -1);
    EXPECT_EQ(left.horizontalMode(), AcDb::kTextLeft);
}
