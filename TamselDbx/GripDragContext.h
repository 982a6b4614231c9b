#pragma once
// The drag offset of the grip move in progress, for the formula function "getOffset()".
#include "ZeftExport.h"
#include "ge/vector.h"

struct GripDragContext {
    AcGeVector3d offset{0, 0, 0};  // world coordinates
};

// Published by the grip engine before it reshapes anything; kept until the next move.
ZEFT_API void setCurrentGripOffset(const AcGeVector3d& offset);
ZEFT_API AcGeVector3d currentGripOffset();
