#include "attedit/TextOptions.h"
#include "attedit/AceAttEditDlg.h"
#include "attedit/EditedBlock.h"
#include "attedit/RecordBox.h"
#include "db/database.h"
#include "db/text.h"
#include "db/units.h"

BEGIN_MESSAGE_MAP(CTextOptions, CDialog)
    ON_EN_KILLFOCUS(IDC_TEXT_HEIGHT, &CTextOptions::OnHeightKillFocus)
    ON_EN_KILLFOCUS(IDC_WIDTH_FACTOR, &CTextOptions::OnWidthFactorKillFocus)
    ON_EN_KILLFOCUS(IDC_TEXT_ROTATION, &CTextOptions::OnRotationKillFocus)
    ON_EN_KILLFOCUS(IDC_OBLIQUE_ANGLE, &CTextOptions::OnObliqueKillFocus)
    ON_BN_CLICKED(IDC_BACKWARDS, &CTextOptions::OnBackwards)
    ON_BN_CLICKED(IDC_UPSIDE_DOWN, &CTextOptions::OnUpsideDown)
    ON_CBN_SELCHANGE(IDC_TEXT_STYLE, &CTextOptions::OnStyleChange)
    ON_CBN_SELCHANGE(IDC_JUSTIFICATION, &CTextOptions::OnJustificationChange)
END_MESSAGE_MAP()

namespace {
// Justification index: horizontal mode, vertical mode.
struct Justification {
    AcDb::TextHorzMode horizontal;
    AcDb::TextVertMode vertical;
};
constexpr Justification kJustifications[] = {
    {AcDb::kTextLeft, AcDb::kTextBase},   {AcDb::kTextAlign, AcDb::kTextBase},  {AcDb::kTextFit, AcDb::kTextBase},
    {AcDb::kTextCenter, AcDb::kTextBase}, {AcDb::kTextMid, AcDb::kTextBase},    {AcDb::kTextRight, AcDb::kTextBase},
    {AcDb::kTextLeft, AcDb::kTextTop},    {AcDb::kTextCenter, AcDb::kTextTop},  {AcDb::kTextRight, AcDb::kTextTop},
    {AcDb::kTextLeft, AcDb::kTextVertMid}, {AcDb::kTextCenter, AcDb::kTextVertMid}, {AcDb::kTextRight, AcDb::kTextVertMid},
    {AcDb::kTextLeft, AcDb::kTextBottom}, {AcDb::kTextCenter, AcDb::kTextBottom}, {AcDb::kTextRight, AcDb::kTextBottom},
};
constexpr int kJustificationCount = static_cast<int>(sizeof kJustifications / sizeof kJustifications[0]);

CString formatted(int rc, const char* text) { return rc == RTNORM ? CString(text) : CString(); }
}  // namespace

void CTextOptions::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_TEXT_STYLE, styleBox);
    DDX_Control(dx, IDC_JUSTIFICATION, justificationBox);
    DDX_Control(dx, IDC_TEXT_HEIGHT, heightEdit);
    DDX_Control(dx, IDC_TEXT_ROTATION, rotationEdit);
    DDX_Control(dx, IDC_BACKWARDS, backwardsCheck);
    DDX_Control(dx, IDC_UPSIDE_DOWN, upsideDownCheck);
    DDX_Control(dx, IDC_WIDTH_FACTOR, widthFactorEdit);
    DDX_Control(dx, IDC_OBLIQUE_ANGLE, obliqueEdit);
}

int CTextOptions::justificationIndex(int horizontalMode, int verticalMode) {
    int index = 0;
    switch (horizontalMode) {
    case AcDb::kTextCenter: index = 3; break;
    case AcDb::kTextRight: index = 5; break;
    case AcDb::kTextAlign: index = 1; break;
    case AcDb::kTextMid: index = 4; break;
    case AcDb::kTextFit: index = 2; break;
    default: break;
    }
    if (index != 0 && index != 3 && index != 5) return index;
    const int column = index == 0 ? 0 : index == 3 ? 1 : 2;
    switch (verticalMode) {
    case AcDb::kTextBottom: return 12 + column;
    case AcDb::kTextVertMid: return 9 + column;
    case AcDb::kTextTop: return 6 + column;
    default: return index;
    }
}

