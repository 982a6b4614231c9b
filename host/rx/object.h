#pragma once
#include "rx/export.h"
#include "rx/errorstatus.h"

class AcRxClass;
// Called when a class's application name must change on save to an older version.
typedef void (*AppNameChangeFuncPtr)(const AcRxClass* cls, char*& newAppName, int saveVersion);

// Runtime-class declarations for a class and its pseudo-constructor.
#define ACRX_DECLARE_MEMBERS(CLASS_NAME)                                   \
    virtual AcRxClass* isA() const override;                              \
    static AcRxClass* gpDesc;                                             \
    static AcRxClass* desc();                                             \
    static CLASS_NAME* cast(const AcRxObject* inPtr) {                    \
        return (inPtr && inPtr->isKindOf(CLASS_NAME::desc()))              \
                   ? const_cast<CLASS_NAME*>(static_cast<const CLASS_NAME*>(inPtr)) \
                   : nullptr;                                             \
    }                                                                     \
    static void rxInit();                                                 \
    static void rxInit(AppNameChangeFuncPtr callback)

class CADHOST_API AcRxObject {
public:
    virtual ~AcRxObject();
    virtual AcRxClass* isA() const;
    static AcRxClass* desc();
    static AcRxClass* gpDesc;
    static AcRxObject* cast(const AcRxObject* p) { return const_cast<AcRxObject*>(p); }

    inline bool isKindOf(const AcRxClass* cls) const;  // defined in rx/rxclass.h
    virtual AcRxObject* clone() const;
    virtual Acad::ErrorStatus copyFrom(const AcRxObject* other);
    virtual bool isEqualTo(const AcRxObject* other) const { return this == other; }

protected:
    AcRxObject() = default;
};

// The class of runtime classes, for the inline type tests above.
#include "rx/rxclass.h"
