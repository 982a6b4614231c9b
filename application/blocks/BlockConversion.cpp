#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "blocks/BlockReactor.h"
#include "blocks/CurrentSpace.h"
#include "blocks/DocData.h"
#include "blocks/InsertCommands.h"
#include "blocks/IntelligentAttributes.h"
#include "db/blockref.h"

void AsdkblockReactor::replaceWithIntelligentBlock(AcDbBlockTableRecord* space, AcDbBlockReference* reference) {
    if (!isPlainBlockReference(reference)) {
        reference->close();
        return;
    }
    const AcDbObjectId id = reference->objectId();
    CDocData& data = currentDocData();
    if (id == data.lastConvertedReferenceId) {
        reference->close();
        return;
    }
    const bool converted = convertToIntelligentBlock(space, reference);
    reference->close();
    if (!converted) return;
    data.lastConvertedReferenceId = id;
    AcDbEntity* plain = nullptr;
    if (acdbOpenObject(plain, id, AcDb::kForWrite) == Acad::eOk) {
        plain->erase();
        plain->close();
    }
}

bool AsdkblockReactor::convertToIntelligentBlock(AcDbBlockTableRecord* space, AcDbBlockReference* reference) {
    auto* intelligent = new ZEFTBlockReference;
    intelligent->setPropertiesFrom(reference);
    intelligent->setBlockTransform(reference->blockTransform());
    const AcDbObjectId definitionId = intelligent->setBlockTableRecordId(reference->blockTableRecord());
    intelligent->setOriginalBlockName(getBlockName(reference->blockTableRecord()));
    AcDbBlockTableRecord* definition = nullptr;
    if (acdbOpenObject(definition, definitionId, AcDb::kForRead) != Acad::eOk) {
        delete intelligent;
        return false;
    }
    intelligent->setInsBase(definition->origin());
    // Without the new reference in the drawing the plain one must stay.
    if (space->appendAcDbEntity(intelligent) != Acad::eOk) {
        delete intelligent;
        definition->close();
        return false;
    }
    AcDbDatabase* db = space->database();
    const bool dialog = db->attdia();
    const bool ask = m_savedAttreq == 1;
    const AcGeVector3d offset = intelligent->position().asVector();
    AcDbBlockTableRecordIterator* it = nullptr;
    if (definition->newIterator(it, true, true) == Acad::eOk) {
        for (; !it->done(); it->step()) {
            AcDbEntity* entity = nullptr;
            if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
            auto* attdef = AcDbAttributeDefinition::cast(entity);
            if (!isExactAttributeDefinition(entity) || attdef->isConstant()) {
                entity->close();
                continue;
            }
            ZEFTAttribute* attribute = makeIntelligentAttribute(attdef, offset);
            if (!dialog && ask) askAttributeValue(attdef, attribute);
            AcDbObjectId attributeId;
            if (space->appendAcDbEntity(attributeId, attribute) == Acad::eOk) {
                if (!dialog && entity->isA() == ZEFTAttributeDefinition::desc()) attribute->CheckFormulaForStretch();
                intelligent->appendAttribute(attributeId);
                attribute->close();
            } else {
                delete attribute;
            }
            entity->close();
        }
        delete it;
    }
    // With ATTDIA on the values are edited in the attribute dialog, which closes the reference.
    if (dialog && ask) runAttributeDialog(intelligent);
    else intelligent->close();
    definition->close();
    return true;
}
