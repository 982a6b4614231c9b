// Grip and stretch moves of the intelligent block reference. Interim: the insertion grip moves
// the whole reference with its attributes; every other grip is accepted without effect.
#include "ZEFTBlockReference.h"

namespace {
bool movesInsertionGrip(const AcDbIntArray& indices) { return indices.contains(0); }
}  // namespace

Acad::ErrorStatus ZEFTBlockReference::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    if (movesInsertionGrip(indices)) transformBy(AcGeMatrix3d::translation(offset));
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTBlockReference::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    if (movesInsertionGrip(indices)) transformBy(AcGeMatrix3d::translation(offset));
    return Acad::eOk;
}

bool ZEFTBlockReference::moveGripPoints(const AcDbIntArray&, AcGeVector3d, AcDbObjectId, bool) { return true; }

bool ZEFTBlockReference::CheckFormulaForStretch(const AcDbIntArray&, AcDbObjectId) { return true; }
