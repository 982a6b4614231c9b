#include "ZEFTBlockReference.h"
#include "ModuleState.h"
#include <cmath>
#include <cstdlib>
#include <cstring>
#include "ClassParams.h"
#include "Utilities.h"
#include "ZEFTAttribute.h"
#include "ZEFTGripPoint.h"
#include "db/database.h"
#include "db/seqend.h"
#include "db/symtab.h"
#include "db/text.h"
#include "gi/geometry.h"
#include "rx/print.h"

ACRX_DXF_DEFINE_MEMBERS(ZEFTBlockReference, AcDbBlockReference, ZEFT_DWG_VERSION, ZEFT_MAINT_VERSION,
                        ZEFT_PROXY_FLAGS, "ZEFTBLOCKREFERENCE", ZEFT_APP_NAME)

const Adesk::UInt16 ZEFTBlockReference::kCurrentVersionNumber = 2;

namespace {

char* duplicate(const char* text) { return text ? strdup(text) : nullptr; }

// Clones of a nested reference's attributes for its exploded copy, placed under the definition
// being exploded and moved with the copy.
void cloneAttributesFor(const ZEFTBlockReference* nested, ZEFTBlockReference* copy, AcDbObject* owner,
                        const AcGeMatrix3d& xform) {
    AcDbDatabase* db = owner->database();
    const int count = nested->attributeCount();
    for (int i = 0; i < count; ++i) {
        const AcDbObjectId id = nested->getAttribute(i);
        AcDbEntity* attribute = nullptr;
        if (id.isNull() || acdbOpenObject(attribute, id, AcDb::kForRead) != Acad::eOk) continue;
        AcDbIdMapping idMap;
        AcDbObject* clone = nullptr;
        attribute->deepClone(owner, clone, idMap, Adesk::kFalse);
        attribute->close();
        if (!clone) continue;
        if (auto* entity = AcDbEntity::cast(clone)) entity->transformBy(xform);
        const AcDbObjectId cloneId = clone->objectId();
        clone->close();
        if (db) db->translateIds(idMap);
        copy->appendAttribute(AcDbHardOwnershipId(cloneId));
    }
}

// Appends the pieces of an entity that cannot take the transform as a whole.
void appendExplodedPieces(const AcDbEntity* entity, const AcGeMatrix3d& xform, bool copyPieces,
                          AcDbVoidPtrArray& entities) {
    AcDbVoidPtrArray pieces;
    if (entity->explode(pieces) != Acad::eOk) {
        for (void* piece : pieces) delete static_cast<AcDbEntity*>(piece);
        return;
    }
    for (void* item : pieces) {
        auto* piece = static_cast<AcDbEntity*>(item);
        if (copyPieces) {
            AcDbEntity* copy = nullptr;
            if (piece->getTransformedCopy(xform, copy) == Acad::eOk && copy)
                entities.append(copy);
            else
                delete copy;
            delete piece;
        } else if (piece->transformBy(xform) == Acad::eOk) {
            entities.append(piece);
        } else {
            delete piece;
        }
    }
}

}  // namespace

// ---- construction ----

ZEFTBlockReference::ZEFTBlockReference() = default;

ZEFTBlockReference::ZEFTBlockReference(ZEFTBlockReference* source) {
    if (!source) return;
    m_internalBlockName = duplicate(source->m_internalBlockName);
    m_insBase = source->m_insBase;
    m_lastPosition = source->m_lastPosition;
    setPosition(source->position());
    setBlockTableRecord(source->blockTableRecord());
    dragCloneState = 0;
    gripsRequested = false;
    setPropertiesFrom(source);
}

ZEFTBlockReference::ZEFTBlockReference(const ZEFTBlockReference& other) : AcDbBlockReference(other) {
    copyMembersFrom(other);
}

ZEFTBlockReference& ZEFTBlockReference::operator=(const ZEFTBlockReference& other) {
    if (this != &other) {
        AcDbBlockReference::operator=(other);
        copyMembersFrom(other);
    }
    return *this;
}

ZEFTBlockReference::~ZEFTBlockReference() {
    // A reference that dies during or after a move must not stay the module's current one.
    if (stretchBlockReference == this) stretchBlockReference = nullptr;
    std::free(m_internalBlockName);
    std::free(m_originalBlockName);
}

