#include "attedit/AtteProperties.h"
#include "attedit/AceAttEditDlg.h"
#include "attedit/EditedBlock.h"
#include "attedit/RecordBox.h"
#include "db/database.h"
#include "db/text.h"

BEGIN_MESSAGE_MAP(CAtteProperties, CDialog)
    ON_CBN_SELCHANGE(IDC_COLOR, &CAtteProperties::OnColorChange)
    ON_CBN_SELCHANGE(IDC_LAYER, &CAtteProperties::OnLayerChange)
    ON_CBN_SELCHANGE(IDC_LINETYPE, &CAtteProperties::OnLinetypeChange)
    ON_CBN_SELCHANGE(IDC_LINEWEIGHT, &CAtteProperties::OnLineWeightChange)
END_MESSAGE_MAP()

void CAtteProperties::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LAYER, layerBox);
    DDX_Control(dx, IDC_LINETYPE, linetypeBox);
    DDX_Control(dx, IDC_COLOR, colorBox);
    DDX_Control(dx, IDC_PLOT_STYLE, plotStyleBox);
    DDX_Control(dx, IDC_LINEWEIGHT, lineWeightBox);
}

void CAtteProperties::refreshProperties() {
    AcDbEntity* entity = nullptr;
    if (pageAttributeId.isNull() || acdbOpenObject(entity, pageAttributeId, AcDb::kForRead) != Acad::eOk) return;
    if (AcDbText::cast(entity)) {
        int item = colorBox.FindItemByColorIndex(entity->colorIndex());
        if (item < 0) item = colorBox.AddColorToMRU(entity->colorIndex());
        colorBox.SetCurSel(item);
        lineWeightBox.SetCurSel(lineWeightBox.FindItemByLineWeight(entity->lineWeight()));
        plotStyleBox.EnableWindow(FALSE);
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        fillRecordBox(layerBox, db ? db->layerTableId() : AcDbObjectId::kNull, entity->layerId());
        fillRecordBox(linetypeBox, db ? db->linetypeTableId() : AcDbObjectId::kNull, entity->linetypeId());
    }
    entity->close();
}

void CAtteProperties::changeAttribute(const std::function<void(AcDbText*)>& change) {
    if (changeTextAttribute(pageAttributeId, change)) refreshEditedBlock();
}

void CAtteProperties::refreshEditedBlock() { CAceAttEditDlg::refreshFromPage(this); }

void CAtteProperties::OnColorChange() {
    const int color = colorBox.GetColorIndex(colorBox.GetCurSel());
    if (color < 0) return;
    changeAttribute([&](AcDbText* entity) { entity->setColorIndex(static_cast<Adesk::UInt16>(color), true); });
}

void CAtteProperties::OnLayerChange() {
    const AcDbObjectId layer = recordOfItem(layerBox, layerBox.GetCurSel(), acdbHostApplicationServices()->workingDatabase());
    if (layer.isNull()) return;
    changeAttribute([&](AcDbText* entity) { entity->setLayer(layer, true); });
}

void CAtteProperties::OnLinetypeChange() {
    const AcDbObjectId linetype =
        recordOfItem(linetypeBox, linetypeBox.GetCurSel(), acdbHostApplicationServices()->workingDatabase());
    if (linetype.isNull()) return;
    changeAttribute([&](AcDbText* entity) { entity->setLinetype(linetype, true); });
}

void CAtteProperties::OnLineWeightChange() {
    const auto weight = static_cast<AcDb::LineWeight>(lineWeightBox.GetCurrentItemLineWeight());
    changeAttribute([&](AcDbText* entity) { entity->setLineWeight(weight, false); });
}
