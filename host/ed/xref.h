#pragma once
// Attaching drawings as external references.
#include "db/database.h"
#include "ge/scale3d.h"

// Attaches the drawing file at path to the host database (the working database when none is
// given) as the external reference block blockName (the file's name without its extension when
// none is given): the block carries the path and the drawing's model-space entities. With an
// insertion point a reference to it goes into the current space, scaled (1 when no scale is
// given) and turned (0 when no rotation is given); its id is appended to resultIds.
// A block of that name that refers to the same file is used again; any other block of that name
// is refused with eDuplicateKey. A missing file answers eFileNotFound, a file that cannot be read
// the reader's status; the drawing is then unchanged. Selecting requested objects of the file
// (requestedIds not empty) is not offered: eNotApplicable. Files have no passwords here.
// Unless quiet, what is attached, or why not, is printed.
CADHOST_API Acad::ErrorStatus acedXrefAttach(const char* path, const char* blockName,
                                             AcDbObjectIdArray* requestedIds = nullptr,
                                             AcDbObjectIdArray* resultIds = nullptr,
                                             AcGePoint3d* insertionPoint = nullptr, AcGeScale3d* scale = nullptr,
                                             double* rotation = nullptr, const bool quiet = true,
                                             AcDbDatabase* hostDb = nullptr, const wchar_t* password = nullptr);