void ZEFTBlockReference::copyMembersFrom(const ZEFTBlockReference& other) {
    stretchOnly = other.stretchOnly;
    gripsRequested = other.gripsRequested;
    dimensionCountCache = other.dimensionCountCache;
    stretchFailureReported = other.stretchFailureReported;
    m_attributeIds = other.m_attributeIds;
    replaceText(m_internalBlockName, other.m_internalBlockName);
    replaceText(m_originalBlockName, other.m_originalBlockName);
    m_insBase = other.m_insBase;
    m_lastPosition = other.m_lastPosition;
    ownGripCount = other.ownGripCount;
    dragCloneState = other.dragCloneState;
}

void ZEFTBlockReference::replaceText(char*& slot, const char* text) {
    char* copy = duplicate(text);
    std::free(slot);
    slot = copy;
}

// ---- accessors ----

AcGePoint3d ZEFTBlockReference::insBase() const {
    assertReadEnabled();
    return m_insBase;
}

Acad::ErrorStatus ZEFTBlockReference::setInsBase(AcGePoint3d point) {
    assertWriteEnabled();
    m_insBase = point;
    return Acad::eOk;
}

const char* ZEFTBlockReference::originalBlockName() const {
    assertReadEnabled();
    return m_originalBlockName;
}

Acad::ErrorStatus ZEFTBlockReference::setOriginalBlockName(const char* name) {
    assertWriteEnabled();
    replaceText(m_originalBlockName, name);
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTBlockReference::internalBlockName(char*& name) const {
    assertReadEnabled();
    name = duplicate(m_internalBlockName);
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTBlockReference::setInternalBlockName(const char* name) {
    assertWriteEnabled();
    replaceText(m_internalBlockName, name);
    return Acad::eOk;
}

bool ZEFTBlockReference::hasPrivateDefinition() const {
    assertReadEnabled();
    return m_internalBlockName && *m_internalBlockName;
}

AcGePoint3d ZEFTBlockReference::lastPosition() const {
    assertReadEnabled();
    return m_lastPosition;
}

Acad::ErrorStatus ZEFTBlockReference::appendAttribute(AcDbHardOwnershipId id) {
    assertWriteEnabled();
    m_attributeIds.append(id);
    return Acad::eOk;
}

short ZEFTBlockReference::attributeCount() const {
    assertReadEnabled();
    return static_cast<short>(m_attributeIds.length() > 0x7FFF ? 0x7FFF : m_attributeIds.length());
}

AcDbObjectId ZEFTBlockReference::getAttribute(int index) const {
    assertReadEnabled();
    if (index < 0 || index >= m_attributeIds.length()) return AcDbObjectId::kNull;
    return m_attributeIds[index];
}

CString ZEFTBlockReference::blockNameOf(AcDbObjectId id) { return symbolRecordName(id); }

// ---- binding and private definitions ----

AcDbObjectId ZEFTBlockReference::setBlockTableRecordId(AcDbObjectId definition) {
    assertWriteEnabled();
    if (hasPrivateDefinition()) return definition;
    dimensionCountCache = -1;
    if (containsGripPoint(definition)) {
        const CString name = uniqueCopyName(definition);
        const AcDbObjectId copy = name.IsEmpty() ? AcDbObjectId::kNull : copyBlockDefinition(definition, name, this);
        // Without a copy the reference keeps showing the shared definition.
        if (!copy.isNull()) {
            setInternalBlockName(name);
            setBlockTableRecord(copy);
            return copy;
        }
    }
    setBlockTableRecord(definition);
    return definition;
}

void ZEFTBlockReference::makeOwnPrivateDefinition() {
    const AcDbObjectId shown = blockTableRecord();
    const CString name = uniqueCopyName(shown);
    if (name.IsEmpty()) return;
    const AcDbObjectId copy = copyBlockDefinition(shown, name, this);
    if (copy.isNull()) return;
    setInternalBlockName(name);
    setBlockTableRecord(copy);
}

// ---- drawing ----

Adesk::Boolean ZEFTBlockReference::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode) return Adesk::kTrue;
    if (mode->regenAbort()) {
        dragCloneState = 0;
        return Adesk::kTrue;
    }
    if (dragCloneState == 0) {
        AcDbBlockReference::worldDraw(mode);
        DrawAttributes(mode, nullptr);
    }
    return Adesk::kTrue;
}

