#pragma once
// The "Getting Started Tips" dialog shown when the module loads: the module's tips document in a
// read-only rich-edit control, and a "Do not show again" box kept in the profile.
#include "res/resource.h"
#include "ui/ctrls.h"
#include "ui/dialog.h"
#include "ui/richedit.h"

class CTips : public CDialog {
public:
    enum { IDD = IDD_TIPS };
    explicit CTips(CWnd* parent = nullptr);

    // Writes the tips document of the module's resources to "readme.rtf" in the temporary folder
    // (a fresh file renamed over whatever was there) and answers that path.
    CString writeTipsFile();

    CButton doNotShowCheck;
    CRichEditCtrl tipsText;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    afx_msg void OnDoNotShow();
    DECLARE_MESSAGE_MAP()

private:
    bool m_written = false;  // the last writeTipsFile wrote the document
};
