#pragma once
// Application object of an ObjectARX module: the object enabler's application object with a
// handler for every host message from kNullMsg to kEndDialogMsg.
#include "rx/dbxapp.h"

class CADHOST_API AcRxArxApp : public AcRxDbxApp {
public:
    explicit AcRxArxApp(const AcRxDbxClassEntry* classMap = nullptr, int classCount = 0)
        : AcRxDbxApp(classMap, classCount) {}

    virtual AcRx::AppRetCode On_kLoadDwgMsg(void* pkt);
    virtual AcRx::AppRetCode On_kUnloadDwgMsg(void* pkt);
    virtual AcRx::AppRetCode On_kInvkSubrMsg(void* pkt);
    virtual AcRx::AppRetCode On_kCfgMsg(void* pkt);
    virtual AcRx::AppRetCode On_kEndMsg(void* pkt);
    virtual AcRx::AppRetCode On_kQuitMsg(void* pkt);
    virtual AcRx::AppRetCode On_kSaveMsg(void* pkt);
    virtual AcRx::AppRetCode On_kDependencyMsg(void* pkt);
    virtual AcRx::AppRetCode On_kNoDependencyMsg(void* pkt);
    virtual AcRx::AppRetCode On_kOleUnloadAppMsg(void* pkt);
    virtual AcRx::AppRetCode On_kPreQuitMsg(void* pkt);
    virtual AcRx::AppRetCode On_kInitDialogMsg(void* pkt);
    virtual AcRx::AppRetCode On_kEndDialogMsg(void* pkt);
    virtual AcRx::AppRetCode On_kNullMsg(void* pkt);

    // Codes 0 to 15 go to their handlers; any other code answers kRetOK.
    AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* pkt);
};