void ZEFTBlockReference::viewportDraw(AcGiViewportDraw* mode) {
    AcDbEntity::viewportDraw(mode);
    DrawAttributes(nullptr, mode);
}

void ZEFTBlockReference::DrawAttributes(AcGiWorldDraw* world, AcGiViewportDraw* viewport) {
    if (!world && !viewport) return;
    for (const AcDbHardOwnershipId& id : m_attributeIds) {
        ZEFTAttribute* attribute = nullptr;
        if (acdbOpenObject(attribute, id, AcDb::kForRead) != Acad::eOk) continue;
        Adesk::UInt16 color = attribute->colorIndex();
        bool haveColor = true;
        if (color == 0) {
            color = colorIndex();
        } else if (color == 256) {
            AcDbLayerTableRecord* layer = nullptr;
            haveColor = acdbOpenObject(layer, attribute->layerId(), AcDb::kForRead) == Acad::eOk;
            if (haveColor) {
                color = layer->color().colorIndex();
                layer->close();
            }
        }
        if (world) {
            if (haveColor) world->subEntityTraits().setColor(color);
            attribute->subWorldDraw(world);
        }
        if (viewport) {
            if (haveColor) viewport->subEntityTraits().setColor(color);
            attribute->subViewportDraw(viewport);
        }
        attribute->close();
    }
}

void ZEFTBlockReference::list() const {
    assertReadEnabled();
    acutPrintf("\nZEFTBlockReference\n");
    const CString name = m_originalBlockName && *m_originalBlockName ? CString(m_originalBlockName)
                                                                      : blockNameOf(blockTableRecord());
    acutPrintf("\n\tBlock Name: \t\t%s", name.GetString());
    const AcGePoint3d p = position();
    acutPrintf("\n\tInsert Point: \t\t%f, %f, %f", p.x, p.y, p.z);
    acutPrintf("\n\n");
}

// ---- erasing, cloning, copying ----

Acad::ErrorStatus ZEFTBlockReference::subErase(bool erasing) {
    assertReadEnabled();
    // Erasing takes the live attributes with it; unerasing brings the erased ones back.
    for (const AcDbHardOwnershipId& id : m_attributeIds) {
        AcDbEntity* attribute = nullptr;
        if (id.isNull() || acdbOpenObject(attribute, id, AcDb::kForWrite, !erasing) != Acad::eOk) continue;
        attribute->erase(erasing);
        attribute->close();
    }
    return AcDbBlockReference::subErase(erasing);
}

AcRxObject* ZEFTBlockReference::clone() const {
    dragCloneState = 1;
    return AcDbBlockReference::clone();
}

Acad::ErrorStatus ZEFTBlockReference::copyFrom(const AcRxObject* other) {
    dragCloneState = 1;
    if (const ZEFTBlockReference* source = ZEFTBlockReference::cast(other)) source->dragCloneState = 0;
    return AcDbBlockReference::copyFrom(other);
}

bool ZEFTBlockReference::cloneMeForDragging() {
    dragCloneState = 1;
    return true;
}

Acad::ErrorStatus ZEFTBlockReference::deepClone(AcDbObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                                Adesk::Boolean isPrimary) const {
    clone = nullptr;
    AcDbIdPair known(objectId(), AcDbObjectId::kNull, false);
    if (idMap.compute(known) && !known.value().isNull()) return Acad::eOk;
    // The host files the clone and clones the owned attributes with the clone as their owner.
    const Acad::ErrorStatus es = AcDbBlockReference::deepClone(owner, clone, idMap, isPrimary);
    auto* copy = ZEFTBlockReference::cast(clone);
    if (!copy) return es;
    // The clone lists the attributes that were cloned (translation turns them into the clones).
    AcArray<AcDbHardOwnershipId> cloned(0, 8);
    for (const AcDbHardOwnershipId& id : copy->m_attributeIds) {
        AcDbIdPair pair(id, AcDbObjectId::kNull, false);
        if (!id.isNull() && idMap.compute(pair) && pair.isCloned() && !pair.value().isNull()) cloned.append(id);
    }
    copy->m_attributeIds = cloned;
    if (hasPrivateDefinition()) copy->makeOwnPrivateDefinition();
    return es;
}

