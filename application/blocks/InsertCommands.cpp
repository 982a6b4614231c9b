#include "blocks/InsertCommands.h"
#include <memory>
#include "ZEFTAttributeDefinition.h"
#include "attedit/AceAttEditDlg.h"
#include "attedit/AttributeEditDlg.h"
#include "browser/ResizableDockingDialog.h"
#include "ZEFTBlockReference.h"
#include "blocks/CurrentSpace.h"
#include "blocks/IntelligentAttributes.h"
#include "ed/lispfuncs.h"
#include "ed/prompts.h"
#include "ed/winapp.h"
#include "frame/Renvale4App.h"
#include "frame/ResourceString.h"
#include "ui/extmodule.h"
#include "rx/print.h"

namespace {
// How the attributes of a new reference get their values.
enum class AttributeValues { kDefaults, kAskUnlessDialog };

// A new intelligent reference of a definition, set up for the point; the definition it uses
// (a private copy when the block holds grip points) comes back in `usedDefinition`.
ZEFTBlockReference* newReference(AcDbObjectId definitionId, const char* name, const AcGePoint3d& point,
                                 const AcGeScale3d& scale, double rotation, const AcGePoint3d& base,
                                 AcDbObjectId& usedDefinition) {
    auto* reference = new ZEFTBlockReference;
    usedDefinition = reference->setBlockTableRecordId(definitionId);
    reference->setOriginalBlockName(name);
    reference->setPosition(point);
    reference->setRotation(rotation);
    reference->setScaleFactors(scale);
    reference->setInsBase(base);
    reference->setNormal(AcGeVector3d(0, 0, 1));
    return reference;
}

// Appends the reference and one intelligent attribute per non-constant attribute definition
// of `definitionId` to the current space. Answers the reference, still open, or null when it
// could not be appended.
ZEFTBlockReference* appendWithAttributes(ZEFTBlockReference* reference, AcDbObjectId definitionId,
                                         AttributeValues values) {
    AcDbBlockTableRecord* space = openCurrentSpace();
    if (!space || space->appendAcDbEntity(reference) != Acad::eOk) {
        if (space) space->close();
        delete reference;
        return nullptr;
    }
    const bool ask = values == AttributeValues::kAskUnlessDialog && !space->database()->attdia();
    // Insertion by name counts the two exact classes; a drawing file any attribute definition.
    const auto classes = values == AttributeValues::kDefaults ? AttributeDefinitionClasses::kExact
                                                              : AttributeDefinitionClasses::kDerived;
    AcDbBlockTableRecord* definition = nullptr;
    if (acdbOpenObject(definition, definitionId, AcDb::kForRead) == Acad::eOk) {
        forEachAttributeDefinition(definition, classes, [&](AcDbAttributeDefinition* attdef) {
            appendIntelligentAttribute(space, reference, attdef, ask, ask);
        });
        definition->close();
    }
    space->close();
    return reference;
}


// The name (or path) and the insertion point of (c:_binsert name point); false when the call
// has no second argument.
bool readInsertArguments(CString& name, AcGePoint3d& point) {
    resbuf* args = acedGetArgs();
    std::unique_ptr<resbuf, int (*)(resbuf*)> owner(args, &acutRelRb);
    const resbuf* rb = args;
    if (!rb) return false;
    if (rb->restype == RTSTR) {
        name = rb->resval.rstring;
        rb = rb->rbnext;
    }
    if (!rb) return false;
    point = rb->restype == RT3DPOINT ? AcGePoint3d(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2])
                                     : AcGePoint3d::kOrigin;
    return true;
}

}  // namespace

void runAttributeDialog(ZEFTBlockReference* reference) {
    CAcModuleResourceOverride resources(resourceInstance());
    CAttributeEditDlg dialog(acedGetAcadFrame());
    if (dialog.prepare(reference)) dialog.DoModal();
}

AcDbBlockTableRecord* lookUpBlockDefinition(const char* name) { return openBlockDefinition(name); }

