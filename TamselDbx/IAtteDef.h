#pragma once
// Automation wrapper of ZEFTAttributeDefinition (coclass IAtteDef, interface IIAtteDef).
#ifdef ZEFT_AUTOMATION
#include "TamselDbx4Interfaces.h"
#include "ZEFTAttributeDefinition.h"
#include "ZeftEntityWrapper.h"

struct CIAtteDefTexts {
    static constexpr const char* entityClass = "ZEFTAttributeDefinition";
    static constexpr const wchar_t* displayName = L"Intelligent Attribute Definition";
};

class CIAtteDef final : public ZeftEntityWrapper<IIAtteDef, IID_IIAtteDef, CLSID_IAtteDef, ZEFTAttributeDefinition, CIAtteDefTexts> {};
#endif
