#pragma once
// The enhanced attribute editor: the attribute rows of one block reference in a list edited in
// place (written by APPLY or OK), and two pages that change the attribute of the row last
// entered at once.
#include <vector>
#include "attedit/AtteProperties.h"
#include "attedit/ListCtrlEx.h"
#include "attedit/TextOptions.h"
#include "controls/ButtonST.h"
#include "res/resource.h"
#include "db/objectid.h"
#include "rx/ads.h"
#include "ui/dialog.h"

class AcDbBlockReference;
class ZEFTBlockReference;

class CAceAttEditDlg : public CDialog {
public:
    enum { IDD = IDD_ENHANCED_ATTRIBUTE_EDIT };
    // The end code of the select-block button: the command asks for a block again.
    static constexpr int kSelectAgain = -1;

    explicit CAceAttEditDlg(CWnd* parent = nullptr);

    // Asks for the block and collects its rows; true when there is at least one.
    bool loadBlockAttributes();
    // A cell edit starts on a row: its tag is shown and both pages take its attribute.
    void selectAttributeRow(int row);
    // Writes the list's values into the attributes; false when the reference cannot be opened.
    bool applyAttributeValues();
    // Redraws the reference and disables APPLY.
    void refreshEditedBlock();
    // A page's change: redraws the reference of the page's editor and enables its APPLY.
    static void refreshFromPage(CWnd* page);

    CButton applyButton;
    CListCtrlEx attributeList;
    CButtonST selectBlockButton;
    CTabCtrl pageTabs;
    CString blockNameText;
    CString tagText;
    CAtteProperties propertiesPage;
    CTextOptions textOptionsPage;
    HICON dialogIcon = nullptr;
    std::vector<CString> prompts;
    std::vector<CString> tags;
    std::vector<CString> values;
    std::vector<int> fieldLengths;
    AcDbObjectIdArray rowAttributeIds;
    ads_name selectedEntity{0, 0};
    AcDbBlockReference* plainReference = nullptr;
    ZEFTBlockReference* intelligentReference = nullptr;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnApply();
    afx_msg void OnSelectBlock();
    afx_msg void OnTabChange(NMHDR* header, LRESULT* result);
    afx_msg void OnListItemChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void fillAttributeList();
    void collectDefinitionRows(AcDbObjectId definitionId);
};

// EATTEDIT: the editor, again with a fresh selection each time it ends with kSelectAgain.
void runEnhancedAttributeEditor();
