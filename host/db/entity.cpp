#include "rx/rxclass.h"
#include "db/entity.h"
#include <cmath>
#include <cstdlib>
#include "db/database.h"
#include "db/hostinternal.h"
#include "gi/geometry.h"
#include "rx/print.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbEntity, AcDbObject, "", ACRX_NO_CONS)

using namespace cadhost::db;

Acad::ErrorStatus AcCmColor::setColorIndex(Adesk::UInt16 index) {
    if (index > 256) return Acad::eInvalidInput;
    m_index = index;
    return Acad::eOk;
}

namespace {
// Names resolve through the entity's database, else the working one.
AcDbDatabase* namingDatabase(const AcDbEntity* e) {
    AcDbDatabase* db = e->database();
    return db ? db : acdbHostApplicationServices()->workingDatabase();
}

AcDbObjectId lookup(AcDbObjectId tableId, const char* name) {
    auto* table = peekAs<AcDbSymbolTable>(tableId);
    return table && name && *name ? table->internalLookup(name) : AcDbObjectId::kNull;
}

const char* nameOf(AcDbObjectId id) {
    auto* r = peekAs<AcDbSymbolTableRecord>(id);
    return r ? r->name() : nullptr;
}

bool validLineWeight(int w) { return w == -1 || w == -2 || w == -3 || (w >= 0 && w <= 211); }

// A layer record for a name read from a drawing file that the layer table lacks.
AcDbObjectId addLayer(AcDbDatabase* db, const char* name) {
    if (!db || !isValidSymbolName(name)) return AcDbObjectId::kNull;
    AcDbLayerTable* table = nullptr;
    if (db->getLayerTable(table, AcDb::kForWrite) != Acad::eOk) return AcDbObjectId::kNull;
    auto* layer = new AcDbLayerTableRecord;
    layer->setName(name);
    layer->setLinetypeObjectId(db->continuousLinetype());
    AcDbObjectId id;
    if (table->add(id, layer) == Acad::eOk) layer->close();
    else delete layer;
    table->close();
    return id;
}
}  // namespace

AcDbEntity::AcDbEntity() = default;
AcDbEntity::~AcDbEntity() = default;

AcCmColor AcDbEntity::color() const {
    assertReadEnabled();
    return m_color;
}

Acad::ErrorStatus AcDbEntity::setColor(const AcCmColor& color, bool) {
    if (color.colorIndex() > 256) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_color = color;
    return Acad::eOk;
}

Adesk::UInt16 AcDbEntity::colorIndex() const {
    assertReadEnabled();
    return m_color.colorIndex();
}

Acad::ErrorStatus AcDbEntity::setColorIndex(Adesk::UInt16 index, bool) {
    if (index > 256) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_color.setColorIndex(index);
    return Acad::eOk;
}

const char* AcDbEntity::layer() const {
    assertReadEnabled();
    if (const char* n = nameOf(m_layerId)) m_layerName = n;
    return m_layerName.c_str();
}

AcDbObjectId AcDbEntity::layerId() const {
    assertReadEnabled();
    return m_layerId;
}

Acad::ErrorStatus AcDbEntity::setLayer(const char* name, bool doSubents) {
    if (!name || !*name) return Acad::eInvalidInput;
    AcDbDatabase* db = namingDatabase(this);
    if (!db) return Acad::eNoDatabase;
    AcDbObjectId id = lookup(db->layerTableId(), name);
    if (id.isNull()) return Acad::eKeyNotFound;
    return setLayer(id, doSubents);
}

Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId id, bool) {
    if (id.isNull()) return Acad::eNullObjectId;
    if (!id.isValid()) return Acad::eUnknownHandle;
    auto* record = peekAs<AcDbLayerTableRecord>(id);
    if (!record) return Acad::eWrongObjectType;
    if (id.isErased()) return Acad::eWasErased;
    if (database() && id.database() != database()) return Acad::eWrongDatabase;
    assertWriteEnabled();
    m_layerId = id;
    m_layerName = record->name();
    return Acad::eOk;
}

