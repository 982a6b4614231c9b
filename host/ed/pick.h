#pragma once
// Picking entities of the current space by point, and object selection for commands.
//
// A pick at a point takes the entity whose outline (AcDbEntity::getOutline) passes nearest to
// it in plan view, within the pick box: PICKBOX pixels of a view VIEWSIZE high on a screen
// SCREENSIZE high. On equal distance the later entity (drawn on top) wins.
#include "db/objectid.h"
#include "ge/vector.h"
#include "rx/ads.h"
#include "rx/export.h"

// Asks for an object: RTNORM with its name and the pick point; RTERROR with ERRNO 7 when the
// point hits nothing, with ERRNO 52 for an empty answer; RTKWORD, RTCAN as for other prompts.
CADHOST_API int acedEntSel(const char* prompt, ads_name entity, ads_point point);

// ---- Host side ----

// Half the side of the pick box in drawing units.
CADHOST_API double acedHostPickTolerance();
// The entity picked at the point (null id when none); tolerance < 0 takes the pick box.
CADHOST_API AcDbObjectId acedHostPickEntity(const AcGePoint3d& point, double tolerance = -1.0);
// The last entity of the current space that is not erased (null id when none).
CADHOST_API AcDbObjectId acedHostLastEntity();
// "Select objects:" until an empty answer: points pick, "ALL", "Last", "Window" and "Crossing"
// (two corners) add entities of the current space. RTNORM with at least one id, RTNONE when
// nothing was selected, RTCAN / RTERROR as for prompts.
CADHOST_API int acedHostSelectObjects(const char* prompt, AcDbObjectIdArray& ids);
