#pragma once
// Application object of an ObjectDBX module: answers the host's messages through handlers the
// module overrides, and registers the module's runtime classes from its class map.
#include "rx/dynlinker.h"
#include "rx/rxclass.h"

// One runtime class of a module: its descriptor and its registration function.
struct AcRxDbxClassEntry {
    AcRxClass* (*desc)();
    void (*rxInit)();
};

class CADHOST_API AcRxDbxApp {
public:
    // The class map is kept by pointer; it must outlive the application object.
    explicit AcRxDbxApp(const AcRxDbxClassEntry* classMap = nullptr, int classCount = 0);
    virtual ~AcRxDbxApp();
    AcRxDbxApp(const AcRxDbxApp&) = delete;
    AcRxDbxApp& operator=(const AcRxDbxApp&) = delete;

    // Unlocks the module, registers it MDI-aware, registers the server components, then the
    // classes of the map in map order and, when there were any, rebuilds the class hierarchy.
    virtual AcRx::AppRetCode On_kInitAppMsg(void* pkt);
    // Deletes the classes of the map in map order.
    virtual AcRx::AppRetCode On_kUnloadAppMsg(void* pkt);
    virtual void RegisterServerComponents() {}

    // Init and unload go to the handlers above; every other message is answered kRetOK.
    AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* pkt);

    void* GetModuleInstance() const { return m_instance; }
    void SetModuleInstance(void* instance) { m_instance = instance; }

protected:
    // Unlock and MDI registration for the packet of the init message.
    static void unlockAndRegisterMDIAware(void* pkt);
    // Answers how many classes were registered.
    int registerClasses() const;
    void deleteClasses() const;

private:
    const AcRxDbxClassEntry* m_classMap;
    int m_classCount;
    void* m_instance = nullptr;
};
