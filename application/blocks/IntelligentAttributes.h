#pragma once
// Intelligent attributes made from the attribute definitions of a block.
#include "ZEFTAttribute.h"
#include "ZEFTBlockReference.h"
#include "db/attdef.h"

#include <functional>
#include "db/symtab.h"

// Exactly the host's attribute definition class or exactly the intelligent one.
bool isExactAttributeDefinition(const AcDbEntity* entity);

// Which classes count as attribute definitions in a walk of a block.
enum class AttributeDefinitionClasses { kExact, kDerived };
// Calls fn for each non-constant attribute definition of the block (open for read), in order;
// every entity is opened for read once and closed after its turn.
void forEachAttributeDefinition(AcDbBlockTableRecord* block, AttributeDefinitionClasses classes,
                                const std::function<void(AcDbAttributeDefinition*)>& fn);
// Makes the intelligent attribute of a definition for `reference` (values asked on the command
// line when `ask`), appends it to `space` and records it on the reference; with `runFormulas` an
// attribute of an intelligent definition runs its conditional statements. False when the append
// failed (the attribute is then deleted).
bool appendIntelligentAttribute(AcDbBlockTableRecord* space, ZEFTBlockReference* reference,
                                AcDbAttributeDefinition* definition, bool ask, bool runFormulas);
// Copies the conditional points and formula statements of an intelligent definition (nothing
// for any other class).
void copyAttributeFormulas(AcDbAttributeDefinition* definition, ZEFTAttribute* attribute);
// A new attribute with the definition's properties, tag, texts and flags; positions and
// conditional points translated by `offset` (the reference's position).
ZEFTAttribute* makeIntelligentAttribute(AcDbAttributeDefinition* definition, const AcGeVector3d& offset);
// Asks for the attribute's value on the command line ("\n" prompt " <" default ">: "); a
// non-empty answer becomes its text. Nothing changes when the prompt is cancelled.
void askAttributeValue(const AcDbAttributeDefinition* definition, ZEFTAttribute* attribute);
