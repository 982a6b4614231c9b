#include "attedit/AceAttEditDlg.h"
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "attedit/EditedBlock.h"
#include "attedit/AttributeRows.h"
#include "attedit/PickBlockReference.h"
#include "blocks/CurrentSpace.h"
#include "blocks/IntelligentAttributes.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/objectiterator.h"
#include "ed/docman.h"
#include "ed/winapp.h"
#include "ed/transactions.h"
#include "frame/Renvale4App.h"
#include "frame/ResourceString.h"
#include "ui/extmodule.h"
#include "win/icons.h"

BEGIN_MESSAGE_MAP(CAceAttEditDlg, CDialog)
    ON_BN_CLICKED(IDC_APPLY, &CAceAttEditDlg::OnApply)
    ON_BN_CLICKED(IDC_SELECT_BLOCK, &CAceAttEditDlg::OnSelectBlock)
    ON_NOTIFY(TCN_SELCHANGE, IDC_PAGE_TABS, &CAceAttEditDlg::OnTabChange)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_ENHANCED_LIST, &CAceAttEditDlg::OnListItemChanged)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CAceAttEditDlg::CAceAttEditDlg(CWnd* parent) : CDialog(IDD, parent) {}

void CAceAttEditDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_APPLY, applyButton);
    DDX_Control(dx, IDC_ENHANCED_LIST, attributeList);
    DDX_Control(dx, IDC_SELECT_BLOCK, selectBlockButton);
    DDX_Control(dx, IDC_PAGE_TABS, pageTabs);
    DDX_Text(dx, IDC_BLOCK_NAME, blockNameText);
    DDX_Text(dx, IDC_TAG_TEXT, tagText);
}

bool CAceAttEditDlg::loadBlockAttributes() {
    AcDbEntity* picked = nullptr;
    if (!pickBlockReference(selectedEntity, picked)) return false;
    auto* reference = static_cast<AcDbBlockReference*>(picked);
    const AcDbObjectId definitionId = reference->blockTableRecord();
    AcDbBlockTableRecord* definition = nullptr;
    if (acdbOpenObject(definition, definitionId, AcDb::kForRead) != Acad::eOk) {
        picked->close();
        return false;
    }
    definition->close();
    if (picked->isA() == ZEFTBlockReference::desc()) {
        intelligentReference = static_cast<ZEFTBlockReference*>(picked);
        for (int i = 0; i < intelligentReference->attributeCount(); ++i) {
            ZEFTAttribute* attribute = nullptr;
            if (acdbOpenObject(attribute, intelligentReference->getAttribute(i), AcDb::kForRead) != Acad::eOk) continue;
            rowAttributeIds.append(attribute->objectId());
            if (!attribute->isConstant()) values.emplace_back(attribute->textStringConst());
            attribute->close();
        }
        intelligentReference = nullptr;
    } else {
        plainReference = reference;
        AcDbObjectIterator* it = plainReference->attributeIterator();
        for (; it && !it->done(); it->step()) {
            AcDbAttribute* attribute = nullptr;
            if (acdbOpenObject(attribute, it->objectId(), AcDb::kForRead) != Acad::eOk) continue;
            if (!attribute->isConstant()) {
                rowAttributeIds.append(attribute->objectId());
                fieldLengths.push_back(attribute->fieldLength());
                values.emplace_back(attribute->textStringConst());
            }
            attribute->close();
        }
        delete it;
        plainReference = nullptr;
    }
    picked->close();
    blockNameText = getBlockName(definitionId);
    collectDefinitionRows(definitionId);
    return !prompts.empty();
}

void CAceAttEditDlg::collectDefinitionRows(AcDbObjectId definitionId) {
    AcDbBlockTableRecord* definition = nullptr;
    if (acdbOpenObject(definition, definitionId, AcDb::kForRead) != Acad::eOk) return;
    forEachAttributeDefinition(definition, AttributeDefinitionClasses::kExact, [&](AcDbAttributeDefinition* attdef) {
        prompts.emplace_back(attdef->promptConst());
        tags.emplace_back(attdef->tagConst());
        fieldLengths.push_back(attdef->fieldLength());
    });
    definition->close();
}

