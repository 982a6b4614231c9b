#include "blocks/IntelligentAttributes.h"
#include <string>
#include <vector>
#include "ZEFTAttributeDefinition.h"
#include "ed/prompts.h"

bool isExactAttributeDefinition(const AcDbEntity* entity) {
    return entity && (entity->isA() == AcDbAttributeDefinition::desc() || entity->isA() == ZEFTAttributeDefinition::desc());
}

void forEachAttributeDefinition(AcDbBlockTableRecord* block, AttributeDefinitionClasses classes,
                                const std::function<void(AcDbAttributeDefinition*)>& fn) {
    AcDbBlockTableRecordIterator* it = nullptr;
    if (block->newIterator(it, true, true) != Acad::eOk) return;
    for (; !it->done(); it->step()) {
        AcDbEntity* entity = nullptr;
        if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
        auto* definition = AcDbAttributeDefinition::cast(entity);
        const bool counts = classes == AttributeDefinitionClasses::kDerived ? definition != nullptr
                                                                            : isExactAttributeDefinition(entity);
        if (counts && !definition->isConstant()) fn(definition);
        entity->close();
    }
    delete it;
}

bool appendIntelligentAttribute(AcDbBlockTableRecord* space, ZEFTBlockReference* reference,
                                AcDbAttributeDefinition* definition, bool ask, bool runFormulas) {
    ZEFTAttribute* attribute = makeIntelligentAttribute(definition, reference->position().asVector());
    if (ask) askAttributeValue(definition, attribute);
    AcDbObjectId attributeId;
    if (space->appendAcDbEntity(attributeId, attribute) != Acad::eOk) {
        delete attribute;
        return false;
    }
    if (runFormulas && definition->isA() == ZEFTAttributeDefinition::desc()) attribute->CheckFormulaForStretch();
    reference->appendAttribute(attributeId);
    attribute->close();
    return true;
}

void copyAttributeFormulas(AcDbAttributeDefinition* definition, ZEFTAttribute* attribute) {
    if (!definition || definition->isA() != ZEFTAttributeDefinition::desc()) return;
    auto* intelligent = static_cast<ZEFTAttributeDefinition*>(definition);
    attribute->setConditionalPoint1(intelligent->conditionalPoint1());
    attribute->setConditionalPoint2(intelligent->conditionalPoint2());
    for (int i = 0; i < intelligent->FormulaCount(); ++i)
        if (CCondFormula* formula = intelligent->GetFormula(i)) attribute->AddFormula(new CCondFormula(formula));
}

ZEFTAttribute* makeIntelligentAttribute(AcDbAttributeDefinition* definition, const AcGeVector3d& offset) {
    auto* attribute = new ZEFTAttribute;
    attribute->setPropertiesFrom(definition);
    copyAttributeFormulas(definition, attribute);
    attribute->setInvisible(definition->isInvisible());
    attribute->setPosition(definition->position() + offset);
    attribute->setHeight(definition->height());
    attribute->setHorizontalMode(definition->horizontalMode());
    attribute->setTag(definition->tagConst());
    attribute->setFieldLength(definition->fieldLength());
    attribute->setTextString(definition->textStringConst());
    attribute->setDefaultValue(definition->textStringConst());
    attribute->setHorizontalMode(definition->horizontalMode());
    attribute->setVerticalMode(definition->verticalMode());
    attribute->setVerifiable(definition->isVerifiable());
    attribute->setInvisible(definition->isInvisible());
    attribute->setPreset(definition->isPreset());
    attribute->setConstant(0);
    if (definition->isA() == ZEFTAttributeDefinition::desc()) {
        auto* intelligent = static_cast<ZEFTAttributeDefinition*>(definition);
        attribute->setConditionalPoint1(intelligent->conditionalPoint1() + offset);
        attribute->setConditionalPoint2(intelligent->conditionalPoint2() + offset);
    }
    attribute->setDefinitionId(definition->objectId());
    attribute->setAlignmentPoint(definition->alignmentPoint() + offset);
    return attribute;
}

void askAttributeValue(const AcDbAttributeDefinition* definition, ZEFTAttribute* attribute) {
    const std::string prompt = std::string("\n") + definition->promptConst() + " <" + definition->textStringConst() + ">: ";
    std::vector<char> answer(4096, '\0');
    if (acedGetString(1, prompt.c_str(), answer.data(), answer.size()) == RTNORM && answer[0])
        attribute->setTextString(answer.data());
}
