#include "db/blockref.h"
#include "rx/rxclass.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include "db/attdef.h"
#include "db/attribute.h"
#include "db/database.h"
#include "db/entitysupport.h"
#include "db/objectiterator.h"
#include "db/seqend.h"
#include "db/symtab.h"
#include "gi/geometry.h"
#include "rx/print.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbBlockReference, AcDbEntity, "INSERT", ACRX_HOST_CONS(AcDbBlockReference))

using namespace cadhost::ent;

namespace {

bool validScale(double f) { return std::isfinite(f) && std::fabs(f) > 1e-300; }

AcGeMatrix3d scaleMatrix(const AcGeScale3d& s) {
    AcGeMatrix3d m;
    return s.getMatrix(m);
}

AcGeMatrix3d linearPart(const AcGeMatrix3d& m) {
    AcGeMatrix3d l = m;
    l.setTranslation(AcGeVector3d(0, 0, 0));
    return l;
}

// A text showing what an attribute (or a constant attribute definition) shows.
AcDbText* textOf(const AcDbText* source) {
    auto* text = new AcDbText();
    text->setPropertiesFrom(source);
    text->setTextPropertiesFrom(source);
    return text;
}

bool isShownAttribute(const AcDbAttribute* attribute) { return attribute && !attribute->isInvisible(); }

// The visible attributes of a reference as texts moved by xform.
Acad::ErrorStatus attributeTexts(const std::vector<AcDbObjectId>& ids, const AcGeMatrix3d* xform,
                                 AcDbVoidPtrArray& out) {
    for (const AcDbObjectId& id : ids) {
        ReadAccess access(id);
        auto* attribute = access.as<AcDbAttribute>();
        if (!isShownAttribute(attribute)) continue;
        AcDbText* text = textOf(attribute);
        if (xform) {
            Acad::ErrorStatus es = text->transformBy(*xform);
            if (es != Acad::eOk) {
                delete text;
                return es;
            }
        }
        out.append(text);
    }
    return Acad::eOk;
}

// An entity of a definition brought under a transform: its transformed copy, or its exploded
// pieces transformed when it cannot take the transform as it is.
Acad::ErrorStatus transformedPieces(const AcDbEntity* entity, const AcGeMatrix3d& xform, AcDbVoidPtrArray& out,
                                    int depth) {
    AcDbEntity* copy = nullptr;
    Acad::ErrorStatus es = entity->getTransformedCopy(xform, copy);
    if (es == Acad::eOk) {
        if (copy) out.append(copy);
        // A copy of a nested reference has no attributes: what they show comes along as text.
        if (const auto* ref = AcDbBlockReference::cast(entity))
            return attributeTexts(ref->internalAttributeIds(), &xform, out);
        return Acad::eOk;
    }
    if (es != Acad::eExplodeBeforeTransform && es != Acad::eCannotScaleNonUniformly) return es;
    if (depth > 16) return es;
    AcDbVoidPtrArray pieces;
    es = entity->explode(pieces);
    for (int i = 0; es == Acad::eOk && i < pieces.length(); ++i)
        es = transformedPieces(static_cast<AcDbEntity*>(pieces[i]), xform, out, depth + 1);
    deleteEntities(pieces);
    return es;
}

}  // namespace

AcDbBlockReference::AcDbBlockReference() = default;

AcDbBlockReference::AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRecord)
    : m_block(blockTableRecord), m_position(position) {}

AcDbBlockReference::~AcDbBlockReference() = default;

AcDbObjectId AcDbBlockReference::blockTableRecord() const {
    assertReadEnabled();
    if (m_block.isNull() && !m_blockName.empty()) {
        // A name read before its block was defined is looked up once the block exists.
        if (AcDbDatabase* db = database()) {
            AcDbObjectId id = recordByName(db->blockTableId(), m_blockName);
            if (!id.isNull()) {
                m_block = id;
                m_blockName.clear();
            }
        }
    }
    return m_block;
}

Acad::ErrorStatus AcDbBlockReference::setBlockTableRecord(AcDbObjectId blockTableRecord) {
    assertWriteEnabled();
    if (!blockTableRecord.isNull()) {
        AcRxClass* cls = blockTableRecord.objectClass();
        if (cls && !cls->isDerivedFrom(AcDbBlockTableRecord::desc())) return Acad::eWrongObjectType;
    }
    m_block = blockTableRecord;
    m_blockName.clear();
    return Acad::eOk;
}

