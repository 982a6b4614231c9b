#pragma once
// The drawable a preview control adds to its view with a model of its own. It colours itself
// green and draws for the viewport only; the visible orbit circle is drawn by the control on its
// window, so the gadget adds no geometry of its own.
#include "gi/drawable.h"

class AcGsView;

class OrbitGadget : public AcGiDrawable {
public:
    Adesk::UInt32 setAttributes(AcGiDrawableTraits* traits) override;
    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void viewportDraw(AcGiViewportDraw* mode) override;
    Adesk::Boolean isPersistent() const override { return Adesk::kFalse; }
    AcDbObjectId id() const override { return AcDbObjectId::kNull; }
    void setGsNode(AcGsNode* node) override { m_node = node; }
    AcGsNode* gsNode() const override { return m_node; }
    Adesk::UInt32 viewportDrawLogicalFlags(AcGiViewportDraw*) override { return 0; }

    void setView(AcGsView* view) { m_view = view; }
    AcGsView* view() const { return m_view; }

private:
    AcGsNode* m_node = nullptr;
    AcGsView* m_view = nullptr;
};
