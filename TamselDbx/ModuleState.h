#pragma once
#include "ZeftExport.h"

class ZEFTBlockReference;
class AcRxObject;

// Index of the browser panel's current tab; grip glyphs are drawn only while it is 2 or more.
extern "C" ZEFT_API int m_TabIndex;

// The block reference whose grip move or formula run is in progress, or null.
extern ZEFT_API ZEFTBlockReference* stretchBlockReference;

// The module's instance handle, used for its string table.
void* moduleInstance();
void setModuleInstance(void* instance);
