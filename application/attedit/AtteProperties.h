#pragma once
// The enhanced attribute editor's properties page: layer, linetype, colour, plot style and
// lineweight of one attribute, each written at once.
#include <functional>
#include "res/resource.h"
#include "db/objectid.h"
#include "ui/acuicombos.h"
#include "ui/dialog.h"

class AcDbText;

class CAtteProperties : public CDialog {
public:
    enum { IDD = IDD_ATTRIBUTE_PROPERTIES };
    CAtteProperties() : CDialog(IDD) {}

    // Fills the controls from the attribute named by pageAttributeId.
    void refreshProperties();
    void refreshEditedBlock();

    AcDbObjectId pageAttributeId;
    CComboBox layerBox;
    CComboBox linetypeBox;
    CAcUiColorComboBox colorBox;
    CAcUiPlotStyleTablesComboBox plotStyleBox;
    CAcUiLineWeightComboBox lineWeightBox;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override {}
    void OnCancel() override {}
    afx_msg void OnColorChange();
    afx_msg void OnLayerChange();
    afx_msg void OnLinetypeChange();
    afx_msg void OnLineWeightChange();
    DECLARE_MESSAGE_MAP()

private:
    void changeAttribute(const std::function<void(AcDbText*)>& change);
};
