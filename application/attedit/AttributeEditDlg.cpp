#include "attedit/AttributeEditDlg.h"
#include "attedit/AttributeRows.h"
#include "attedit/PickBlockReference.h"
#include <cstdlib>
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "blocks/CurrentSpace.h"
#include "blocks/IntelligentAttributes.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/objectiterator.h"
#include "ed/docman.h"
#include "ed/pick.h"
#include "ed/transactions.h"
#include "frame/ResourceString.h"
#include "win/icons.h"
#include "rx/print.h"

BEGIN_MESSAGE_MAP(CAttributeEditDlg, CDialog)
    ON_NOTIFY(NM_CLICK, IDC_ATTRIBUTE_LIST, &CAttributeEditDlg::OnListNotify)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_ATTRIBUTE_LIST, &CAttributeEditDlg::OnListNotify)
    ON_NOTIFY(NM_RETURN, IDC_ATTRIBUTE_LIST, &CAttributeEditDlg::OnListNotify)
    ON_BN_CLICKED(IDC_ATTRIBUTE_OK, &CAttributeEditDlg::OnOkButton)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CAttributeEditDlg::CAttributeEditDlg(CWnd* parent) : CDialog(IDD, parent) {}

void CAttributeEditDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_ATTRIBUTE_LIST, attributeList);
    DDX_Text(dx, IDC_BLOCK_NAME, blockNameText);
}

void CAttributeEditDlg::readRows(AcDbObjectId definitionId) {
    AcDbBlockTableRecord* definition = nullptr;
    if (acdbOpenObject(definition, definitionId, AcDb::kForRead) != Acad::eOk) return;
    forEachAttributeDefinition(definition, AttributeDefinitionClasses::kExact, [&](AcDbAttributeDefinition* attdef) {
        promptTexts.emplace_back(attdef->promptConst());
        valueTexts.emplace_back(attdef->textStringConst());
        fieldLengths.push_back(attdef->fieldLength());
    });
    definition->close();
}

bool CAttributeEditDlg::prepare(ZEFTBlockReference* reference) {
    AcDbEntity* picked = reference;
    if (!reference) {
        if (!pickBlockReference(entityName, picked)) return false;
        if (picked->isA() == ZEFTBlockReference::desc()) intelligentReference = static_cast<ZEFTBlockReference*>(picked);
        else plainReference = static_cast<AcDbBlockReference*>(picked);
    } else {
        intelligentReference = reference;
        acdbGetAdsName(entityName, reference->objectId());
    }
    auto* block = static_cast<AcDbBlockReference*>(picked);
    const AcDbObjectId definitionId = block->blockTableRecord();
    // An intelligent reference is named by its source block; a plain one by its definition.
    blockNameText = loadResourceString(IDS_BLOCK_NAME) +
                    (intelligentReference ? CString(intelligentReference->originalBlockName()) : getBlockName(definitionId));
    readRows(definitionId);
    const size_t rows = promptTexts.size();
    if (intelligentReference) {
        for (int i = 0; i < intelligentReference->attributeCount() && static_cast<size_t>(i) < rows; ++i) {
            ZEFTAttribute* attribute = nullptr;
            if (acdbOpenObject(attribute, intelligentReference->getAttribute(i), AcDb::kForRead) != Acad::eOk) continue;
            if (!attribute->isConstant()) {
                char* value = attribute->defaultValue();
                valueTexts[static_cast<size_t>(i)] = value ? value : "";
                std::free(value);
            }
            attribute->close();
        }
    } else {
        AcDbObjectIterator* it = plainReference->attributeIterator();
        size_t row = 0;
        for (; it && !it->done() && row < rows; it->step()) {
            AcDbAttribute* attribute = nullptr;
            if (acdbOpenObject(attribute, it->objectId(), AcDb::kForRead) != Acad::eOk) continue;
            if (!attribute->isConstant()) valueTexts[row++] = attribute->textStringConst();
            attribute->close();
        }
        delete it;
    }
    picked->close();
    return rows > 0;
}

BOOL CAttributeEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    dialogIcon = static_cast<HICON>(LoadImage(GetModuleHandleA("Acad.exe"), MAKEINTRESOURCE(1), IMAGE_ICON, 0, 0, 0));
    if (dialogIcon) SetIcon(dialogIcon, FALSE);
    CRect list;
    attributeList.GetClientRect(&list);
    attributeList.InsertColumn(0, loadResourceString(IDS_COLUMN_DESCRIPTION), LVCFMT_LEFT, 100);
    attributeList.InsertColumn(1, loadResourceString(IDS_COLUMN_DATA), LVCFMT_LEFT, list.Width() - 104);
    attributeList.SetExtendedStyle(attributeList.GetExtendedStyle() | LVS_EX_GRIDLINES);
    for (size_t i = 0; i < promptTexts.size(); ++i) {
        const int row = static_cast<int>(i);
        attributeList.InsertItem(row, promptTexts[i]);
        if (!valueTexts.empty()) attributeList.SetItemText(row, 1, valueTexts[i]);
        if (!fieldLengths.empty()) attributeList.SetItemData(row, static_cast<DWORD_PTR>(fieldLengths[i]));
    }
    return TRUE;
}

void CAttributeEditDlg::OnListNotify(NMHDR*, LRESULT* result) { *result = 0; }

void CAttributeEditDlg::OnDestroy() {
    CDialog::OnDestroy();
    if (dialogIcon) DestroyIcon(dialogIcon);
    dialogIcon = nullptr;
}

void CAttributeEditDlg::OnOkButton() { OnOK(); }

void CAttributeEditDlg::OnOK() {
    writeBack();
    CDialog::OnOK();
}

void CAttributeEditDlg::writeBack() {
    AcDbObjectId id;
    if (acdbGetObjectId(id, entityName) != Acad::eOk) return;
    AcApDocument* doc = acDocManager->curDocument();
    acDocManager->lockDocument(doc, AcAp::kWrite, nullptr, nullptr, true);
    AcDbBlockReference* reference = nullptr;
    if (acdbOpenObject(reference, id, AcDb::kForWrite) != Acad::eOk) {
        acDocManager->unlockDocument(doc);
        return;
    }
    const int rows = attributeList.GetItemCount();
    if (auto* intelligent = ZEFTBlockReference::cast(reference); intelligent && reference->isA() == ZEFTBlockReference::desc()) {
        for (int i = 0; i < intelligent->attributeCount() && i < rows; ++i) {
            ZEFTAttribute* attribute = nullptr;
            if (acdbOpenObject(attribute, intelligent->getAttribute(i), AcDb::kForWrite) != Acad::eOk) break;
            if (!attribute->isConstant()) {
                const CString text = attributeList.GetItemText(i, 1);
                attribute->setTextString(text);
                attribute->setDefaultValue(text);
                attribute->adjustAlignment(reference->database());
            }
            attribute->CheckFormulaForStretch();
            attribute->close();
        }
    } else {
        writePlainAttributeRows(reference, attributeList);
    }
    reference->recordGraphicsModified(true);
    reference->close();
    actrTransactionManager->flushGraphics();
    acDocManager->unlockDocument(doc);
}
