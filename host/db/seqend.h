#pragma once
#include "db/entity.h"

// Marks the end of the sub-entities an entity owns (the attributes of a block reference);
// files write it as SEQEND. It has no data of its own and draws nothing.
class CADHOST_API AcDbSequenceEnd : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbSequenceEnd);
    AcDbSequenceEnd();
    ~AcDbSequenceEnd() override;

    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
};
