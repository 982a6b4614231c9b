#include "rx/dbxapp.h"

AcRxDbxApp::AcRxDbxApp(const AcRxDbxClassEntry* classMap, int classCount)
    : m_classMap(classMap), m_classCount(classMap && classCount > 0 ? classCount : 0) {}

AcRxDbxApp::~AcRxDbxApp() = default;

void AcRxDbxApp::unlockAndRegisterMDIAware(void* pkt) {
    acrxDynamicLinker->unlockApplication(pkt);
    acrxDynamicLinker->registerAppMDIAware(pkt);
}

int AcRxDbxApp::registerClasses() const {
    int registered = 0;
    for (int i = 0; i < m_classCount; ++i) {
        if (!m_classMap[i].rxInit) continue;
        m_classMap[i].rxInit();
        ++registered;
    }
    return registered;
}

void AcRxDbxApp::deleteClasses() const {
    for (int i = 0; i < m_classCount; ++i)
        if (m_classMap[i].desc) deleteAcRxClass(m_classMap[i].desc());
}

AcRx::AppRetCode AcRxDbxApp::On_kInitAppMsg(void* pkt) {
    unlockAndRegisterMDIAware(pkt);
    RegisterServerComponents();
    if (registerClasses() > 0) acrxBuildClassHierarchy();
    return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxDbxApp::On_kUnloadAppMsg(void*) {
    deleteClasses();
    return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxDbxApp::acrxEntryPoint(AcRx::AppMsgCode message, void* pkt) {
    switch (message) {
    case AcRx::kInitAppMsg: return On_kInitAppMsg(pkt);
    case AcRx::kUnloadAppMsg: return On_kUnloadAppMsg(pkt);
    default: return AcRx::kRetOK;
    }
}