Acad::ErrorStatus ZEFTBlockReference::wblockClone(AcRxObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                                  Adesk::Boolean isPrimary) const {
    clone = nullptr;
    AcDbDatabase* dest = nullptr;
    idMap.destDb(dest);
    if (dest && dest != database() && idMap.deepCloneContext() == AcDb::kDcXrefBind && database() &&
        ownerId() == database()->paperSpaceId())
        return Acad::eOk;
    // The host clones the hard references (the definition, the attributes) and translates the
    // attribute ids to their clones.
    return AcDbBlockReference::wblockClone(owner, clone, idMap, isPrimary);
}

void ZEFTBlockReference::copied(const AcDbObject* source, const AcDbObject* copy) {
    assertNotifyEnabled();
    if (const ZEFTBlockReference* target = ZEFTBlockReference::cast(copy);
        target && target->m_internalBlockName && *target->m_internalBlockName) {
        auto* writable = const_cast<ZEFTBlockReference*>(target);
        if (writable->isWriteEnabled()) {
            writable->makeOwnPrivateDefinition();
        } else {
            ZEFTBlockReference* opened = nullptr;
            if (acdbOpenObject(opened, target->objectId(), AcDb::kForWrite) == Acad::eOk) {
                opened->makeOwnPrivateDefinition();
                opened->close();
            }
        }
    }
    AcDbBlockReference::copied(source, copy);
}

void ZEFTBlockReference::erased(const AcDbObject* object, Adesk::Boolean erasing) {
    assertNotifyEnabled();
    AcDbBlockReference::erased(object, erasing);
}

void ZEFTBlockReference::goodbye(const AcDbObject* object) {
    assertNotifyEnabled();
    AcDbBlockReference::goodbye(object);
}

Acad::ErrorStatus ZEFTBlockReference::getClassID(CLSID* classId) const {
    if (!classId) return Acad::eNullObjectPointer;
#ifdef CADHOST_R15
    *classId = CLSID{0x4FF2E0B3, 0x4D1A, 0x43C9, {0x82, 0xB3, 0xA0, 0x64, 0x39, 0x0B, 0x26, 0xBB}};
#else
    // The automation wrapper CIBlock.
    *classId = CLSID{0x5EBFF4D7, 0xD2A9, 0x462F, {0xA6, 0x02, 0xC3, 0xA0, 0x3B, 0xAF, 0x00, 0xDA}};
#endif
    return Acad::eOk;
}

// ---- geometry ----

Acad::ErrorStatus ZEFTBlockReference::setPosition(const AcGePoint3d& point) {
    assertWriteEnabled();
    if (point != position()) m_lastPosition = point;
    return AcDbBlockReference::setPosition(point);
}

Acad::ErrorStatus ZEFTBlockReference::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    if (!xform.isUniScaledOrtho()) return Acad::eCannotScaleNonUniformly;

    const AcGeScale3d scale = scaleFactors();
    const double rotationAngle = rotation();
    const AcGeVector3d oldNormal = normal();
    const bool negativeX = scale.sx < 0.0, negativeY = scale.sy < 0.0, negativeZ = scale.sz < 0.0;

    AcGePoint3d x(scale.sx, 0, 0), y(0, scale.sy, 0), z(0, 0, scale.sz), o = AcGePoint3d::kOrigin;
    if (rotationAngle != 0.0) x = AcGeMatrix3d::rotation(rotationAngle, AcGeVector3d::kZAxis) * x;
    o = xform * o;
    const AcGeMatrix3d toWorld = AcGeMatrix3d::planeToWorld(oldNormal);
    x = xform * (toWorld * x);
    y = xform * (toWorld * y);
    z = xform * (toWorld * z);
    double sx = (x - o).length(), sy = (y - o).length(), sz = (z - o).length();
    if (negativeY) sy = -sy;
    if (negativeZ) sz = -sz;
    const double tol = AcGeContext::gTol.equalPoint();
    for (double* factor : {&sx, &sy, &sz})
        if (std::fabs(*factor - 1.0) <= tol) *factor = 1.0;

    const AcGePoint3d newPosition = xform * position();
    setNormal(xform * oldNormal);
    setPosition(newPosition);
    const AcGeVector3d axis = AcGeMatrix3d::worldToPlane(normal()) * (x - o);
    double newRotation = normalizeAngle(std::atan2(axis.y, axis.x));
    setRotation(newRotation);
    const double det = xform.det();
    if ((negativeX && det > 0.0) || (!negativeX && det < 0.0)) {
        setRotation(normalizeAngle(newRotation) + kZeftPi);
        sx = -sx;
    }
    setScaleFactors(AcGeScale3d(sx, sy, sz));

    xDataTransformBy(xform);
    AcDbSequenceEnd* end = nullptr;
    if (!sequenceEndId().isNull() && openSequenceEnd(end, AcDb::kForWrite) == Acad::eOk) {
        end->xDataTransformBy(xform);
        end->close();
    }

    Acad::ErrorStatus es = Acad::eOk;
    for (const AcDbHardOwnershipId& id : m_attributeIds) {
        AcDbEntity* attribute = nullptr;
        if (id.isNull() || acdbOpenObject(attribute, id, AcDb::kForWrite) != Acad::eOk) continue;
        es = attribute->transformBy(xform);
        attribute->close();
    }
    return es;
}

