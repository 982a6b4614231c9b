#pragma once
// The attribute editors' selection of one block reference.
#include "db/entity.h"
#include "rx/ads.h"

// Asks for a block (again after a miss or an error) until a pick or a cancel. A picked entity
// that is exactly a block reference or an intelligent one is left open for read in picked;
// anything else prints the refusal and is closed. False when nothing usable was picked.
bool pickBlockReference(ads_name entity, AcDbEntity*& picked);
