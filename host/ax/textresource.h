#pragma once
// Text resources of modules by type and id ("REGISTRY" scripts and the like), registered by
// each module under its instance handle.
#include "win/resources.h"

CADHOST_API void cadhostRegisterResource(HINSTANCE module, const char* type, unsigned id, const char* text);
// The text, valid until the module's resources are unregistered; null when there is none.
CADHOST_API const char* cadhostFindResource(HINSTANCE module, const char* type, unsigned id);
CADHOST_API void cadhostUnregisterResources(HINSTANCE module);
