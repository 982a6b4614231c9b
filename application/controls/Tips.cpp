#include "controls/Tips.h"
#include <cstdio>
#include <string>
#include <string_view>
#include "db/filereplace.h"
#include "ed/winapp.h"
#include "frame/Renvale4App.h"
#include "frame/ResourceString.h"
#include "rx/print.h"
#include "win/drives.h"

namespace {
constexpr const char* kTipsFileName = "readme.rtf";

// The stream callback: the next bytes of the open file.
DWORD CALLBACK readTipsChunk(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    auto* file = reinterpret_cast<std::FILE*>(cookie);
    const size_t n = std::fread(buffer, 1, static_cast<size_t>(wanted > 0 ? wanted : 0), file);
    *got = static_cast<LONG>(n);
    return std::ferror(file) ? 1 : 0;
}

// The temporary folder, ending in a backslash; empty when there is none.
std::string tempFolder() {
    const DWORD needed = GetTempPathA(0, nullptr);
    if (needed == 0) return {};
    std::string folder(needed, '\0');
    const DWORD length = GetTempPathA(needed, folder.data());
    if (length == 0 || length >= needed) return {};
    folder.resize(length);
    if (folder.back() != '\\') folder += '\\';
    return folder;
}
}  // namespace

BEGIN_MESSAGE_MAP(CTips, CDialog)
    ON_BN_CLICKED(IDC_DO_NOT_SHOW, &CTips::OnDoNotShow)
END_MESSAGE_MAP()

CTips::CTips(CWnd* parent) : CDialog(IDD, parent) {}

void CTips::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_DO_NOT_SHOW, doNotShowCheck);
    DDX_Control(dx, IDC_TIPS_TEXT, tipsText);
}

CString CTips::writeTipsFile() {
    m_written = false;
    const std::string path = tempFolder() + kTipsFileName;
    HINSTANCE const module = resourceInstance();
    HRSRC const resource = FindResource(module, MAKEINTRESOURCE(IDR_TIPS_RTF), "RTF");
    HGLOBAL const loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes) {
        const std::string_view document(static_cast<const char*>(bytes), SizeofResource(module, resource));
        std::string linuxPath, error;
        // A link or file already at the name is replaced, never written through.
        if (cadhostLinuxPath(path.c_str(), linuxPath, &error) &&
            cadhost::db::replaceFile(linuxPath.c_str(), document, error, cadhost::db::LinkAtTarget::replace) == Acad::eOk)
            m_written = true;
        else
            acutPrintf("\nThe tips could not be written to %s: %s", path.c_str(), error.c_str());
    }
    if (loaded) FreeResource(loaded);
    return CString(path.c_str());
}

BOOL CTips::OnInitDialog() {
    CDialog::OnInitDialog();
    const CString path = writeTipsFile();
    std::string linuxPath;
    if (!m_written || !cadhostLinuxPath(path, linuxPath)) return TRUE;
    if (std::FILE* file = std::fopen(linuxPath.c_str(), "rb")) {
        EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(file), 0, readTipsChunk};
        tipsText.StreamIn(SF_RTF, stream);
        std::fclose(file);
    }
    return TRUE;
}

void CTips::OnDoNotShow() {
    acedGetAcadWinApp()->WriteProfileInt(loadResourceString(IDS_PRODUCT), "DoNotShow",
                                         doNotShowCheck.GetCheck() == BST_CHECKED ? 1 : 0);
}