BOOL CAceAttEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    dialogIcon = static_cast<HICON>(LoadImage(GetModuleHandleA("Acad.exe"), MAKEINTRESOURCE(1), IMAGE_ICON, 0, 0, 0));
    if (dialogIcon) SetIcon(dialogIcon, FALSE);
    pageTabs.InsertItem(0, loadResourceString(IDS_TAB_ATTRIBUTES));
    pageTabs.InsertItem(1, loadResourceString(IDS_TAB_TEXT_OPTIONS));
    pageTabs.InsertItem(2, loadResourceString(IDS_TAB_PROPERTIES));
    attributeList.ShowWindow(SW_SHOW);
    attributeList.ownerDialog = this;
    selectBlockButton.setIconResource(IDI_SELECT_BLOCK, 0);
    selectBlockButton.setFlat(FALSE, TRUE);

    CRect page, firstTab;
    pageTabs.GetWindowRect(&page);
    ScreenToClient(&page);
    page.DeflateRect(6, 6);
    pageTabs.GetItemRect(0, &firstTab);
    page.top += firstTab.bottom;
    attributeList.MoveWindow(&page);
    // The pages lie over the tab control, above it in the z-order.
    if (textOptionsPage.Create(CTextOptions::IDD, this)) {
        ::SetWindowPos(textOptionsPage.m_hWnd, HWND_TOP, page.left, page.top, page.Width(), page.Height(), SWP_HIDEWINDOW);
    }
    if (propertiesPage.Create(CAtteProperties::IDD, this)) {
        ::SetWindowPos(propertiesPage.m_hWnd, HWND_TOP, page.left - 1, page.top, page.Width() + 1, page.Height(),
                       SWP_HIDEWINDOW);
    }
    fillAttributeList();
    applyButton.EnableWindow(FALSE);
    return TRUE;
}

void CAceAttEditDlg::fillAttributeList() {
    CRect list;
    attributeList.GetWindowRect(&list);
    attributeList.InsertColumn(0, loadResourceString(IDS_COLUMN_DESCRIPTION), LVCFMT_LEFT, 100);
    attributeList.InsertColumn(1, loadResourceString(IDS_COLUMN_DATA), LVCFMT_LEFT, list.Width() - 104);
    attributeList.SetExtendedStyle(attributeList.GetExtendedStyle() | LVS_EX_GRIDLINES);
    for (size_t i = 0; i < prompts.size(); ++i) {
        const int row = static_cast<int>(i);
        attributeList.InsertItem(row, prompts[i]);
        // A row without a collected value shows an empty one.
        attributeList.SetItemText(row, 1, i < values.size() ? values[i] : CString());
        attributeList.SetItemData(row, static_cast<DWORD_PTR>(i < fieldLengths.size() ? fieldLengths[i] : 0));
    }
    attributeList.SetFocus();
}

void CAceAttEditDlg::selectAttributeRow(int row) {
    if (row < 0) return;
    const size_t r = static_cast<size_t>(row);
    tagText = r < tags.size() ? tags[r] : CString();
    const AcDbObjectId id = row < rowAttributeIds.length() ? rowAttributeIds[row] : AcDbObjectId::kNull;
    textOptionsPage.pageAttributeId = id;
    textOptionsPage.refreshTextOptions();
    propertiesPage.pageAttributeId = id;
    propertiesPage.refreshProperties();
    UpdateData(FALSE);
}

void CAceAttEditDlg::OnTabChange(NMHDR*, LRESULT* result) {
    *result = 0;
    attributeList.ShowWindow(SW_HIDE);
    textOptionsPage.ShowWindow(SW_HIDE);
    propertiesPage.ShowWindow(SW_HIDE);
    switch (pageTabs.GetCurSel()) {
    case 0:
        attributeList.ShowWindow(SW_SHOW);
        attributeList.SetFocus();
        attributeList.startCellEdit(attributeList.currentRow, attributeList.currentColumn);
        break;
    case 1:
        textOptionsPage.ShowWindow(SW_SHOW);
        textOptionsPage.SetFocus();
        break;
    case 2:
        propertiesPage.ShowWindow(SW_SHOW);
        propertiesPage.SetFocus();
        break;
    default:
        break;
    }
}

