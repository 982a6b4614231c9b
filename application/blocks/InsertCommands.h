#pragma once
// The module's commands and LISP functions: the browser, insertion of blocks and drawing files
// as intelligent blocks, and the attribute-editing entries.
#include "db/symtab.h"
#include "ui/cstring.h"
#include "ge/scale3d.h"

class ZEFTBlockReference;

void blocksCommand();
void ddatteCommand();
void eattEditCommand();

// (c:_binsert name point) and (c:_binsertfile path point); both answer nothing to LISP.
int c_binsert();
int c_binsertfile();
int c_ddatte();

// Runs the attribute dialog for a reference (open; the dialog's preparation closes it), or for
// one the user picks when there is none.
void runAttributeDialog(ZEFTBlockReference* reference);
// Insert the named block of the drawing, or a drawing file as a block named after it, as an
// intelligent block in the current space. Answer the new reference (closed), or null.
ZEFTBlockReference* insertIntelligentBlock(const char* name, const AcGePoint3d& point, const AcGeScale3d& scale,
                                           double rotation);
ZEFTBlockReference* insertDrawingAsIntelligentBlock(const char* path, const AcGePoint3d& point,
                                                    const AcGeScale3d& scale, double rotation);
// The block name a drawing file is inserted under: the file title without a ".dwg" extension.
CString drawingBlockName(const char* path);
// The named block definition opened for read, or null.
AcDbBlockTableRecord* lookUpBlockDefinition(const char* name);