// The copy takes the whole placement of this reference and then the transformation; one the
// reference cannot hold asks the host to explode first.
Acad::ErrorStatus ZEFTBlockReference::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    assertReadEnabled();
    copy = nullptr;
    auto* made = new ZEFTBlockReference(const_cast<ZEFTBlockReference*>(this));
    made->setNormal(normal());
    made->setRotation(rotation());
    made->setScaleFactors(scaleFactors());
    made->setOriginalBlockName(m_originalBlockName);
    const Acad::ErrorStatus es = made->transformBy(xform);
    if (es != Acad::eOk) {
        delete made;
        return es == Acad::eCannotScaleNonUniformly ? Acad::eExplodeBeforeTransform : es;
    }
    copy = made;
    return Acad::eOk;
}

Adesk::Boolean ZEFTBlockReference::treatAsAcDbBlockRefForExplode() const { return Adesk::kFalse; }

Acad::ErrorStatus ZEFTBlockReference::explode(AcDbVoidPtrArray& entities) const {
    safeExplode(entities);
    return Acad::eOk;
}

Acad::ErrorStatus ZEFTBlockReference::safeExplode(AcDbVoidPtrArray& entities) const {
    assertReadEnabled();
    AcDbBlockTableRecord* block = nullptr;
    if (acdbOpenObject(block, blockTableRecord(), AcDb::kForRead) != Acad::eOk) return Acad::eOk;
    AcDbBlockTableRecordIterator* it = nullptr;
    if (block->newIterator(it) != Acad::eOk) {
        block->close();
        return Acad::eOk;
    }
    // The host's block transform already takes the definition's origin to the position.
    const AcGeMatrix3d xform = blockTransform();
    // Attributes of nested intelligent references come along with their reference, not as texts.
    AcDbObjectIdArray nestedAttributes;
    for (; !it->done(); it->step()) {
        AcDbEntity* entity = nullptr;
        if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
        if (const ZEFTBlockReference* nested = ZEFTBlockReference::cast(entity))
            for (int i = 0; i < nested->attributeCount(); ++i) nestedAttributes.append(nested->getAttribute(i));
        entity->close();
    }
    for (it->start(); !it->done(); it->step()) {
        AcDbEntity* entity = nullptr;
        if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
        if (entity->isKindOf(ZEFTGripPoint::desc()) || containsId(nestedAttributes, entity->objectId())) {
            entity->close();
            continue;
        }
        AcDbEntity* copy = nullptr;
        Acad::ErrorStatus es = Acad::eOk;
        if (const AcDbText* text = AcDbText::cast(entity)) {
            es = transformedTextCopy(text, xform, copy);
        } else if (const ZEFTBlockReference* nested = ZEFTBlockReference::cast(entity)) {
            es = nested->getTransformedCopy(xform, copy);
            if (es == Acad::eOk && copy) {
                auto* nestedCopy = static_cast<ZEFTBlockReference*>(copy);
                nestedCopy->m_attributeIds.removeAll();
                cloneAttributesFor(nested, nestedCopy, block, xform);
            }
        } else {
            es = entity->getTransformedCopy(xform, copy);
        }
        if (es == Acad::eOk && copy) {
            entities.append(copy);
        } else {
            delete copy;
            if (es == Acad::eExplodeBeforeTransform)
                appendExplodedPieces(entity, xform, true, entities);
            else if (es == Acad::eExplodeAgain)
                appendExplodedPieces(entity, xform, false, entities);
        }
        entity->close();
    }
    delete it;
    block->close();
    return Acad::eOk;
}
