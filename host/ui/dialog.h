#pragma once
// The framework's dialog and its data exchange with controls (DDX and DDV).
#include "ui/wnd.h"
#include "win/dialogtemplates.h"

// Thrown by CDataExchange::Fail; UpdateData catches it and answers FALSE.
class CADHOST_API CUserException {};

class CADHOST_API CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND m_hWndLastControl = nullptr;
    // The control of the id (remembered for Fail); throws when the dialog has none.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id) { return PrepareCtrl(id); }
    // Gives the last control the focus (selecting an edit field's text) and throws.
    [[noreturn]] void Fail();
    // The text of the last failure, for the user (the platform shows it in a message box).
    CString m_strFailure;
};

CADHOST_API void DDX_Text(CDataExchange* dx, int id, CString& value);
CADHOST_API void DDX_Text(CDataExchange* dx, int id, int& value);
CADHOST_API void DDX_Text(CDataExchange* dx, int id, UINT& value);
CADHOST_API void DDX_Text(CDataExchange* dx, int id, double& value);
CADHOST_API void DDX_Check(CDataExchange* dx, int id, int& value);
// The index of the checked radio button of the group starting at id, -1 for none.
CADHOST_API void DDX_Radio(CDataExchange* dx, int id, int& value);
// Subclasses the control with the object the first time.
CADHOST_API void DDX_Control(CDataExchange* dx, int id, CWnd& control);
CADHOST_API void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);
CADHOST_API void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue);
CADHOST_API void DDV_MinMaxDouble(CDataExchange* dx, double value, double minValue, double maxValue);

class CADHOST_API CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT idTemplate, CWnd* parent = nullptr) : m_nIDTemplate(idTemplate), m_pParentWnd(parent) {}

    // Modal dialog from the template of the resource module (AfxGetResourceHandle) or, with
    // InitModalIndirect, from a template in memory. Answers the EndDialog result, -1 when the
    // dialog could not be made.
    virtual INT_PTR DoModal();
    BOOL InitModalIndirect(const DialogTemplate& dialogTemplate, CWnd* parent = nullptr);
    // Modeless dialog; the dialog is visible when its template says so.
    BOOL Create(UINT idTemplate, CWnd* parent = nullptr);
    BOOL CreateIndirect(const DialogTemplate& dialogTemplate, CWnd* parent = nullptr);
    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

    virtual BOOL OnInitDialog();
    // Sends the template's initial control data (list and combo strings) to its controls.
    BOOL ExecuteDlgInit(UINT idTemplate);
    virtual void OnOK();
    virtual void OnCancel();

    void NextDlgCtrl() const { ::SendMessage(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { ::SendMessage(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
    void GotoDlgCtrl(CWnd* control) {
        if (control) ::SendMessage(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->m_hWnd), 1);
    }
    void SetDefID(UINT id) { ::SendMessage(m_hWnd, DM_SETDEFID, id, 0); }
    DWORD GetDefID() const { return static_cast<DWORD>(::SendMessage(m_hWnd, DM_GETDEFID, 0, 0)); }
    void MapDialogRect(LPRECT rect) const { ::MapDialogRect(m_hWnd, rect); }
    BOOL PreTranslateMessage(MSG* msg) override;

    UINT m_nIDTemplate = 0;
    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

private:
    const DialogTemplate* FindTemplate() const;
    HWND ParentHandle(CWnd* parent) const;
    static INT_PTR CALLBACK AfxDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    DialogTemplate m_template;
    bool m_indirect = false;
};