AcGePoint3d AcDbBlockReference::position() const {
    assertReadEnabled();
    return m_position;
}

Acad::ErrorStatus AcDbBlockReference::setPosition(const AcGePoint3d& position) {
    assertWriteEnabled();
    m_position = position;
    return Acad::eOk;
}

AcGeScale3d AcDbBlockReference::scaleFactors() const {
    assertReadEnabled();
    return m_scale;
}

Acad::ErrorStatus AcDbBlockReference::setScaleFactors(const AcGeScale3d& scale) {
    assertWriteEnabled();
    if (!validScale(scale.sx) || !validScale(scale.sy) || !validScale(scale.sz)) return Acad::eInvalidInput;
    m_scale = scale;
    return Acad::eOk;
}

double AcDbBlockReference::rotation() const {
    assertReadEnabled();
    return m_rotation;
}

Acad::ErrorStatus AcDbBlockReference::setRotation(double angle) {
    assertWriteEnabled();
    if (!std::isfinite(angle)) return Acad::eInvalidInput;
    m_rotation = std::fmod(angle, 2 * kPi);
    if (m_rotation < 0) m_rotation += 2 * kPi;
    return Acad::eOk;
}

AcGeVector3d AcDbBlockReference::normal() const {
    assertReadEnabled();
    return m_normal;
}

Acad::ErrorStatus AcDbBlockReference::setNormal(const AcGeVector3d& normal) {
    assertWriteEnabled();
    AcGeVector3d n;
    if (!unitNormal(normal, n)) return Acad::eInvalidInput;
    m_normal = n;
    return Acad::eOk;
}

AcGePoint3d AcDbBlockReference::blockOrigin() const {
    ReadAccess access(blockTableRecord());
    auto* block = access.as<AcDbBlockTableRecord>();
    return block ? block->origin() : AcGePoint3d::kOrigin;
}

AcGeMatrix3d AcDbBlockReference::blockTransform() const {
    assertReadEnabled();
    return AcGeMatrix3d::translation(m_position.asVector()) * AcGeMatrix3d::planeToWorld(m_normal) *
           AcGeMatrix3d::rotation(m_rotation, AcGeVector3d::kZAxis) * scaleMatrix(m_scale) *
           AcGeMatrix3d::translation(-blockOrigin().asVector());
}

// Splits a full block transform into the reference's parameters. The signs of the present
// scale factors are kept where the transform allows; a reflection in the plane is carried by
// the X factor. False when the transform has no such form (shear, scales off the axes).
bool AcDbBlockReference::decompose(const AcGeMatrix3d& xform, AcGePoint3d& position, AcGeVector3d& normal,
                                   double& rotation, AcGeScale3d& scale) const {
    AcGeMatrix3d l = linearPart(xform);
    AcGeVector3d cz(l.entry[0][2], l.entry[1][2], l.entry[2][2]);
    double lz = cz.length();
    if (!(lz > 1e-300) || !std::isfinite(lz)) return false;
    double sz = m_scale.sz < 0 ? -lz : lz;
    normal = cz / sz;
    AcGeMatrix3d w = AcGeMatrix3d::worldToPlane(normal) * l;
    double g00 = w.entry[0][0], g10 = w.entry[1][0], g01 = w.entry[0][1], g11 = w.entry[1][1];
    double lx = std::hypot(g00, g10);
    if (!(lx > 1e-300)) return false;
    double det2 = g00 * g11 - g01 * g10;
    bool oldPositive = (m_scale.sx < 0) == (m_scale.sy < 0);
    double sxSign = m_scale.sx < 0 ? -1.0 : 1.0;
    if ((det2 > 0) != oldPositive) sxSign = -sxSign;
    double sx = lx * sxSign;
    rotation = std::atan2(g10 / sx, g00 / sx);
    if (rotation < 0) rotation += 2 * kPi;
    double sy = -std::sin(rotation) * g01 + std::cos(rotation) * g11;
    if (!(std::fabs(sy) > 1e-300)) return false;
    scale.set(sx, sy, sz);
    AcGeMatrix3d rebuilt = AcGeMatrix3d::planeToWorld(normal) * AcGeMatrix3d::rotation(rotation, AcGeVector3d::kZAxis) *
                           scaleMatrix(scale);
    double big = 1.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) big = std::max(big, std::fabs(l.entry[i][j]));
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (std::fabs(rebuilt.entry[i][j] - l.entry[i][j]) > 1e-9 * big) return false;
    position = xform * blockOrigin();
    return true;
}

