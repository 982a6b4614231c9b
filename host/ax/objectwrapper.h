#pragma once
// Automation wrappers of database objects: the class map from runtime class to wrapper class
// that modules write at registration, and the making of a wrapper for an object.
#include "ax/comiface.h"
#include "db/objectid.h"

class AcRxClass;

// Key under the local machine root whose values map runtime class names to wrapper class ids.
#define ACAX_ACTIVEX_CLSID_KEY "SOFTWARE\\Autodesk\\ObjectDBX\\R16.0\\ActiveXCLSID"

// The wrapper class of a runtime class from the class map, trying its parents in turn.
CADHOST_API bool acaxWrapperClassId(const AcRxClass* cls, CLSID* clsid);
// A new wrapper bound to the object: the class the object's getClassID answers, else the class
// map's class for its runtime class. The caller releases the answer.
CADHOST_API HRESULT AcAxGetIUnknownOfObject(IUnknown** unknown, AcDbObjectId objectId);