void CAceAttEditDlg::OnListItemChanged(NMHDR*, LRESULT* result) {
    *result = 0;
    if (::IsWindow(applyButton.m_hWnd)) applyButton.EnableWindow(TRUE);
}

bool CAceAttEditDlg::applyAttributeValues() {
    AcApDocument* doc = acDocManager->curDocument();
    acDocManager->lockDocument(doc, AcAp::kWrite, nullptr, nullptr, true);
    AcDbObjectId id;
    AcDbEntity* entity = nullptr;
    if (acdbGetObjectId(id, selectedEntity) != Acad::eOk || acdbOpenObject(entity, id, AcDb::kForWrite) != Acad::eOk) {
        acDocManager->unlockDocument(doc);
        return false;
    }
    const int rows = attributeList.GetItemCount();
    if (entity->isA() == ZEFTBlockReference::desc()) {
        auto* reference = static_cast<ZEFTBlockReference*>(entity);
        // Attributes past the last row keep their text.
        for (int i = 0; i < reference->attributeCount() && i < rows; ++i) {
            ZEFTAttribute* attribute = nullptr;
            if (acdbOpenObject(attribute, reference->getAttribute(i), AcDb::kForWrite) != Acad::eOk) continue;
            if (!attribute->isConstant()) {
                attribute->setTextString(attributeList.GetItemText(i, 1));
                attribute->adjustAlignment(acdbHostApplicationServices()->workingDatabase());
            }
            attribute->close();
        }
    } else if (auto* reference = AcDbBlockReference::cast(entity)) {
        writePlainAttributeRows(reference, attributeList);
    }
    entity->recordGraphicsModified(true);
    entity->close();
    actrTransactionManager->flushGraphics();
    acDocManager->unlockDocument(doc);
    refreshEditedBlock();
    return true;
}

void CAceAttEditDlg::refreshEditedBlock() {
    ::refreshEditedBlock(selectedEntity);
    applyButton.EnableWindow(FALSE);
}

void CAceAttEditDlg::refreshFromPage(CWnd* page) {
    auto* editor = dynamic_cast<CAceAttEditDlg*>(page->GetParent());
    if (!editor) return;
    ::refreshEditedBlock(editor->selectedEntity);
    editor->applyButton.EnableWindow(TRUE);
}

void CAceAttEditDlg::OnApply() {
    applyAttributeValues();
    applyButton.EnableWindow(FALSE);
}

void CAceAttEditDlg::OnOK() {
    applyAttributeValues();
    EndDialog(IDOK);
}

void CAceAttEditDlg::OnSelectBlock() {
    prompts.clear();
    values.clear();
    fieldLengths.clear();
    EndDialog(kSelectAgain);
}

void CAceAttEditDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (!::IsWindow(attributeList.m_hWnd) || !::IsWindow(pageTabs.m_hWnd)) return;
    CRect firstTab;
    pageTabs.GetItemRect(0, &firstTab);
    attributeList.MoveWindow(10, firstTab.bottom + 4, cx - 20, cy - firstTab.bottom - 14);
}

void CAceAttEditDlg::OnDestroy() {
    CDialog::OnDestroy();
    if (dialogIcon) DestroyIcon(dialogIcon);
    dialogIcon = nullptr;
}

void runEnhancedAttributeEditor() {
    CAcModuleResourceOverride resources(resourceInstance());
    INT_PTR result = CAceAttEditDlg::kSelectAgain;
    while (result == CAceAttEditDlg::kSelectAgain) {
        CAceAttEditDlg dialog(acedGetAcadFrame());
        if (!dialog.loadBlockAttributes()) return;
        result = dialog.DoModal();
    }
}