const char* AcDbEntity::linetype() const {
    assertReadEnabled();
    if (const char* n = nameOf(m_linetypeId)) m_linetypeName = n;
    return m_linetypeName.c_str();
}

AcDbObjectId AcDbEntity::linetypeId() const {
    assertReadEnabled();
    return m_linetypeId;
}

Acad::ErrorStatus AcDbEntity::setLinetype(const char* name, bool doSubents) {
    if (!name || !*name) return Acad::eInvalidInput;
    AcDbDatabase* db = namingDatabase(this);
    if (!db) return Acad::eNoDatabase;
    AcDbObjectId id = lookup(db->linetypeTableId(), name);
    if (id.isNull()) return Acad::eKeyNotFound;
    return setLinetype(id, doSubents);
}

Acad::ErrorStatus AcDbEntity::setLinetype(AcDbObjectId id, bool) {
    if (id.isNull()) return Acad::eNullObjectId;
    if (!id.isValid()) return Acad::eUnknownHandle;
    auto* record = peekAs<AcDbLinetypeTableRecord>(id);
    if (!record) return Acad::eWrongObjectType;
    if (id.isErased()) return Acad::eWasErased;
    if (database() && id.database() != database()) return Acad::eWrongDatabase;
    assertWriteEnabled();
    m_linetypeId = id;
    m_linetypeName = record->name();
    return Acad::eOk;
}

double AcDbEntity::linetypeScale() const {
    assertReadEnabled();
    return m_linetypeScale;
}

Acad::ErrorStatus AcDbEntity::setLinetypeScale(double scale, bool) {
    if (!std::isfinite(scale) || scale <= 0.0) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_linetypeScale = scale;
    return Acad::eOk;
}

AcDb::LineWeight AcDbEntity::lineWeight() const {
    assertReadEnabled();
    return m_lineWeight;
}