void blocksCommand() {
    if (CResizableDockingDialog* bar = dockBar()) {
        bar->RestoreControlBar(AFX_IDW_DOCKBAR_LEFT);
        bar->ShowWindow(SW_SHOW);
        bar->RestoreControlBar(AFX_IDW_DOCKBAR_LEFT);
        return;
    }
    createDockBar();
    CResizableDockingDialog* bar = dockBar();
    CAcModuleResourceOverride resources(resourceInstance());
    if (!bar->create(acedGetAcadFrame(), loadResourceString(IDS_PRODUCT), CRect(0, 0, 150, 500))) {
        destroyDockBar();
        return;
    }
    static const CLSID kToolId = {0xE818D0AA, 0x0E31, 0x4789, {0xB8, 0xE2, 0x2C, 0x13, 0x04, 0x8B, 0x6E, 0x10}};
    bar->SetToolID(&kToolId);
    bar->EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT);
    bar->m_bHoldContentLayout = false;
    bar->RestoreControlBar(AFX_IDW_DOCKBAR_LEFT);
}

void ddatteCommand() { runAttributeDialog(nullptr); }

void eattEditCommand() { runEnhancedAttributeEditor(); }

int c_ddatte() {
    runAttributeDialog(nullptr);
    return acedRetVoid();
}

int c_binsert() {
    CString name;
    AcGePoint3d point;
    if (readInsertArguments(name, point)) insertIntelligentBlock(name, point, AcGeScale3d(1, 1, 1), 0.0);
    return acedRetVoid();
}

int c_binsertfile() {
    CString path;
    AcGePoint3d point;
    if (readInsertArguments(path, point)) insertDrawingAsIntelligentBlock(path, point, AcGeScale3d(1, 1, 1), 0.0);
    return acedRetVoid();
}

ZEFTBlockReference* insertIntelligentBlock(const char* name, const AcGePoint3d& point, const AcGeScale3d& scale,
                                           double rotation) {
    AcDbBlockTableRecord* definition = openBlockDefinition(name);
    if (!definition) return nullptr;
    const AcDbObjectId definitionId = definition->objectId();
    const AcGePoint3d origin = definition->origin();
    definition->close();
    AcDbObjectId used;
    ZEFTBlockReference* reference = newReference(definitionId, name, point, scale, rotation, origin, used);
    if (!appendWithAttributes(reference, used, AttributeValues::kDefaults)) return nullptr;
    reference->close();
    return reference;
}

CString drawingBlockName(const char* path) {
    CString name = path ? path : "";
    int slash = name.ReverseFind('\\');
    if (slash >= 0) name = name.Mid(slash + 1);
    slash = name.ReverseFind('/');
    if (slash >= 0) name = name.Mid(slash + 1);
    const int extension = name.Find(".dwg");
    if (extension >= 0) name = name.Left(extension);
    return name;
}

ZEFTBlockReference* insertDrawingAsIntelligentBlock(const char* path, const AcGePoint3d& point,
                                                    const AcGeScale3d& scale, double rotation) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db || !path) return nullptr;
    const CString name = drawingBlockName(path);
    AcDbObjectId definitionId;
    AcGePoint3d base;
    if (!blockExists(name)) {
        auto side = std::make_unique<AcDbDatabase>(false, true);
        // A file that cannot be read would otherwise make an empty block.
        if (side->readDwgFile(path) != Acad::eOk || db->insert(definitionId, name, side.get(), false) != Acad::eOk) {
            acedAlert(loadResourceString(IDS_DRAWING_IN_USE));
            return nullptr;
        }
        base = side->insbase();
    } else {
        AcDbBlockTableRecord* definition = lookUpBlockDefinition(name);
        if (!definition) return nullptr;
        definitionId = definition->objectId();
        base = definition->origin();
        definition->close();
    }
    AcDbObjectId used;
    ZEFTBlockReference* reference = newReference(definitionId, name, point, scale, rotation, base, used);
    if (!appendWithAttributes(reference, used, AttributeValues::kAskUnlessDialog)) return nullptr;
    // With ATTDIA on the values are edited in the attribute dialog, which closes the reference.
    if (db->attdia()) runAttributeDialog(reference);
    else reference->close();
    return reference;
}
