#pragma once
// The automation interfaces, classes and type library of the 2004 build.
#ifdef ZEFT_AUTOMATION
#include "ax/acadiface.h"
#include "ax/typelib.h"

// The dual interfaces add nothing to the host's entity interface.
struct IIBlock : IAcadEntity {
protected:
    ~IIBlock() = default;
};
struct IIGripPoint : IAcadEntity {
protected:
    ~IIGripPoint() = default;
};
struct IIAtteDef : IAcadEntity {
protected:
    ~IIAtteDef() = default;
};

extern const IID IID_IIBlock;
extern const IID IID_IIGripPoint;
extern const IID IID_IIAtteDef;
extern const CLSID CLSID_IBlock;
extern const CLSID CLSID_IGripPoint;
extern const CLSID CLSID_IAtteDef;
extern const GUID LIBID_zeftTamselDbx4Lib;
extern const GUID APPID_TamselDbx4;

// Type library zeftTamselDbx4Lib (resource 1 of the module).
const AxTypeLibrary& zeftTamselDbx4TypeLibrary();
#endif