Acad::ErrorStatus AcDbBlockReference::setBlockTransform(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    AcGePoint3d position;
    AcGeVector3d normal;
    double rotation = 0;
    AcGeScale3d scale;
    if (!decompose(xform, position, normal, rotation, scale)) return Acad::eCannotScaleNonUniformly;
    m_position = position;
    m_normal = normal;
    m_rotation = rotation;
    m_scale = scale;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbAttribute* attribute) {
    AcDbObjectId id;
    return appendAttribute(id, attribute);
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbObjectId& id, AcDbAttribute* attribute) {
    Acad::ErrorStatus es = internalAppendAttribute(id, attribute);
    if (es == Acad::eOk) internalEnsureSequenceEnd();
    return es;
}

Acad::ErrorStatus AcDbBlockReference::internalAppendAttribute(AcDbObjectId& id, AcDbAttribute* attribute) {
    id = AcDbObjectId::kNull;
    if (!attribute) return Acad::eNullObjectPointer;
    AcDbDatabase* db = database();
    if (!isDatabaseResident() || !db) return Acad::eNotInDatabase;
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (attribute->isDatabaseResident()) return Acad::eAlreadyInDb;
    assertWriteEnabled();
    attribute->internalBindToDatabase(db);
    attribute->internalSetOwner(objectId());
    Acad::ErrorStatus es = db->addAcDbObject(id, attribute);
    if (es != Acad::eOk) return es;
    m_attributes.push_back(id);
    return Acad::eOk;
}

void AcDbBlockReference::internalEnsureSequenceEnd() {
    AcDbDatabase* db = database();
    if (!m_sequenceEnd.isNull() || m_attributes.empty() || !db || !isWriteEnabled()) return;
    assertWriteEnabled();
    auto* end = new AcDbSequenceEnd();
    end->setPropertiesFrom(this);
    end->internalBindToDatabase(db);
    end->internalSetOwner(objectId());
    AcDbObjectId endId;
    if (db->addAcDbObject(endId, end) == Acad::eOk) {
        m_sequenceEnd = endId;
        end->close();
    } else {
        delete end;
    }
}

AcDbObjectIterator* AcDbBlockReference::attributeIterator() const {
    assertReadEnabled();
    return new AcDbObjectIterator(m_attributes);
}

Acad::ErrorStatus AcDbBlockReference::openSequenceEnd(AcDbSequenceEnd*& sequenceEnd, AcDb::OpenMode mode) {
    assertReadEnabled();
    sequenceEnd = nullptr;
    if (m_sequenceEnd.isNull()) return Acad::eNullObjectId;
    return acdbOpenObject(sequenceEnd, m_sequenceEnd, mode);
}

AcDbObjectId AcDbBlockReference::sequenceEndId() const {
    assertReadEnabled();
    return m_sequenceEnd;
}

Acad::ErrorStatus AcDbBlockReference::internalSetSequenceEnd(AcDbObjectId sequenceEnd) {
    assertWriteEnabled();
    if (sequenceEnd == m_sequenceEnd) return Acad::eOk;
    if (!sequenceEnd.isNull()) {
        AcRxClass* cls = sequenceEnd.objectClass();
        if (!cls || !cls->isDerivedFrom(AcDbSequenceEnd::desc())) return Acad::eWrongObjectType;
        AcDbObject* end = nullptr;
        if (acdbOpenObject(end, sequenceEnd, AcDb::kForWrite) == Acad::eOk) {
            end->internalSetOwner(objectId());
            end->close();
        }
    }
    if (!m_sequenceEnd.isNull()) {
        AcDbObject* old = nullptr;
        if (acdbOpenObject(old, m_sequenceEnd, AcDb::kForWrite) == Acad::eOk) {
            old->erase();
            old->close();
        }
    }
    m_sequenceEnd = sequenceEnd;
    return Acad::eOk;
}

Adesk::Boolean AcDbBlockReference::treatAsAcDbBlockRefForExplode() const { return Adesk::kFalse; }

void AcDbBlockReference::copyTransforms(AcArray<AcGeMatrix3d>& xforms) const { xforms.append(blockTransform()); }

