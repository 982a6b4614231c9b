// The texts the browser queues to insert a block or a drawing file, and when it queues them.
#include <gtest/gtest.h>
#include <string>
#include "browser/InsertionProtocol.h"
#include "../editor/editor_fixture.h"
#include "ed/winapp.h"

namespace {
const std::string kEsc2 = "\x1b\x1b";

class InsertionProtocol : public EditorTest {
protected:
    std::string queued() const {
        std::string text;
        for (const auto& p : doc->pendingInput()) text += p.text.substr(p.pos);
        return text;
    }
};
}  // namespace

TEST_F(InsertionProtocol, ExpressionsHaveTheirExactBytes) {
    EXPECT_EQ(std::string(blockInsertExpression("DOOR", AcGePoint3d(10, 20.5, 0))),
              kEsc2 + "(c:_bInsert \"DOOR\" (list 10.00000000 20.50000000 0.00000000)) ");
    EXPECT_EQ(std::string(drawingInsertExpression("C:\\lib dir\\My Door.dwg", AcGePoint3d(1, 2, 3))),
              kEsc2 + "(c:_bInsertFile \"C:/lib dir/My Door.dwg\" (list 1.00000000 2.00000000 3.00000000)) ");
    EXPECT_EQ(std::string(blockInsertExpression("", AcGePoint3d(-1.5, 0, 0))),
              kEsc2 + "(c:_bInsert \"\" (list -1.50000000 0.00000000 0.00000000)) ");
}

TEST_F(InsertionProtocol, NamesAreQuotedAsLispStrings) {
    // A double quote or a backslash must not end the string or start an escape of its own.
    EXPECT_EQ(std::string(blockInsertExpression("A\"B\\C", AcGePoint3d(0, 0, 0))),
              kEsc2 + "(c:_bInsert \"A\\\"B\\\\C\" (list 0.00000000 0.00000000 0.00000000)) ");
    EXPECT_EQ(std::string(lispString("say \"hi\"")), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(std::string(drawingInsertExpression("/srv/a\"b.dwg", AcGePoint3d(0, 0, 0))),
              kEsc2 + "(c:_bInsertFile \"/srv/a\\\"b.dwg\" (list 0.00000000 0.00000000 0.00000000)) ");
}

TEST_F(InsertionProtocol, CoordinatesThatCannotBeFormattedAreZero) {
    EXPECT_EQ(std::string(formatCoordinate(1.0)), "1.00000000");
    EXPECT_EQ(std::string(formatCoordinate(std::numeric_limits<double>::quiet_NaN())), "0.0");
}

TEST_F(InsertionProtocol, PickedPointQueuesTheCallOnTheCurrentDocument) {
    input.push("1,2,3\n");
    const int focusBefore = acedGetAcadDockCmdLine()->focusCount();
    ASSERT_TRUE(insertAtPickedPoint(InsertKind::kBlock, "DOOR"));
    EXPECT_NE(out.find("Specify insertion point: "), std::string::npos) << out;
    EXPECT_EQ(queued(), kEsc2 + "(c:_bInsert \"DOOR\" (list 1.00000000 2.00000000 3.00000000)) ");
    EXPECT_EQ(acedGetAcadDockCmdLine()->focusCount(), focusBefore + 2) << "before the prompt and before the send";
    ASSERT_FALSE(doc->pendingInput().empty());
    EXPECT_FALSE(doc->pendingInput().back().echo);
}

TEST_F(InsertionProtocol, CancelledPromptSendsNothing) {
    input.push("\x1b\n");
    EXPECT_FALSE(insertAtPickedPoint(InsertKind::kDrawing, "C:\\a.dwg"));
    EXPECT_TRUE(queued().empty());
    EXPECT_FALSE(insertAtPickedPoint(InsertKind::kBlock, "DOOR")) << "end of input cancels too";
    EXPECT_TRUE(queued().empty());
}