Acad::ErrorStatus AcDbEntity::setLineWeight(AcDb::LineWeight weight, bool) {
    if (!validLineWeight(weight)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_lineWeight = weight;
    return Acad::eOk;
}

const char* AcDbEntity::plotStyleName() const {
    assertReadEnabled();
    return m_plotStyle.empty() ? "ByLayer" : m_plotStyle.c_str();
}

Acad::ErrorStatus AcDbEntity::setPlotStyleName(const char* name, bool) {
    if (!name) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_plotStyle = name;
    return Acad::eOk;
}

AcDb::Visibility AcDbEntity::visibility() const {
    assertReadEnabled();
    return m_visibility;
}

Acad::ErrorStatus AcDbEntity::setVisibility(AcDb::Visibility visibility, bool) {
    if (visibility != AcDb::kVisible && visibility != AcDb::kInvisible) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_visibility = visibility;
    return Acad::eOk;
}

// Records of another database are matched by name in this entity's database.
Acad::ErrorStatus AcDbEntity::setPropertiesFrom(const AcDbEntity* other, bool) {
    if (!other) return Acad::eNullObjectPointer;
    if (other == this) return Acad::eOk;
    other->assertReadEnabled();
    assertWriteEnabled();
    AcDbDatabase* mine = database();
    auto pick = [&](AcDbObjectId id, const std::string& cachedName, AcDbObjectId (AcDbDatabase::*table)() const,
                    AcDbObjectId& outId, std::string& outName) {
        const char* n = nameOf(id);
        std::string name = n ? n : cachedName;
        if (!mine || id.isNull() || id.database() == mine) {
            outId = id;
            outName = name;
            return;
        }
        AcDbObjectId local = lookup((mine->*table)(), name.c_str());
        if (!local.isNull()) {
            outId = local;
            outName = name;
        }
    };
    pick(other->m_layerId, other->m_layerName, &AcDbDatabase::layerTableId, m_layerId, m_layerName);
    pick(other->m_linetypeId, other->m_linetypeName, &AcDbDatabase::linetypeTableId, m_linetypeId, m_linetypeName);
    m_color = other->m_color;
    m_linetypeScale = other->m_linetypeScale;
    m_lineWeight = other->m_lineWeight;
    m_plotStyle = other->m_plotStyle;
    m_visibility = other->m_visibility;
    return Acad::eOk;
}

void AcDbEntity::setDatabaseDefaults() { setDatabaseDefaults(namingDatabase(this)); }

void AcDbEntity::setDatabaseDefaults(AcDbDatabase* db) {
    if (!db) db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return;
    assertWriteEnabled();
    if (!isDatabaseResident()) internalSetDatabase(db);
    m_layerId = db->clayer();
    m_linetypeId = db->celtype();
    if (const char* n = nameOf(m_layerId)) m_layerName = n;
    if (const char* n = nameOf(m_linetypeId)) m_linetypeName = n;
    m_color = db->cecolor();
    m_linetypeScale = db->celtscale() > 0.0 ? db->celtscale() : 1.0;
    AcDb::LineWeight w = db->celweight();
    m_lineWeight = validLineWeight(w) ? w : AcDb::kLnWtByLayer;
}

namespace {
// An id the entity must look up again in db: missing, of another database or erased.
bool needsRebinding(AcDbObjectId id, const AcDbDatabase* db) {
    return id.isNull() || id.database() != db || id.isErased();
}

// The name to look a record up by: the record's own while it can be read, else the one kept.
const char* bindingName(AcDbObjectId id, const std::string& kept) {
    const char* name = nameOf(id);
    return name ? name : kept.c_str();
}
}  // namespace

bool AcDbEntity::internalIsBoundTo(const AcDbDatabase* db) const {
    return !needsRebinding(m_layerId, db) && !needsRebinding(m_linetypeId, db);
}

void AcDbEntity::internalBindToDatabase(AcDbDatabase* db) {
    if (!db) return;
    if (needsRebinding(m_layerId, db)) {
        AcDbObjectId id = lookup(db->layerTableId(), bindingName(m_layerId, m_layerName));
        m_layerId = id.isNull() ? db->clayer() : id;
        if (const char* n = nameOf(m_layerId)) m_layerName = n;
    }
    if (needsRebinding(m_linetypeId, db)) {
        AcDbObjectId id = lookup(db->linetypeTableId(), bindingName(m_linetypeId, m_linetypeName));
        m_linetypeId = id.isNull() ? db->celtype() : id;
        if (const char* n = nameOf(m_linetypeId)) m_linetypeName = n;
    }
}

// The names kept are the source's: a record matched by name has the same one, and an id
// left null falls back to them when the entity is bound.
void AcDbEntity::internalSetSymbolIds(AcDbObjectId layer, AcDbObjectId linetype) {
    m_layerId = layer;
    m_linetypeId = linetype;
}

Adesk::Boolean AcDbEntity::worldDraw(AcGiWorldDraw*) { return Adesk::kTrue; }
void AcDbEntity::viewportDraw(AcGiViewportDraw*) {}

Adesk::UInt32 AcDbEntity::setAttributes(AcGiDrawableTraits* traits) {
    assertReadEnabled();
    if (traits) {
        traits->setColor(m_color.colorIndex());
        traits->setLayer(m_layerId);
        traits->setLineType(m_linetypeId);
        traits->setLineWeight(m_lineWeight);
    }
    return 0;
}

// The common part of the LIST command's output.
void AcDbEntity::list() const {
    assertReadEnabled();
    AcRxClass* cls = isA();
    std::string type = cls ? (*cls->dxfName() ? cls->dxfName() : cls->name()) : "ENTITY";
    acutPrintf("%18s    Layer: \"%s\"\n", type.c_str(), layer());
    if (AcDbDatabase* db = database(); db && isDatabaseResident()) {
        if (ownerId() == db->modelSpaceId()) acutPrintf("%18s    Space: Model space\n", "");
        else if (ownerId() == db->paperSpaceId()) acutPrintf("%18s    Space: Paper space\n", "");
        else if (const char* block = nameOf(ownerId())) acutPrintf("%18s    Block: \"%s\"\n", "", block);
    }
    if (m_color.isByBlock()) acutPrintf("%18s    Color: BYBLOCK\n", "");
    else if (!m_color.isByLayer()) acutPrintf("%18s    Color: %u\n", "", static_cast<unsigned>(m_color.colorIndex()));
    const char* lt = linetype();
    if (*lt && symbolKey(lt) != "BYLAYER") acutPrintf("%18s Linetype: \"%s\"\n", "", lt);
    if (m_linetypeScale != 1.0) acutPrintf("%18s LT scale: %g\n", "", m_linetypeScale);
    if (m_lineWeight != AcDb::kLnWtByLayer) acutPrintf("%18s Lineweight: %d\n", "", static_cast<int>(m_lineWeight));
    if (m_visibility == AcDb::kInvisible) acutPrintf("%18s    Invisible\n", "");
    if (isDatabaseResident()) acutPrintf("%18s   Handle = %s\n", "", objectId().handle().ascii().c_str());
}

Acad::ErrorStatus AcDbEntity::getGripPoints(AcGePoint3dArray&, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d&) {
    return indices.isEmpty() ? Acad::eOk : Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbEntity::getStretchPoints(AcGePoint3dArray& stretchPoints) const {
    AcDbIntArray osnapModes, geomIds;
    return getGripPoints(stretchPoints, osnapModes, geomIds);
}

Acad::ErrorStatus AcDbEntity::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return moveGripPointsAt(indices, offset);
}

Acad::ErrorStatus AcDbEntity::getOsnapPoints(AcDb::OsnapMode, int, const AcGePoint3d&, const AcGePoint3d&,
                                             const AcGeMatrix3d&, AcGePoint3dArray&, AcDbIntArray&) const {
    assertReadEnabled();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::transformBy(const AcGeMatrix3d&) { return Acad::eNotApplicable; }

Acad::ErrorStatus AcDbEntity::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    copy = nullptr;
    AcRxObject* c = clone();
    AcDbEntity* entity = AcDbEntity::cast(c);
    if (!entity) {
        delete c;
        return Acad::eNotApplicable;
    }
    Acad::ErrorStatus es = entity->transformBy(xform);
    if (es != Acad::eOk) {
        delete entity;
        return es;
    }
    copy = entity;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::explode(AcDbVoidPtrArray&) const { return Acad::eNotApplicable; }
Acad::ErrorStatus AcDbEntity::getGeomExtents(AcDbExtents&) const { return Acad::eInvalidExtents; }

Acad::ErrorStatus AcDbEntity::dwgOutFields(AcDbDwgFiler* filer) const {
    if (Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writeHardPointerId(AcDbHardPointerId(m_layerId));
    filer->writeHardPointerId(AcDbHardPointerId(m_linetypeId));
    filer->writeUInt16(m_color.colorIndex());
    filer->writeDouble(m_linetypeScale);
    filer->writeInt16(static_cast<Adesk::Int16>(m_lineWeight));
    filer->writeString(m_plotStyle.c_str());
    filer->writeInt16(static_cast<Adesk::Int16>(m_visibility));
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbEntity::dwgInFields(AcDbDwgFiler* filer) {
    if (Acad::ErrorStatus es = AcDbObject::dwgInFields(filer); es != Acad::eOk) return es;
    AcDbHardPointerId layer, linetype;
    Adesk::UInt16 color = 256;
    double scale = 1.0;
    Adesk::Int16 weight = -1, visibility = 0;
    char* plotStyle = nullptr;
    filer->readHardPointerId(&layer);
    filer->readHardPointerId(&linetype);
    filer->readUInt16(&color);
    filer->readDouble(&scale);
    filer->readInt16(&weight);
    filer->readString(&plotStyle);
    filer->readInt16(&visibility);
    if (filer->filerStatus() == Acad::eOk) {
        m_layerId = layer;
        m_linetypeId = linetype;
        if (const char* n = nameOf(layer)) m_layerName = n;
        if (const char* n = nameOf(linetype)) m_linetypeName = n;
        m_color = AcCmColor::fromIndex(color <= 256 ? color : 256);
        m_linetypeScale = std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
        m_lineWeight = validLineWeight(weight) ? static_cast<AcDb::LineWeight>(weight) : AcDb::kLnWtByLayer;
        m_plotStyle = plotStyle ? plotStyle : "";
        m_visibility = visibility == 1 ? AcDb::kInvisible : AcDb::kVisible;
    }
    std::free(plotStyle);
    return filer->filerStatus();
}

// Groups of the entity part; the defaults (linetype and colour by layer, ...) are left out.
Acad::ErrorStatus AcDbEntity::dxfOutFields(AcDbDxfFiler* filer) const {
    if (Acad::ErrorStatus es = AcDbObject::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass("AcDbEntity");
    AcDbDatabase* db = database();
    if (db && isDatabaseResident() && !ownerId().isNull() && ownerId() == db->paperSpaceId()) filer->writeInt16(67, 1);
    const char* layerName = layer();
    filer->writeString(8, *layerName ? layerName : "0");
    const char* lt = linetype();
    if (*lt && symbolKey(lt) != "BYLAYER") filer->writeString(6, lt);
    if (!m_color.isByLayer()) filer->writeInt16(62, static_cast<Adesk::Int16>(m_color.colorIndex()));
    if (m_lineWeight != AcDb::kLnWtByLayer) filer->writeInt16(370, static_cast<Adesk::Int16>(m_lineWeight));
    if (m_linetypeScale != 1.0) filer->writeDouble(48, m_linetypeScale);
    if (m_visibility == AcDb::kInvisible) filer->writeInt16(60, 1);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbEntity::dxfInFields(AcDbDxfFiler* filer) {
    if (Acad::ErrorStatus es = AcDbObject::dxfInFields(filer); es != Acad::eOk) return es;
    if (!filer->atSubclassData("AcDbEntity")) return filer->filerStatus();
    AcDbDatabase* db = database();
    if (!db) db = filer->database();
    resbuf rb;
    for (;;) {
        Acad::ErrorStatus es = filer->readItem(&rb);
        if (es == Acad::eEndOfObject || es == Acad::eEndOfFile) break;
        if (es != Acad::eOk) return es;
        if (rb.restype == 0 || rb.restype == 100 || rb.restype == 1001 || rb.restype == -3) {
            filer->pushBackItem();
            break;
        }
        switch (rb.restype) {
        case 8: {
            const char* name = rb.resval.rstring ? rb.resval.rstring : "";
            AcDbObjectId id = db ? lookup(db->layerTableId(), name) : AcDbObjectId::kNull;
            if (id.isNull() && db && *name) id = addLayer(db, name);
            if (id.isNull() && db) id = db->layerZero();
            m_layerId = id;
            m_layerName = id.isNull() ? name : nameOf(id);
            break;
        }
        case 6: {
            const char* name = rb.resval.rstring ? rb.resval.rstring : "";
            AcDbObjectId id = db ? lookup(db->linetypeTableId(), name) : AcDbObjectId::kNull;
            if (id.isNull() && db) id = db->byLayerLinetype();
            m_linetypeId = id;
            m_linetypeName = id.isNull() ? name : nameOf(id);
            break;
        }
        case 62: {
            int index = std::abs(static_cast<int>(rb.resval.rint));
            m_color = AcCmColor::fromIndex(static_cast<Adesk::UInt16>(index <= 256 ? index : 256));
            break;
        }
        case 370:
            m_lineWeight = validLineWeight(rb.resval.rint) ? static_cast<AcDb::LineWeight>(rb.resval.rint)
                                                           : AcDb::kLnWtByLayer;
            break;
        case 48:
            if (std::isfinite(rb.resval.rreal) && rb.resval.rreal > 0.0) m_linetypeScale = rb.resval.rreal;
            break;
        case 60: m_visibility = rb.resval.rint == 1 ? AcDb::kInvisible : AcDb::kVisible; break;
        default: break;  // 67 (space), true colours, plot style handles and unknown groups
        }
    }
    if (m_linetypeId.isNull() && db) {
        m_linetypeId = db->byLayerLinetype();
        if (const char* n = nameOf(m_linetypeId)) m_linetypeName = n;
    }
    return filer->filerStatus();
}
