#pragma once
#include "db/types.h"
#include "rx/object.h"

class AcGiWorldDraw;
class AcGiViewportDraw;
class AcGiDrawableTraits;

// Anything the graphics interface can draw.
class CADHOST_API AcGiDrawable : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcGiDrawable);
    ~AcGiDrawable() override;
    virtual Adesk::UInt32 setAttributes(AcGiDrawableTraits* traits);
    virtual Adesk::Boolean worldDraw(AcGiWorldDraw* mode);
    virtual void viewportDraw(AcGiViewportDraw* mode);

protected:
    AcGiDrawable() = default;
};
