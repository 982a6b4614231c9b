#include "GripDragContext.h"

namespace {
GripDragContext g_dragContext;
}

void setCurrentGripOffset(const AcGeVector3d& offset) { g_dragContext.offset = offset; }

AcGeVector3d currentGripOffset() { return g_dragContext.offset; }
