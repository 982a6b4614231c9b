#include "db/objectid.h"
#include "db/database.h"
#include "db/hostinternal.h"

const AcDbObjectId AcDbObjectId::kNull;

bool AcDbObjectId::isValid() const { return m_stub && m_stub->object; }
bool AcDbObjectId::isErased() const { return m_stub && m_stub->erased; }
AcDbDatabase* AcDbObjectId::database() const { return m_stub ? m_stub->database : nullptr; }
AcDbHandle AcDbObjectId::handle() const { return m_stub ? m_stub->handle : AcDbHandle(); }
AcRxClass* AcDbObjectId::objectClass() const { return m_stub && m_stub->object ? m_stub->object->isA() : nullptr; }
int32_t AcDbObjectId::asOldId() const { return static_cast<int32_t>(handle().low()); }

AcDbObjectId& AcDbObjectId::setFromOldId(int32_t oldId, AcDbDatabase* db) {
    m_stub = nullptr;
    if (!db || oldId == 0) return *this;
    AcDbObjectId id;
    if (db->getAcDbObjectId(id, false, AcDbHandle(static_cast<uint64_t>(static_cast<uint32_t>(oldId)))) == Acad::eOk)
        m_stub = id.stub();
    return *this;
}

Acad::ErrorStatus acdbGetAdsName(ads_name name, AcDbObjectId id) {
    name[0] = name[1] = 0;
    if (id.isNull()) return Acad::eNullObjectId;
    name[0] = static_cast<int64_t>(id.handle().value());
    name[1] = static_cast<int64_t>(reinterpret_cast<intptr_t>(id.database()));
    return Acad::eOk;
}

// A name without a database part resolves in the working database.
Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name) {
    id = AcDbObjectId::kNull;
    if (name[0] == 0) return Acad::eNullHandle;
    auto* db = reinterpret_cast<AcDbDatabase*>(static_cast<intptr_t>(name[1]));
    if (!db) db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return Acad::eNoDatabase;
    if (!cadhost::db::isLiveDatabase(db)) return Acad::eInvalidInput;
    return db->getAcDbObjectId(id, false, AcDbHandle(static_cast<uint64_t>(name[0])));
}
