#pragma once
// Binding the grip points of a block definition to the entities their drags and formulas move.
#include "ZeftExport.h"

class AcDbBlockTableRecordIterator;
class ZEFTGripPoint;

// Fills the grip point's child-entity lists from the entities whose stretch points lie on the
// grip (or its sub-points) or inside its outlines. The grip point is closed on entry and on
// return; false when it cannot be opened for write.
ZEFT_API bool setChildEntities(ZEFTGripPoint* grip, AcDbBlockTableRecordIterator* entities);
// Binds each run of point tokens in the grip's statements to the entities with a stretch point
// on its single point or inside the outline of its points.
ZEFT_API bool setFormulaChildEntities(ZEFTGripPoint* grip, AcDbBlockTableRecordIterator* entities);