Adesk::Boolean AcDbBlockReference::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode) return Adesk::kTrue;
    NestingGuard guard;
    if (guard.tooDeep()) return Adesk::kTrue;  // a block that contains itself
    AcGiWorldGeometry& geometry = mode->geometry();
    {
        ReadAccess access(blockTableRecord());
        if (auto* block = access.as<AcDbBlockTableRecord>()) {
            const std::vector<AcDbObjectId> ids = block->entityIds();
            AcArray<AcGeMatrix3d> xforms;
            copyTransforms(xforms);
            for (const AcGeMatrix3d& xform : xforms) {
                if (mode->regenAbort()) return Adesk::kTrue;
                geometry.pushModelTransform(xform);
                for (const AcDbObjectId& id : ids) {
                    ReadAccess entityAccess(id);
                    auto* entity = entityAccess.as<AcDbEntity>();
                    if (!entity) continue;
                    // Attribute definitions show in references only when constant.
                    if (auto* def = AcDbAttributeDefinition::cast(entity); def && (!def->isConstant() || def->isInvisible()))
                        continue;
                    geometry.draw(entity);
                    if (mode->regenAbort()) break;
                }
                geometry.popModelTransform();
            }
        }
    }
    AcDbDatabase* db = database();
    int attmode = db ? db->attmode() : 1;
    if (attmode == 0) return Adesk::kTrue;
    for (const AcDbObjectId& id : m_attributes) {
        if (mode->regenAbort()) break;
        ReadAccess access(id);
        auto* attribute = access.as<AcDbAttribute>();
        if (!attribute || (attribute->isInvisible() && attmode != 2)) continue;
        geometry.draw(attribute);
    }
    return Adesk::kTrue;
}

void AcDbBlockReference::list() const {
    assertReadEnabled();
    AcDbEntity::list();
    AcDbObjectId block = blockTableRecord();
    std::string name = block.isNull() ? m_blockName : recordName(block);
    acutPrintf("             Block name = \"%s\"\n", name.c_str());
    const std::string xref = xrefPath(block);
    if (!xref.empty()) acutPrintf("     External reference = \"%s\"\n", xref.c_str());
    acutPrintf("                  at point = (%g, %g, %g)\n", m_position.x, m_position.y, m_position.z);
    acutPrintf("          X scale factor = %g\n", m_scale.sx);
    acutPrintf("          Y scale factor = %g\n", m_scale.sy);
    acutPrintf("          Z scale factor = %g\n", m_scale.sz);
    acutPrintf("          rotation angle = %g\n", m_rotation * 180.0 / kPi);
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis))
        acutPrintf("     Extrusion direction = (%g, %g, %g)\n", m_normal.x, m_normal.y, m_normal.z);
    int shown = 0;
    for (const AcDbObjectId& id : m_attributes)
        if (!id.isErased()) ++shown;
    if (shown) acutPrintf("              Attributes = %d\n", shown);
}

Acad::ErrorStatus AcDbBlockReference::getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    gripPoints.append(m_position);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    if (!indices.contains(0) || offset.isZeroLength()) return Acad::eOk;
    return transformBy(AcGeMatrix3d::translation(offset));
}

Acad::ErrorStatus AcDbBlockReference::getStretchPoints(AcGePoint3dArray& stretchPoints) const {
    assertReadEnabled();
    stretchPoints.append(m_position);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return moveGripPointsAt(indices, offset);
}

Acad::ErrorStatus AcDbBlockReference::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d&,
                                                     const AcGePoint3d&, const AcGeMatrix3d&,
                                                     AcGePoint3dArray& snapPoints, AcDbIntArray&) const {
    assertReadEnabled();
    if (mode == AcDb::kOsModeIns) snapPoints.append(m_position);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    AcGePoint3d position;
    AcGeVector3d normal;
    double rotation = 0;
    AcGeScale3d scale;
    if (!decompose(xform * blockTransform(), position, normal, rotation, scale))
        return Acad::eCannotScaleNonUniformly;
    // All attributes are opened first, so that either all of them move or none does.
    std::vector<AcDbAttribute*> attributes;
    Acad::ErrorStatus es = Acad::eOk;
    for (const AcDbObjectId& id : m_attributes) {
        if (id.isErased()) continue;
        AcDbAttribute* attribute = nullptr;
        es = acdbOpenObject(attribute, id, AcDb::kForWrite);
        if (es != Acad::eOk) {
            for (AcDbAttribute* opened : attributes) opened->close();
            return es;
        }
        attributes.push_back(attribute);
    }
    for (AcDbAttribute* attribute : attributes) {
        if (Acad::ErrorStatus as = attribute->transformBy(xform); as != Acad::eOk && es == Acad::eOk) es = as;
        attribute->close();
    }
    m_position = position;
    m_normal = normal;
    m_rotation = rotation;
    m_scale = scale;
    return es;
}

