#pragma once
// The enhanced attribute editor's text options page: style, justification, height, rotation,
// width factor, oblique angle and the two mirrorings of one attribute, each written at once.
#include <functional>
#include "res/resource.h"
#include "db/objectid.h"
#include "ui/ctrls.h"
#include "ui/dialog.h"

class AcDbText;

class CTextOptions : public CDialog {
public:
    enum { IDD = IDD_TEXT_OPTIONS };
    CTextOptions() : CDialog(IDD) {}

    // Fills the controls from the attribute named by pageAttributeId.
    void refreshTextOptions();
    void refreshEditedBlock();

    // The justification box's index of a text's modes.
    static int justificationIndex(int horizontalMode, int verticalMode);
    // Sets the justification of the box's index (0 "Left" ... 14 "Bottom Right").
    static void applyJustification(AcDbText* text, int index);

    AcDbObjectId pageAttributeId;
    CComboBox styleBox;
    CComboBox justificationBox;
    CEdit heightEdit;
    CEdit rotationEdit;
    CButton backwardsCheck;
    CButton upsideDownCheck;
    CEdit widthFactorEdit;
    CEdit obliqueEdit;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override {}
    void OnCancel() override {}
    afx_msg void OnHeightKillFocus();
    afx_msg void OnWidthFactorKillFocus();
    afx_msg void OnRotationKillFocus();
    afx_msg void OnObliqueKillFocus();
    afx_msg void OnBackwards();
    afx_msg void OnUpsideDown();
    afx_msg void OnStyleChange();
    afx_msg void OnJustificationChange();
    DECLARE_MESSAGE_MAP()

private:
    void changeText(const std::function<void(AcDbText*)>& change);
    void changeDistance(CEdit& edit, Acad::ErrorStatus (AcDbText::*set)(double));
    void changeAngle(CEdit& edit, Acad::ErrorStatus (AcDbText::*set)(double));
};
