#pragma once
// The host user-interface library's combo boxes: colours, lineweights and plot-style tables.
// Each is a drop-down list that fills itself when it is created (Create) or attached to a
// dialog's control (DDX_Control, SubclassDlgItem) while its list is empty. The colour and
// lineweight combos draw their items; their controls are made CBS_DROPDOWNLIST |
// CBS_OWNERDRAWFIXED | CBS_HASSTRINGS (in a dialog template, give them these styles).
#include "ui/listctrls.h"

// Colours by ACI index: 0 by block, 256 by layer, 1 to 255 the indexed colours. The list holds
// ByLayer, ByBlock, the standard colours 1 to 7 ("Red" ... "White"), then the recently used
// other colours, then "Select Color...", which stands for no colour.
class CADHOST_API CAcUiColorComboBox : public CComboBox {
public:
    static constexpr int kByBlock = 0, kByLayer = 256;
    static constexpr DWORD_PTR kSelectColorData = 0xFFFF;  // item data of "Select Color..."

    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // The item of an ACI colour, -1 when it is not listed.
    int FindItemByColorIndex(int aci) const;
    // Lists a colour among the recently used ones (before "Select Color...") unless it is listed
    // already; answers its item, -1 for an index outside 0 to 256.
    int AddColorToMRU(int aci);
    // The ACI colour of an item; -1 for "Select Color..." and for no item.
    int GetColorIndex(int item) const;
    // The colour of the current selection, -1 when none (or "Select Color...") is selected.
    int GetCurrentItemColor() const { return GetColorIndex(GetCurSel()); }
    // Selects a colour, listing it among the recently used ones first when needed; answers the item.
    int SetCurrentColor(int aci);
    // "Red" for 1 ... "White" for 7, "ByLayer", "ByBlock", else "Color <n>".
    static CString ColorName(int aci);

    void DrawItem(LPDRAWITEMSTRUCT dis) override;

protected:
    void PreSubclassWindow() override;
};

// Lineweights in hundredths of a millimetre, as AcDb::LineWeight numbers them: ByLayer (-1),
// ByBlock (-2), Default (-3), then 0.00 mm to 2.11 mm, each drawn as a line of its weight.
class CADHOST_API CAcUiLineWeightComboBox : public CComboBox {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // The item of a lineweight, -1 when it is not listed.
    int FindItemByLineWeight(int lineWeight) const;
    // The lineweight of the current selection; AcDb::kLnWtByLayer when nothing is selected.
    int GetCurrentItemLineWeight() const;

    void DrawItem(LPDRAWITEMSTRUCT dis) override;

protected:
    void PreSubclassWindow() override;
};

// The names of the profile's plot-style tables: the value "Tables" of the profile section
// "PlotStyles", names separated by ';'. The list may be empty.
class CADHOST_API CAcUiPlotStyleTablesComboBox : public CComboBox {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Lists the profile's tables again; answers how many there are.
    int Refresh();

protected:
    void PreSubclassWindow() override;
};
