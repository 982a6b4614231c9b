#pragma once
// Redraws the block reference an attribute editor works on.
#include <functional>
#include "db/objectid.h"
#include "rx/ads.h"

class AcDbText;

// Marks the reference's graphics modified (when it is exactly a block reference or an
// intelligent one) with the working drawing's undo recording on, then flushes the graphics and
// updates the display. The undo recording is left as it was found.
void refreshEditedBlock(const ads_name entity);

// Opens an attribute for write and, when it is a text, changes it; false when it could not be
// opened or is no text (nothing changed).
bool changeTextAttribute(AcDbObjectId id, const std::function<void(AcDbText*)>& change);
