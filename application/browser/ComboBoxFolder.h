#pragma once
// The folder box of the drawing list: the folder shown, as one entry of a drop-down list.
#include "ui/ctrls.h"

class CDwgDirList;

class CComboBoxFolder : public CComboBox {
public:
    // Shows the folder as the box's entry.
    void SetPath(const CString& path);
    const CString& path() const { return m_path; }

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;

    CDwgDirList* m_pDwgList = nullptr;

private:
    CString m_path;
};
