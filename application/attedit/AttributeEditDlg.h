#pragma once
// The module's DDATTE: the attribute prompts of one block reference with their values, edited in
// place and written back on OK.
#include <vector>
#include "attedit/ListCtrlEx.h"
#include "res/resource.h"
#include "db/entity.h"
#include "rx/ads.h"
#include "ui/dialog.h"

class AcDbBlockReference;
class ZEFTBlockReference;

class CAttributeEditDlg : public CDialog {
public:
    enum { IDD = IDD_ATTRIBUTE_EDIT };
    explicit CAttributeEditDlg(CWnd* parent = nullptr);

    // Fills the rows for a reference (open; closed here), or, with none, for one the user
    // picks. True when there is at least one row to edit.
    bool prepare(ZEFTBlockReference* reference);

    CListCtrlEx attributeList;
    CString blockNameText;
    AcDbBlockReference* plainReference = nullptr;
    ZEFTBlockReference* intelligentReference = nullptr;
    std::vector<CString> promptTexts;
    std::vector<CString> valueTexts;
    std::vector<int> fieldLengths;
    ads_name entityName{0, 0};
    // The dialog's small icon, the host's own; destroyed with the window.
    HICON dialogIcon = nullptr;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnOkButton();
    afx_msg void OnListNotify(NMHDR* header, LRESULT* result);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void readRows(AcDbObjectId definitionId);
    void writeBack();
};
