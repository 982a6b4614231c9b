#pragma once
#include "db/database.h"
#include "db/symtab.h"
#include "ui/cstring.h"

// The working database's current space (model space while TILEMODE is on, else paper space)
// opened for write; null when there is no working database or it cannot be opened.
AcDbBlockTableRecord* openCurrentSpace();
// A block definition of the working database by name, opened for read; null when there is none.
AcDbBlockTableRecord* openBlockDefinition(const char* name);
// Whether the working database has a block of that name.
bool blockExists(const char* name);
// The name of a block table record; empty when it cannot be read.
CString getBlockName(AcDbObjectId definitionId);
// The entity's class is exactly the host's block reference class.
bool isPlainBlockReference(const AcDbEntity* entity);
