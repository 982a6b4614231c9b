#include "ax/entityprops.h"
#include <cmath>
#include "db/entity.h"
#include "rx/rxclass.h"

HRESULT acaxStatusToHResult(Acad::ErrorStatus status) {
    switch (status) {
    case Acad::eOk: return S_OK;
    case Acad::eInvalidInput:
    case Acad::eKeyNotFound:
    case Acad::eInvalidIndex:
    case Acad::eInvalidSymbolTableName: return E_INVALIDARG;
    case Acad::eOutOfMemory: return E_OUTOFMEMORY;
    default: return E_FAIL;
    }
}

namespace {
using Entity = AcAxObjectRefPtr<AcDbEntity>;

HRESULT text(const char* value, BSTR* out) {
    *out = axBstrFromUtf8(value ? value : "");
    return *out ? S_OK : E_OUTOFMEMORY;
}

// Reads through an entity opened for read.
template <class Fn>
HRESULT read(const AcAxObjectRef& ref, void* out, Fn&& fn) {
    if (!out) return E_POINTER;
    Entity entity(ref, AcDb::kForRead);
    if (entity.openStatus() != Acad::eOk) return E_FAIL;
    return fn(entity.get());
}

// Changes an entity opened for write.
template <class Fn>
HRESULT write(const AcAxObjectRef& ref, Fn&& fn) {
    Entity entity(ref, AcDb::kForWrite);
    if (entity.openStatus() != Acad::eOk) return E_FAIL;
    return acaxStatusToHResult(fn(entity.get()));
}
}  // namespace

HRESULT AcAxEntityProperties::getHandle(const AcAxObjectRef& ref, BSTR* handle) {
    return read(ref, handle, [&](AcDbEntity* e) { return text(e->getAcDbHandle().ascii().c_str(), handle); });
}

HRESULT AcAxEntityProperties::getObjectName(const AcAxObjectRef& ref, BSTR* name) {
    return read(ref, name, [&](AcDbEntity* e) { return text(e->isA() ? e->isA()->name() : "", name); });
}

HRESULT AcAxEntityProperties::erase(const AcAxObjectRef& ref) {
    if (ref.objectId().isNull()) return E_FAIL;
    return write(ref, [](AcDbEntity* e) { return e->erase(); });
}

HRESULT AcAxEntityProperties::getColor(const AcAxObjectRef& ref, LONG* color) {
    return read(ref, color, [&](AcDbEntity* e) {
        *color = e->colorIndex();
        return S_OK;
    });
}

HRESULT AcAxEntityProperties::putColor(const AcAxObjectRef& ref, LONG color) {
    if (color < 0 || color > 256) return E_INVALIDARG;
    return write(ref, [&](AcDbEntity* e) { return e->setColorIndex(static_cast<Adesk::UInt16>(color)); });
}

HRESULT AcAxEntityProperties::getLayer(const AcAxObjectRef& ref, BSTR* layer) {
    return read(ref, layer, [&](AcDbEntity* e) { return text(e->layer(), layer); });
}

HRESULT AcAxEntityProperties::putLayer(const AcAxObjectRef& ref, const OLECHAR* layer) {
    if (!layer || !*layer) return E_INVALIDARG;
    std::string name = axBstrToUtf8(layer);
    return write(ref, [&](AcDbEntity* e) { return e->setLayer(name.c_str()); });
}

HRESULT AcAxEntityProperties::getLinetype(const AcAxObjectRef& ref, BSTR* linetype) {
    return read(ref, linetype, [&](AcDbEntity* e) { return text(e->linetype(), linetype); });
}

HRESULT AcAxEntityProperties::putLinetype(const AcAxObjectRef& ref, const OLECHAR* linetype) {
    if (!linetype || !*linetype) return E_INVALIDARG;
    std::string name = axBstrToUtf8(linetype);
    return write(ref, [&](AcDbEntity* e) { return e->setLinetype(name.c_str()); });
}

HRESULT AcAxEntityProperties::getLinetypeScale(const AcAxObjectRef& ref, double* scale) {
    return read(ref, scale, [&](AcDbEntity* e) {
        *scale = e->linetypeScale();
        return S_OK;
    });
}

HRESULT AcAxEntityProperties::putLinetypeScale(const AcAxObjectRef& ref, double scale) {
    if (!std::isfinite(scale) || scale <= 0.0) return E_INVALIDARG;
    return write(ref, [&](AcDbEntity* e) { return e->setLinetypeScale(scale); });
}

HRESULT AcAxEntityProperties::getVisible(const AcAxObjectRef& ref, VARIANT_BOOL* visible) {
    return read(ref, visible, [&](AcDbEntity* e) {
        *visible = e->visibility() == AcDb::kVisible ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT AcAxEntityProperties::putVisible(const AcAxObjectRef& ref, VARIANT_BOOL visible) {
    return write(ref, [&](AcDbEntity* e) { return e->setVisibility(visible ? AcDb::kVisible : AcDb::kInvisible); });
}