Acad::ErrorStatus AcDbBlockReference::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    assertReadEnabled();
    copy = nullptr;
    AcGePoint3d position;
    AcGeVector3d normal;
    double rotation = 0;
    AcGeScale3d scale;
    if (!decompose(xform * blockTransform(), position, normal, rotation, scale))
        return Acad::eExplodeBeforeTransform;
    AcDbEntity* c = AcDbEntity::cast(clone());
    if (!c) return Acad::eOutOfMemory;
    Acad::ErrorStatus es = c->transformBy(xform);
    if (es != Acad::eOk) {
        delete c;
        return es;
    }
    copy = c;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::explodeCopies(const AcArray<AcGeMatrix3d>& xforms,
                                                    AcDbVoidPtrArray& entities) const {
    NestingGuard guard;
    if (guard.tooDeep()) return Acad::eInvalidInput;  // a block that contains itself
    AcDbObjectId blockId = blockTableRecord();
    if (blockId.isNull()) return Acad::eNullObjectId;
    ReadAccess access(blockId);
    auto* block = access.as<AcDbBlockTableRecord>();
    if (!block) return access.status() != Acad::eOk ? access.status() : Acad::eWrongObjectType;
    const std::vector<AcDbObjectId> ids = block->entityIds();
    const int start = entities.length();
    Acad::ErrorStatus es = Acad::eOk;
    for (int i = 0; es == Acad::eOk && i < xforms.length(); ++i) {
        const AcGeMatrix3d& xform = xforms[i];
        for (const AcDbObjectId& id : ids) {
            ReadAccess entityAccess(id);
            auto* entity = entityAccess.as<AcDbEntity>();
            if (!entity) continue;
            if (auto* def = AcDbAttributeDefinition::cast(entity)) {
                if (!def->isConstant() || def->isInvisible()) continue;
                AcDbText* text = textOf(def);
                es = text->transformBy(xform);
                if (es != Acad::eOk) {
                    delete text;
                    break;
                }
                entities.append(text);
                continue;
            }
            es = transformedPieces(entity, xform, entities, 0);
            if (es != Acad::eOk) break;
        }
        if (es != Acad::eOk) break;
        // The attributes stand where the first copy puts them; the other copies move them.
        AcGeMatrix3d relative = xform * xforms[0].inverse();
        es = attributeTexts(m_attributes, i == 0 ? nullptr : &relative, entities);
    }
    if (es != Acad::eOk) deleteEntities(entities, start);
    return es;
}

Acad::ErrorStatus AcDbBlockReference::explode(AcDbVoidPtrArray& entities) const {
    assertReadEnabled();
    AcArray<AcGeMatrix3d> xforms;
    copyTransforms(xforms);
    return explodeCopies(xforms, entities);
}

Acad::ErrorStatus AcDbBlockReference::getGeomExtents(AcDbExtents& extents) const {
    assertReadEnabled();
    extents = AcDbExtents();
    NestingGuard guard;
    if (guard.tooDeep()) return Acad::eInvalidExtents;
    bool any = false;
    {
        ReadAccess access(blockTableRecord());
        if (auto* block = access.as<AcDbBlockTableRecord>()) {
            const std::vector<AcDbObjectId> ids = block->entityIds();
            AcArray<AcGeMatrix3d> xforms;
            copyTransforms(xforms);
            for (const AcGeMatrix3d& xform : xforms)
                for (const AcDbObjectId& id : ids) {
                    ReadAccess entityAccess(id);
                    auto* entity = entityAccess.as<AcDbEntity>();
                    if (!entity) continue;
                    if (auto* def = AcDbAttributeDefinition::cast(entity); def && (!def->isConstant() || def->isInvisible()))
                        continue;
                    AcDbExtents part;
                    AcDbEntity* copy = nullptr;
                    // The transformed copy's own extents are tight; the box of the transformed
                    // extents serves when the entity cannot be copied so.
                    if (entity->getTransformedCopy(xform, copy) == Acad::eOk && copy) {
                        Acad::ErrorStatus es = copy->getGeomExtents(part);
                        delete copy;
                        if (es != Acad::eOk) continue;
                    } else {
                        if (entity->getGeomExtents(part) != Acad::eOk) continue;
                        part.transformBy(xform);
                    }
                    if (part.isEmpty()) continue;
                    extents.addExt(part);
                    any = true;
                }
        }
    }
    for (const AcDbObjectId& id : m_attributes) {
        ReadAccess access(id);
        auto* attribute = access.as<AcDbAttribute>();
        AcDbExtents part;
        if (!isShownAttribute(attribute) || attribute->getGeomExtents(part) != Acad::eOk || part.isEmpty()) continue;
        extents.addExt(part);
        any = true;
    }
    return any ? Acad::eOk : Acad::eInvalidExtents;
}

