#pragma once
#include "db/objectid.h"
#include "db/types.h"
#include "rx/object.h"

class AcGiWorldDraw;
class AcGiViewportDraw;
class AcGiDrawableTraits;
class AcGsNode;

// Anything the graphics interface can draw.
class CADHOST_API AcGiDrawable : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcGiDrawable);
    ~AcGiDrawable() override;
    virtual Adesk::UInt32 setAttributes(AcGiDrawableTraits* traits);
    virtual Adesk::Boolean worldDraw(AcGiWorldDraw* mode);
    virtual void viewportDraw(AcGiViewportDraw* mode);
    // Database objects with an id are persistent: the graphics system keeps their id and opens
    // them when it draws; others are kept by pointer.
    virtual Adesk::Boolean isPersistent() const;
    virtual AcDbObjectId id() const;
    // The graphics system's record of the drawable, set when it is added to a view and cleared
    // when it is erased from the last one; drawables that keep none answer null.
    virtual void setGsNode(AcGsNode* node);
    virtual AcGsNode* gsNode() const;
    virtual Adesk::UInt32 viewportDrawLogicalFlags(AcGiViewportDraw* mode);

protected:
    AcGiDrawable() = default;
};