void CTextOptions::applyJustification(AcDbText* text, int index) {
    if (index < 0 || index >= kJustificationCount) return;
    const Justification j = kJustifications[index];
    if (j.horizontal == AcDb::kTextAlign || j.horizontal == AcDb::kTextFit) {
        // Both points on the text's own baseline, so that its length is kept.
        AcGePoint3dArray corners;
        text->getBoundingPoints(corners);
        text->setHorizontalMode(j.horizontal);
        text->setVerticalMode(j.vertical);
        text->setPosition(corners[0]);
        text->setAlignmentPoint(corners[1]);
        return;
    }
    const AcGePoint3d current = text->position();
    text->setHorizontalMode(j.horizontal);
    text->setVerticalMode(j.vertical);
    if (index == 0) text->setPosition(current);
    else if (index <= 5) text->setAlignmentPoint(current);
}

void CTextOptions::refreshTextOptions() {
    AcDbEntity* entity = nullptr;
    if (pageAttributeId.isNull() || acdbOpenObject(entity, pageAttributeId, AcDb::kForRead) != Acad::eOk) return;
    if (auto* text = AcDbText::cast(entity)) {
        char buffer[64];
        heightEdit.SetWindowText(formatted(acdbRToS(text->height(), -1, -1, buffer, sizeof buffer), buffer));
        widthFactorEdit.SetWindowText(formatted(acdbRToS(text->widthFactor(), -1, -1, buffer, sizeof buffer), buffer));
        rotationEdit.SetWindowText(formatted(acdbAngToS(text->rotation(), -1, -1, buffer, sizeof buffer), buffer));
        obliqueEdit.SetWindowText(formatted(acdbAngToS(text->oblique(), -1, -1, buffer, sizeof buffer), buffer));
        backwardsCheck.SetCheck(text->isMirroredInX() ? BST_CHECKED : BST_UNCHECKED);
        upsideDownCheck.SetCheck(text->isMirroredInY() ? BST_CHECKED : BST_UNCHECKED);
        justificationBox.SetCurSel(justificationIndex(text->horizontalMode(), text->verticalMode()));
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        fillRecordBox(styleBox, db ? db->textStyleTableId() : AcDbObjectId::kNull, text->textStyle());
    }
    entity->close();
}

void CTextOptions::changeText(const std::function<void(AcDbText*)>& change) {
    if (changeTextAttribute(pageAttributeId, change)) refreshEditedBlock();
}

void CTextOptions::refreshEditedBlock() { CAceAttEditDlg::refreshFromPage(this); }

void CTextOptions::changeDistance(CEdit& edit, Acad::ErrorStatus (AcDbText::*set)(double)) {
    CString value;
    edit.GetWindowText(value);
    double distance = 0;
    if (acdbDisToF(value, -1, &distance) != RTNORM) return;
    changeText([&](AcDbText* text) { (text->*set)(distance); });
}

void CTextOptions::changeAngle(CEdit& edit, Acad::ErrorStatus (AcDbText::*set)(double)) {
    CString value;
    edit.GetWindowText(value);
    double angle = 0;
    if (acdbAngToF(value, -1, &angle) != RTNORM) return;
    changeText([&](AcDbText* text) { (text->*set)(angle); });
}

void CTextOptions::OnHeightKillFocus() { changeDistance(heightEdit, &AcDbText::setHeight); }
void CTextOptions::OnWidthFactorKillFocus() { changeDistance(widthFactorEdit, &AcDbText::setWidthFactor); }
void CTextOptions::OnRotationKillFocus() { changeAngle(rotationEdit, &AcDbText::setRotation); }
void CTextOptions::OnObliqueKillFocus() { changeAngle(obliqueEdit, &AcDbText::setOblique); }

void CTextOptions::OnBackwards() {
    const bool mirrored = backwardsCheck.GetCheck() == BST_CHECKED;
    changeText([&](AcDbText* text) { text->mirrorInX(mirrored); });
}

void CTextOptions::OnUpsideDown() {
    const bool mirrored = upsideDownCheck.GetCheck() == BST_CHECKED;
    changeText([&](AcDbText* text) { text->mirrorInY(mirrored); });
}

void CTextOptions::OnStyleChange() {
    const AcDbObjectId style = recordOfItem(styleBox, styleBox.GetCurSel(), acdbHostApplicationServices()->workingDatabase());
    if (style.isNull()) return;
    changeText([&](AcDbText* text) { text->setTextStyle(style); });
}

void CTextOptions::OnJustificationChange() {
    const int index = justificationBox.GetCurSel();
    if (index < 0) return;
    changeText([&](AcDbText* text) {
        applyJustification(text, index);
        text->adjustAlignment(acdbHostApplicationServices()->workingDatabase());
    });
}