Acad::ErrorStatus AcDbBlockReference::subErase(bool erasing) {
    Acad::ErrorStatus es = AcDbEntity::subErase(erasing);
    if (es != Acad::eOk) return es;
    std::vector<AcDbObjectId> owned = m_attributes;
    if (!m_sequenceEnd.isNull()) owned.push_back(m_sequenceEnd);
    for (const AcDbObjectId& id : owned) {
        if (id.isErased() == erasing) continue;
        AcDbObject* object = nullptr;
        if (acdbOpenObject(object, id, AcDb::kForWrite, true) == Acad::eOk) {
            object->erase(erasing);
            object->close();
        }
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeHardPointerId(blockTableRecord());
    filer->writeString(m_blockName.c_str());
    filer->writePoint3d(m_position);
    filer->writeScale3d(m_scale.asVector());
    filer->writeDouble(m_rotation);
    filer->writeVector3d(m_normal);
    filer->writeInt32(static_cast<Adesk::Int32>(m_attributes.size()));
    for (const AcDbObjectId& id : m_attributes) filer->writeHardOwnershipId(id);
    filer->writeHardOwnershipId(m_sequenceEnd);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbBlockReference::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    AcDbHardPointerId block;
    char* name = nullptr;
    AcGePoint3d position;
    AcGeVector3d scale, normal;
    double rotation = 0;
    Adesk::Int32 count = 0;
    filer->readHardPointerId(&block);
    filer->readString(&name);
    filer->readPoint3d(&position);
    filer->readScale3d(&scale);
    filer->readDouble(&rotation);
    filer->readVector3d(&normal);
    filer->readInt32(&count);
    std::string blockName = name ? name : "";
    std::free(name);
    std::vector<AcDbObjectId> attributes;
    for (Adesk::Int32 i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        AcDbHardOwnershipId id;
        if (filer->readHardOwnershipId(&id) != Acad::eOk) break;
        if (!id.isNull()) attributes.push_back(id);
    }
    AcDbHardOwnershipId end;
    filer->readHardOwnershipId(&end);
    if ((es = filer->filerStatus()) != Acad::eOk) return es;
    m_block = block;
    m_blockName = blockName;
    m_position = position;
    m_scale.set(validScale(scale.x) ? scale.x : 1.0, validScale(scale.y) ? scale.y : 1.0,
                validScale(scale.z) ? scale.z : 1.0);
    m_rotation = std::isfinite(rotation) ? rotation : 0.0;
    if (!unitNormal(normal, m_normal)) m_normal = AcGeVector3d::kZAxis;
    // A copy (clone, copyFrom) does not take over another reference's attributes.
    if (filer->filerType() != AcDb::kCopyFiler) {
        m_attributes = std::move(attributes);
        m_sequenceEnd = end;
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::dxfOutArrayFields(AcDbDxfFiler* filer) const { return filer->filerStatus(); }

bool AcDbBlockReference::dxfInArrayGroup(const resbuf&) { return false; }

Acad::ErrorStatus AcDbBlockReference::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeSubclass(dxfSubclassName());
    bool hasAttributes = std::any_of(m_attributes.begin(), m_attributes.end(),
                                     [](const AcDbObjectId& id) { return !id.isErased(); });
    if (hasAttributes) filer->writeInt16(66, 1);
    AcDbObjectId block = blockTableRecord();
    std::string name = block.isNull() ? m_blockName : recordName(block);
    filer->writeString(2, name.c_str());
    filer->writePoint3d(10, toOcs(m_position, m_normal));
    if (m_scale.sx != 1.0) filer->writeDouble(41, m_scale.sx);
    if (m_scale.sy != 1.0) filer->writeDouble(42, m_scale.sy);
    if (m_scale.sz != 1.0) filer->writeDouble(43, m_scale.sz);
    if (m_rotation != 0) writeAngle(filer, 50, m_rotation);
    if ((es = dxfOutArrayFields(filer)) != Acad::eOk) return es;
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis)) filer->writeVector3d(210, m_normal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbBlockReference::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    filer->atSubclassData(dxfSubclassName());
    AcGePoint3d position;
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    std::string name;
    bool haveName = false;
    resbuf rb;
    while (nextGroup(filer, rb, es)) {
        if (rb.restype == 100) {
            std::string marker = groupString(rb);
            if (marker == "AcDbBlockReference" || marker == "AcDbMInsertBlock") continue;
            filer->pushBackItem();
            break;
        }
        switch (rb.restype) {
            case 2: name = groupString(rb); haveName = true; break;
            case 10: position = groupPoint(rb); break;
            case 41: { double f = groupReal(rb); m_scale.sx = validScale(f) ? f : 1.0; break; }
            case 42: { double f = groupReal(rb); m_scale.sy = validScale(f) ? f : 1.0; break; }
            case 43: { double f = groupReal(rb); m_scale.sz = validScale(f) ? f : 1.0; break; }
            case 50: { double a = groupAngle(rb); m_rotation = std::isfinite(a) ? a : 0.0; break; }
            case 66: break;  // the attributes that follow are read as entities of their own
            case 210: { AcGeVector3d n; if (unitNormal(groupVector(rb), n)) normal = n; break; }
            default: dxfInArrayGroup(rb); break;
        }
    }
    if (es != Acad::eOk) return es;
    m_normal = normal;
    m_position = fromOcs(position, normal);
    if (haveName) {
        AcDbDatabase* db = filer->database() ? filer->database() : database();
        m_block = db ? recordByName(db->blockTableId(), name) : AcDbObjectId::kNull;
        m_blockName = m_block.isNull() ? name : std::string();
    }
    return filer->filerStatus();
}

void AcDbBlockReference::getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const {
    // Nested references draw their blocks in turn; a block that holds itself stops here.
    static thread_local int depth = 0;
    const int before = paths.length();
    if (depth < 16) {
        ++depth;
        const AcGeMatrix3d xform = blockTransform();
        const AcGeScale3d scale = scaleFactors();
        const double smallest = std::min({std::fabs(scale.sx), std::fabs(scale.sy), std::fabs(scale.sz)});
        // The deviation is asked for in world units; the block's entities work in their own.
        const double blockDeviation = smallest > 0 && std::isfinite(deviation / smallest) ? deviation / smallest : deviation;
        AcDbBlockTableRecord* block = nullptr;
        if (acdbOpenObject(block, blockTableRecord(), AcDb::kForRead) == Acad::eOk) {
            AcDbBlockTableRecordIterator* it = nullptr;
            if (block->newIterator(it, true, true) == Acad::eOk) {
                for (; !it->done(); it->step()) {
                    AcDbEntity* entity = nullptr;
                    if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
                    // Attribute definitions are not drawn in a reference; its attributes are.
                    if (!entity->isKindOf(AcDbAttributeDefinition::desc())) {
                        AcArray<AcGePoint3dArray> own;
                        entity->getOutline(own, blockDeviation);
                        for (AcGePoint3dArray& path : own) {
                            for (AcGePoint3d& p : path) p.transformBy(xform);
                            paths.append(path);
                        }
                    }
                    entity->close();
                }
                delete it;
            }
            block->close();
        }
        if (AcDbObjectIterator* it = attributeIterator()) {
            for (; !it->done(); it->step()) {
                AcDbEntity* attribute = nullptr;
                if (acdbOpenObject(attribute, it->objectId(), AcDb::kForRead) != Acad::eOk) continue;
                attribute->getOutline(paths, deviation);
                attribute->close();
            }
            delete it;
        }
        --depth;
    }
    if (paths.length() == before) AcDbEntity::getOutline(paths, deviation);
}
