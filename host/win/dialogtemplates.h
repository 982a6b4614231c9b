#pragma once
// Dialog templates of modules by resource id: a module's resources register their templates
// under its instance handle, and dialogs made by id find them there.
#include "win/dialogs.h"
#include "win/resources.h"

CADHOST_API void cadhostRegisterDialogTemplate(HINSTANCE module, UINT id, const DialogTemplate& dialogTemplate);
CADHOST_API void cadhostUnregisterDialogTemplates(HINSTANCE module);
// The template of the module, or null when it has none of that id: one registered here, else
// one compiled into the module's resources (converted once and kept).
CADHOST_API const DialogTemplate* cadhostFindDialogTemplate(HINSTANCE module, UINT id);
// A compiled resource template as the window layer builds dialogs from it.
CADHOST_API DialogTemplate cadhostDialogTemplateOf(const cadhost::res::DialogTemplate& compiled);
