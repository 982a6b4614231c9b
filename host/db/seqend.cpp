#include "db/seqend.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbSequenceEnd, AcDbEntity, "SEQEND", ACRX_HOST_CONS(AcDbSequenceEnd))

AcDbSequenceEnd::AcDbSequenceEnd() = default;
AcDbSequenceEnd::~AcDbSequenceEnd() = default;

Adesk::Boolean AcDbSequenceEnd::worldDraw(AcGiWorldDraw*) { return Adesk::kTrue; }

// Moves with its owner: nothing to change.
Acad::ErrorStatus AcDbSequenceEnd::transformBy(const AcGeMatrix3d&) {
    assertWriteEnabled();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSequenceEnd::getGeomExtents(AcDbExtents& extents) const {
    assertReadEnabled();
    extents = AcDbExtents();
    return Acad::eInvalidExtents;
}
