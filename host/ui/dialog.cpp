// Dialog objects: modal and modeless dialogs over the window framework's dialogs.
#include "ui/dialog.h"
#include "ed/winapp.h"
#include "ui/extmodule.h"
#include <vector>
#include "win/dialogtemplates.h"
#include "win/dlginit.h"
#include "win/resources.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK CDialog::AfxDlgProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hwnd));
    return dialog ? dialog->OnInitDialog() : TRUE;
}

namespace {
// A template by id: from the framework's resource handle, else from the modules of the
// resource chain, first attached first.
const DialogTemplate* findTemplate(UINT id) {
    if (const DialogTemplate* t = cadhostFindDialogTemplate(AfxGetResourceHandle(), id)) return t;
    for (HINSTANCE module : afxResourceChain())
        if (const DialogTemplate* t = cadhostFindDialogTemplate(module, id)) return t;
    return nullptr;
}
}  // namespace

const DialogTemplate* CDialog::FindTemplate() const {
    if (m_indirect) return &m_template;
    return findTemplate(m_nIDTemplate);
}

HWND CDialog::ParentHandle(CWnd* parent) const {
    if (parent) return parent->m_hWnd;
    CWnd* frame = acedGetAcadFrame();
    return frame ? frame->m_hWnd : nullptr;
}

BOOL CDialog::InitModalIndirect(const DialogTemplate& dialogTemplate, CWnd* parent) {
    m_template = dialogTemplate;
    m_indirect = true;
    if (parent) m_pParentWnd = parent;
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    const DialogTemplate* t = FindTemplate();
    if (!t || m_hWnd) return -1;
    DialogTemplate copy = *t;
    cadhostHookNextCreate(&CWnd::AttachOnCreate, this);
    return DialogBoxIndirectParam(AfxGetResourceHandle(), copy, ParentHandle(m_pParentWnd), &AfxDlgProc, 0);
}

BOOL CDialog::Create(UINT idTemplate, CWnd* parent) {
    const DialogTemplate* t = findTemplate(idTemplate);
    if (!t) return FALSE;
    m_nIDTemplate = idTemplate;
    DialogTemplate copy = *t;
    return CreateIndirect(copy, parent);
}

BOOL CDialog::CreateIndirect(const DialogTemplate& dialogTemplate, CWnd* parent) {
    if (m_hWnd) return FALSE;
    if (parent) m_pParentWnd = parent;
    cadhostHookNextCreate(&CWnd::AttachOnCreate, this);
    return CreateDialogIndirectParam(AfxGetResourceHandle(), dialogTemplate, ParentHandle(m_pParentWnd),
                                     &AfxDlgProc, 0) ? TRUE : FALSE;
}

BOOL CDialog::ExecuteDlgInit(UINT idTemplate) {
    std::vector<HINSTANCE> modules{AfxGetResourceHandle()};
    for (HINSTANCE module : afxResourceChain()) modules.push_back(module);
    for (HINSTANCE module : modules) {
        HRSRC found = FindResource(module, MAKEINTRESOURCE(idTemplate), RT_DLGINIT);
        if (!found) continue;
        std::vector<DlgInitEntry> entries;
        const bool complete = cadhostReadDlgInit(LockResource(LoadResource(module, found)), SizeofResource(module, found), entries);
        // Records carry the 16-bit numbers of the add-string messages.
        constexpr UINT kListAddString16 = 0x0401, kComboAddString16 = 0x0403;
        constexpr UINT kListAddString = 0x0180, kComboAddString = 0x0143;
        for (const DlgInitEntry& entry : entries) {
            const UINT message = entry.message == kListAddString16    ? kListAddString
                                 : entry.message == kComboAddString16 ? kComboAddString
                                                                      : 0;
            HWND control = ::GetDlgItem(m_hWnd, static_cast<int>(entry.control));
            if (message && control) ::SendMessage(control, message, 0, reinterpret_cast<LPARAM>(entry.text.c_str()));
        }
        return complete ? TRUE : FALSE;
    }
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    if (m_nIDTemplate && !m_indirect) ExecuteDlgInit(m_nIDTemplate);
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (!m_hWnd || (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))) return FALSE;
    return ::IsDialogMessage(m_hWnd, msg);
}
