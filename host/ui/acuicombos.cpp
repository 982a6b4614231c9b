// The colour, lineweight and plot-style table combo boxes of the host user-interface library.
#include "ui/acuicombos.h"
#include <cmath>
#include <cstdio>
#include <string>
#include "db/types.h"
#include "ed/profile.h"
#include "gi/palette.h"

namespace {

constexpr DWORD kDrawnStyle = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL;
constexpr int kSampleWidth = 36;

const int kLineWeights[] = {AcDb::kLnWtByLayer, AcDb::kLnWtByBlock, AcDb::kLnWtByLwDefault,
                            AcDb::kLnWt000, AcDb::kLnWt005, AcDb::kLnWt009, AcDb::kLnWt013, AcDb::kLnWt015,
                            AcDb::kLnWt018, AcDb::kLnWt020, AcDb::kLnWt025, AcDb::kLnWt030, AcDb::kLnWt035,
                            AcDb::kLnWt040, AcDb::kLnWt050, AcDb::kLnWt053, AcDb::kLnWt060, AcDb::kLnWt070,
                            AcDb::kLnWt080, AcDb::kLnWt090, AcDb::kLnWt100, AcDb::kLnWt106, AcDb::kLnWt120,
                            AcDb::kLnWt140, AcDb::kLnWt158, AcDb::kLnWt200, AcDb::kLnWt211};

// A list fills itself only once its window answers (not while it is being made) and is empty.
bool wantsFilling(const CComboBox& combo) { return combo.m_hWnd && combo.GetCount() == 0; }

int findData(const CComboBox& combo, DWORD_PTR data) {
    for (int i = 0, n = combo.GetCount(); i < n; ++i)
        if (combo.GetItemData(i) == data) return i;
    return -1;
}

int addItem(CComboBox& combo, int at, const char* text, DWORD_PTR data) {
    int i = combo.InsertString(at, text);
    if (i >= 0) combo.SetItemData(i, data);
    return i;
}

void fillRect(HDC dc, RECT r, COLORREF color) {
    HBRUSH b = CreateSolidBrush(color);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

// One row of an owner-drawn combo: the background of its state, a sample drawn by the caller in
// the box at the left (it answers where the sample ends, or the box's left for none), then the text.
template <class Sample>
void drawRow(LPDRAWITEMSTRUCT dis, const CComboBox& combo, Sample sample) {
    HDC dc = dis->hDC;
    RECT r = dis->rcItem;
    bool lit = (dis->itemState & ODS_SELECTED) != 0;
    fillRect(dc, r, GetSysColor(lit ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (static_cast<int>(dis->itemID) < 0) return;
    RECT box{r.left + 2, r.top + 2, r.left + 2 + kSampleWidth, r.bottom - 2};
    int sampleEnd = sample(dc, box, lit);
    CString text;
    combo.GetLBText(static_cast<int>(dis->itemID), text);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor((dis->itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : lit ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT t{sampleEnd + 4, r.top, r.right - 2, r.bottom};
    DrawText(dc, text.GetString(), -1, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (dis->itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

}  // namespace

// Colours.

CString CAcUiColorComboBox::ColorName(int aci) {
    static const char* const kStandard[] = {"Red", "Yellow", "Green", "Cyan", "Blue", "Magenta", "White"};
    if (aci == kByLayer) return CString("ByLayer");
    if (aci == kByBlock) return CString("ByBlock");
    if (aci >= 1 && aci <= 7) return CString(kStandard[aci - 1]);
    return CString(("Color " + std::to_string(aci)).c_str());
}

BOOL CAcUiColorComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (!CComboBox::Create(style | kDrawnStyle, rect, parent, id)) return FALSE;
    PreSubclassWindow();
    return TRUE;
}

void CAcUiColorComboBox::PreSubclassWindow() {
    if (!wantsFilling(*this)) return;
    addItem(*this, -1, "ByLayer", kByLayer);
    addItem(*this, -1, "ByBlock", kByBlock);
    for (int aci = 1; aci <= 7; ++aci) addItem(*this, -1, ColorName(aci).GetString(), static_cast<DWORD_PTR>(aci));
    addItem(*this, -1, "Select Color...", kSelectColorData);
}

int CAcUiColorComboBox::FindItemByColorIndex(int aci) const {
    if (aci < 0 || aci > 256) return -1;
    return findData(*this, static_cast<DWORD_PTR>(aci));
}

int CAcUiColorComboBox::AddColorToMRU(int aci) {
    if (aci < 0 || aci > 256) return -1;
    int found = FindItemByColorIndex(aci);
    if (found >= 0) return found;
    int select = findData(*this, kSelectColorData);
    return addItem(*this, select, ColorName(aci).GetString(), static_cast<DWORD_PTR>(aci));
}

int CAcUiColorComboBox::GetColorIndex(int item) const {
    if (item < 0 || item >= GetCount()) return -1;
    DWORD_PTR data = GetItemData(item);
    return data <= kByLayer ? static_cast<int>(data) : -1;
}

int CAcUiColorComboBox::SetCurrentColor(int aci) {
    int item = AddColorToMRU(aci);
    if (item >= 0) SetCurSel(item);
    return item;
}

void CAcUiColorComboBox::DrawItem(LPDRAWITEMSTRUCT dis) {
    int aci = GetColorIndex(static_cast<int>(dis->itemID));
    drawRow(dis, *this, [&](HDC dc, RECT box, bool) {
        if (aci < 0) return static_cast<int>(box.left);
        box.right = box.left + (box.bottom - box.top);
        AcGiRgb rgb = aci >= 1 && aci <= 255 ? acgiColorIndexToRgb(aci) : AcGiRgb{255, 255, 255};
        fillRect(dc, box, RGB(rgb.r, rgb.g, rgb.b));
        FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return static_cast<int>(box.right);
    });
}

// Lineweights.

BOOL CAcUiLineWeightComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (!CComboBox::Create(style | kDrawnStyle, rect, parent, id)) return FALSE;
    PreSubclassWindow();
    return TRUE;
}

void CAcUiLineWeightComboBox::PreSubclassWindow() {
    if (!wantsFilling(*this)) return;
    for (int lw : kLineWeights) {
        char name[32];
        if (lw == AcDb::kLnWtByLayer) std::snprintf(name, sizeof name, "ByLayer");
        else if (lw == AcDb::kLnWtByBlock) std::snprintf(name, sizeof name, "ByBlock");
        else if (lw == AcDb::kLnWtByLwDefault) std::snprintf(name, sizeof name, "Default");
        else std::snprintf(name, sizeof name, "%.2f mm", lw / 100.0);
        addItem(*this, -1, name, static_cast<DWORD_PTR>(static_cast<INT_PTR>(lw)));
    }
}

int CAcUiLineWeightComboBox::FindItemByLineWeight(int lineWeight) const {
    return findData(*this, static_cast<DWORD_PTR>(static_cast<INT_PTR>(lineWeight)));
}

int CAcUiLineWeightComboBox::GetCurrentItemLineWeight() const {
    int item = GetCurSel();
    if (item < 0) return AcDb::kLnWtByLayer;
    return static_cast<int>(static_cast<INT_PTR>(GetItemData(item)));
}

void CAcUiLineWeightComboBox::DrawItem(LPDRAWITEMSTRUCT dis) {
    int item = static_cast<int>(dis->itemID);
    int lw = item >= 0 && item < GetCount() ? static_cast<int>(static_cast<INT_PTR>(GetItemData(item))) : 0;
    drawRow(dis, *this, [&](HDC dc, RECT box, bool lit) {
        // The weight at 96 dots per inch, one pixel at least.
        int thickness = std::max(1, static_cast<int>(std::lround(std::max(lw, 0) * 96.0 / 2540.0)));
        thickness = std::min(thickness, static_cast<int>(box.bottom - box.top));
        int top = (box.top + box.bottom - thickness) / 2;
        fillRect(dc, RECT{box.left, top, box.right, top + thickness}, GetSysColor(lit ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        return static_cast<int>(box.right);
    });
}

// Plot-style tables.

BOOL CAcUiPlotStyleTablesComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (!CComboBox::Create(style | CBS_DROPDOWNLIST | WS_VSCROLL, rect, parent, id)) return FALSE;
    PreSubclassWindow();
    return TRUE;
}

void CAcUiPlotStyleTablesComboBox::PreSubclassWindow() {
    if (wantsFilling(*this)) Refresh();
}

int CAcUiPlotStyleTablesComboBox::Refresh() {
    ResetContent();
    std::string names = AcEdProfile::getString("PlotStyles", "Tables");
    size_t from = 0;
    while (from <= names.size()) {
        size_t end = names.find(';', from);
        if (end == std::string::npos) end = names.size();
        std::string name = names.substr(from, end - from);
        if (!name.empty()) AddString(name.c_str());
        from = end + 1;
    }
    return GetCount();
}
