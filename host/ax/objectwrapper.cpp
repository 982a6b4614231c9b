#include "ax/objectwrapper.h"
#include "ax/acadiface.h"
#include "ax/colibrary.h"
#include "ax/guidtext.h"
#include "ax/registry.h"
#include "db/object.h"

bool acaxWrapperClassId(const AcRxClass* cls, CLSID* clsid) {
    int guard = 0;
    for (; cls && guard < 256; cls = cls->myParent(), ++guard) {
        std::string text;
        if (AxRegistry::instance().value(AxRegistry::kLocalMachine, ACAX_ACTIVEX_CLSID_KEY, cls->name(), &text)) {
            GUID id;
            if (axGuidFromString(text.c_str(), &id)) {
                if (clsid) *clsid = id;
                return true;
            }
        }
    }
    return false;
}

HRESULT AcAxGetIUnknownOfObject(IUnknown** unknown, AcDbObjectId objectId) {
    if (!unknown) return E_POINTER;
    *unknown = nullptr;
    AcDbObject* object = nullptr;
    if (acdbOpenObject(object, objectId, AcDb::kForRead) != Acad::eOk) return E_FAIL;
    CLSID clsid;
    bool found = object->getClassID(&clsid) == Acad::eOk || acaxWrapperClassId(object->isA(), &clsid);
    object->close();
    if (!found) return REGDB_E_CLASSNOTREG;
    IAcadBaseObject* base = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IAcadBaseObject, reinterpret_cast<void**>(&base));
    if (FAILED(hr)) return hr;
    hr = base->SetObjectId(objectId);
    if (SUCCEEDED(hr)) hr = base->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown));
    base->Release();
    return hr;
}
