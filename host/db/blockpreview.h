#pragma once
// Small pictures of a block's entities: the preview image of a drawing file and the preview
// icons kept with block table records.
#include "db/database.h"

// The side of a block preview icon in pixels.
constexpr int kAcDbBlockIconSize = 32;

// An 8-bit packed DIB of width x height pixels showing the block's entities in their colours on
// black, fitted with a margin; a black picture when the block draws nothing.
CADHOST_API Acad::ErrorStatus acdbHostRenderBlockPreview(AcDbDatabase* db, AcDbObjectId blockId, int width,
                                                         int height, AcArray<Adesk::UInt8>& dib,
                                                         bool antialias = true);
// Renders the block's preview icon (kAcDbBlockIconSize a side, without smoothing so that thin
// lines keep their colours) and stores it with the block, which must not be open for write.
CADHOST_API Acad::ErrorStatus acdbHostStoreBlockIcon(AcDbDatabase* db, AcDbObjectId blockId);
