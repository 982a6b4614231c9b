#pragma once
// Automation wrapper of ZEFTGripPoint (coclass IGripPoint, interface IIGripPoint).
#ifdef ZEFT_AUTOMATION
#include "TamselDbx4Interfaces.h"
#include "ZEFTGripPoint.h"
#include "ZeftEntityWrapper.h"

struct CIGripPointTexts {
    static constexpr const char* entityClass = "ZEFTGripPoint";
    static constexpr const wchar_t* displayName = L"Intelligent Grip Point";
};

class CIGripPoint final : public ZeftEntityWrapper<IIGripPoint, IID_IIGripPoint, CLSID_IGripPoint, ZEFTGripPoint, CIGripPointTexts> {};
#endif
