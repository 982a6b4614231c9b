// GRIPEDIT drags a clone first: whatever the clone's grip move does to the drawing, queues or
// prints is gone before the entity itself is moved once.
#include "../hostcommands/commands_fixture.h"
#include "db/line.h"
#include "rx/print.h"
#include "rx/rxclass.h"

// A line that, when moved, also moves the start of another line, queues a command and prints.
class DragProbe : public AcDbLine {
public:
    ACRX_DECLARE_MEMBERS(DragProbe);
    DragProbe() = default;
    DragProbe(const AcGePoint3d& a, const AcGePoint3d& b, AcDbObjectId other) : AcDbLine(a, b), target(other) {}
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
        if (Acad::ErrorStatus es = AcDbLine::dwgOutFields(filer); es != Acad::eOk) return es;
        return filer->writeSoftPointerId(target);
    }
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override {
        if (Acad::ErrorStatus es = AcDbLine::dwgInFields(filer); es != Acad::eOk) return es;
        AcDbSoftPointerId id;
        filer->readSoftPointerId(&id);
        target = id;
        return filer->filerStatus();
    }
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override {
        if (Acad::ErrorStatus es = AcDbLine::moveGripPointsAt(indices, offset); es != Acad::eOk) return es;
        ++(isDatabaseResident() ? residentMoves : cloneMoves);
        AcDbLine* other = nullptr;
        if (acdbOpenObject(other, target, AcDb::kForWrite) == Acad::eOk) {
            other->setStartPoint(other->startPoint() + offset);
            other->close();
        }
        acDocManager->sendStringToExecute(acDocManager->curDocument(), "(setvar \"TEXTSIZE\" (+ (getvar \"TEXTSIZE\") 1)) ", false, true, false);
        acutPrintf("\nprobe moved");
        return Acad::eOk;
    }
    AcDbObjectId target;
    static inline int residentMoves = 0;
    static inline int cloneMoves = 0;
};

ACRX_DXF_DEFINE_MEMBERS(DragProbe, AcDbLine, 0, 0, 0, "DRAGPROBE", "UndoTests")

TEST_F(CommandTest, TheDragCloneLeavesNoTraceAndTheEntityMovesOnce) {
    DragProbe::rxInit();
    const AcDbObjectId other = append(new AcDbLine(AcGePoint3d(0, 10, 0), AcGePoint3d(5, 10, 0)));
    const AcDbObjectId probe = append(new DragProbe(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0), other));
    ASSERT_EQ(script("GRIPEDIT L 2 @2,0\n"), 0) << out;
    EXPECT_EQ(DragProbe::cloneMoves, 1) << "the clone followed the point";
    EXPECT_EQ(DragProbe::residentMoves, 1);
    read<AcDbLine>(other, [](AcDbLine* l) { expectPoint(l->startPoint(), AcGePoint3d(2, 10, 0), "moved once"); });
    read<AcDbLine>(probe, [](AcDbLine* l) { expectPoint(l->endPoint(), AcGePoint3d(12, 0, 0)); });
    EXPECT_EQ(out.find("probe moved"), out.rfind("probe moved")) << "printed once: " << out;
    EXPECT_DOUBLE_EQ(db->textsize(), 3.5) << "the text queued by the clone was dropped";
    ASSERT_EQ(script("U\nU\n"), 0) << out;
    EXPECT_DOUBLE_EQ(db->textsize(), 2.5);
    read<AcDbLine>(other, [](AcDbLine* l) { expectPoint(l->startPoint(), AcGePoint3d(0, 10, 0)); });
    read<AcDbLine>(probe, [](AcDbLine* l) { expectPoint(l->endPoint(), AcGePoint3d(10, 0, 0)); });
    deleteAcRxClass(DragProbe::desc());
}
