#include "preview/OrbitGadget.h"
#include "gi/geometry.h"

Adesk::UInt32 OrbitGadget::setAttributes(AcGiDrawableTraits* traits) {
    if (traits) traits->setColor(3);
    return 0;
}

// Nothing for the world: the host then asks for the viewport's drawing.
Adesk::Boolean OrbitGadget::worldDraw(AcGiWorldDraw*) { return Adesk::kFalse; }

// The circle the user sees is the control's own (drawn on its window over the frame).
void OrbitGadget::viewportDraw(AcGiViewportDraw*) {}
