#include "frame/Renvale4App.h"
#include "blocks/BlockReactor.h"
#include "browser/ResizableDockingDialog.h"
#include "controls/Tips.h"
#include "ed/editor.h"
#include "ed/winapp.h"
#include "frame/ModuleCommands.h"
#include "frame/ResourceString.h"
#include "rx/print.h"
#include "ui/extmodule.h"

namespace {
HINSTANCE g_resourceInstance = nullptr;
AsdkblockReactor* g_editorReactor = nullptr;
CResizableDockingDialog* g_dockBar = nullptr;
AC_IMPLEMENT_EXTENSION_MODULE(renvaleExtensionModule)

#ifdef CADHOST_R15
constexpr const char* kObjectEnabler = "ZEFTTamselDbx";
#endif

void attach(void* instance) {
#ifdef CADHOST_R15
    acrxDynamicLinker->loadModule(kObjectEnabler, false);
#endif
    g_resourceInstance = instance;
    renvaleExtensionModule.AttachInstance(instance);
    InitAcUiDLL();
    g_editorReactor = new AsdkblockReactor;
    acedEditor->addReactor(g_editorReactor);
}

void detach() {
    renvaleExtensionModule.DetachInstance();
    destroyDockBar();
    if (g_editorReactor) {
        acedEditor->removeReactor(g_editorReactor);
        delete g_editorReactor;
        g_editorReactor = nullptr;
    }
#ifdef CADHOST_R15
    acrxDynamicLinker->unloadModule(kObjectEnabler, false);
#endif
    g_resourceInstance = nullptr;
}
}  // namespace

CRenvale4App& renvaleApp() {
    static CRenvale4App app;
    return app;
}

HINSTANCE resourceInstance() { return g_resourceInstance; }
AsdkblockReactor* editorReactor() { return g_editorReactor; }
CResizableDockingDialog* dockBar() { return g_dockBar; }

void createDockBar() { g_dockBar = new CResizableDockingDialog; }

void destroyDockBar() {
    if (!g_dockBar) return;
    if (::IsWindow(g_dockBar->m_hWnd)) g_dockBar->DestroyWindow();
    delete g_dockBar;
    g_dockBar = nullptr;
}

AcRx::AppRetCode CRenvale4App::On_kInitAppMsg(void* pkt) {
    const AcRx::AppRetCode result = AcRxArxApp::On_kInitAppMsg(pkt);
#ifdef CADHOST_R15
    registerCommands();
    undefineHostCommands();
#else
    undefineHostCommands();
    registerCommands();
#endif
    const int doNotShow = static_cast<int>(
        acedGetAcadWinApp()->GetProfileInt(loadResourceString(IDS_PRODUCT), "DoNotShow", 0));
    if (doNotShow == 0) {
        AfxInitRichEdit2();
        CAcModuleResourceOverride resources(resourceInstance());
        CTips tips(acedGetAcadFrame());
        tips.DoModal();
    }
    acutPrintf("\nQuillmark Free version loaded.");
    acutPrintf("\nType BLOCKS to activate the dockable dialog box.");
    return result;
}

AcRx::AppRetCode CRenvale4App::On_kUnloadAppMsg(void* pkt) {
    const AcRx::AppRetCode result = AcRxArxApp::On_kUnloadAppMsg(pkt);
    removeCommands();
    destroyDockBar();
    return result;
}

AcRx::AppRetCode CRenvale4App::On_kLoadDwgMsg(void* pkt) {
    const AcRx::AppRetCode result = AcRxArxApp::On_kLoadDwgMsg(pkt);
    defineLispFunctions();
    return result;
}

AcRx::AppRetCode CRenvale4App::On_kInvkSubrMsg(void* pkt) {
    const AcRx::AppRetCode result = AcRxArxApp::On_kInvkSubrMsg(pkt);
    invokeLispFunction();
    return result;
}

AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* pkt) {
    return renvaleApp().acrxEntryPoint(message, pkt);
}

int DllMain(void* instance, unsigned long reason, void*) {
    if (!acrxIsModuleInstance(instance, reinterpret_cast<const void*>(&renvaleApp))) return 1;
    if (reason == DLL_PROCESS_ATTACH) attach(instance);
    else if (reason == DLL_PROCESS_DETACH) detach();
    return 1;
}
