#pragma once
// Automation wrapper of ZEFTBlockReference (coclass IBlock, interface IIBlock).
#ifdef ZEFT_AUTOMATION
#include "TamselDbx4Interfaces.h"
#include "ZEFTBlockReference.h"
#include "ZeftEntityWrapper.h"

struct CIBlockTexts {
    static constexpr const char* entityClass = "ZEFTBlockReference";
    static constexpr const wchar_t* displayName = L"Intelligent Block Reference";
};

class CIBlock final : public ZeftEntityWrapper<IIBlock, IID_IIBlock, CLSID_IBlock, ZEFTBlockReference, CIBlockTexts> {};
#endif
