#pragma once
// Intelligent attributes made from the attribute definitions of a block.
#include "ZEFTAttribute.h"
#include "db/attdef.h"

// Exactly the host's attribute definition class or exactly the intelligent one.
bool isExactAttributeDefinition(const AcDbEntity* entity);
// Copies the conditional points and formula statements of an intelligent definition (nothing
// for any other class).
void copyAttributeFormulas(AcDbAttributeDefinition* definition, ZEFTAttribute* attribute);
// A new attribute with the definition's properties, tag, texts and flags; positions and
// conditional points translated by `offset` (the reference's position).
ZEFTAttribute* makeIntelligentAttribute(AcDbAttributeDefinition* definition, const AcGeVector3d& offset);
// Asks for the attribute's value on the command line ("\n" prompt " <" default ">: "); a
// non-empty answer becomes its text. Nothing changes when the prompt is cancelled.
void askAttributeValue(const AcDbAttributeDefinition* definition, ZEFTAttribute* attribute);
