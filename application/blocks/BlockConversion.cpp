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
    forEachAttributeDefinition(definition, AttributeDefinitionClasses::kExact, [&](AcDbAttributeDefinition* attdef) {
        appendIntelligentAttribute(space, intelligent, attdef, !dialog && ask, !dialog);
    });
    // With ATTDIA on the values are edited in the attribute dialog, which closes the reference.
    if (dialog && ask) runAttributeDialog(intelligent);
    else intelligent->close();
    definition->close();
    return true;
}
