// Blocks: BLOCK, WBLOCK, INSERT (and DDINSERT, the same without a dialog), PURGE.
#include <functional>
#include <filesystem>
#include <memory>
#include <set>
#include <vector>
#include "app/commands/commandobjects.h"
#include "app/commands/commandprompts.h"
#include "app/commands/hostcommands.h"
#include "db/attdef.h"
#include "db/attribute.h"
#include "db/blockpreview.h"
#include "db/blockref.h"
#include "ed/commandline.h"
#include "ed/docman.h"
#include "ed/drawingfiles.h"
#include "ed/editor.h"
#include "ed/pick.h"
#include "ed/prompts.h"
#include "ed/sysvar.h"
#include "rx/print.h"
#include "win/drives.h"

using namespace hostcmd;
namespace fs = std::filesystem;

namespace {
AcDbObjectId findBlock(AcDbDatabase* db, const std::string& name) {
    AcDbObjectId id;
    Opened<AcDbBlockTable> table(db->blockTableId(), AcDb::kForRead);
    if (table) table->getAt(name.c_str(), id);
    return id;
}

std::string recordName(AcDbObjectId id) {
    Opened<AcDbSymbolTableRecord> record(id, AcDb::kForRead);
    return record ? record->name() : std::string();
}

void listBlocks(AcDbDatabase* db) {
    std::vector<AcDbObjectId> ids;
    {
        Opened<AcDbBlockTable> table(db->blockTableId(), AcDb::kForRead);
        if (table) ids = table->recordIds();
    }
    int shown = 0;
    acutPrintf("\nDefined blocks:");
    for (const AcDbObjectId& id : ids) {
        if (id.isErased()) continue;
        Opened<AcDbBlockTableRecord> block(id, AcDb::kForRead);
        if (!block || block->isLayout() || block->isAnonymous()) continue;
        acutPrintf("\n  %s", block->name());
        ++shown;
    }
    if (!shown) acutPrintf("\n  (none)");
}

// Asks for a name (it ends at a space, as in scripts) until it is not "?", which lists the
// blocks; an empty name is answered.
int askBlockName(AcDbDatabase* db, const char* prompt, std::string& name) {
    for (;;) {
        int rc = askText(prompt, name, false);
        if (rc != RTNORM) return rc;
        name = trimmed(name);
        if (name != "?") return RTNORM;
        listBlocks(db);
    }
}

// Whether any of the entities refers to the block, directly or through nested references.
bool refersTo(const AcDbObjectIdArray& entities, AcDbObjectId block) {
    std::vector<AcDbObjectId> pending(entities.begin(), entities.end());
    std::set<AcDbObjectId> seen;
    while (!pending.empty()) {
        const AcDbObjectId id = pending.back();
        pending.pop_back();
        AcDbObjectId inner;
        {
            Opened<AcDbBlockReference> ref(id, AcDb::kForRead);
            if (!ref) continue;
            inner = ref->blockTableRecord();
        }
        if (inner == block) return true;
        if (inner.isNull() || !seen.insert(inner).second) continue;
        for (const AcDbObjectId& member : blockEntities(inner)) pending.push_back(member);
    }
    return false;
}

// ---- BLOCK ----

int blockCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    std::string name, why;
    for (;;) {
        int rc = askBlockName(db, "\nEnter block name or [?]: ", name);
        if (rc != RTNORM) return rc;
        if (name.empty()) return RTNORM;
        if (isValidName(name, why)) break;
        if (!retryAfter(why)) return RTERROR;
    }
    const AcDbObjectId existing = findBlock(db, name);
    if (!existing.isNull()) {
        bool fixed = false;
        {
            Opened<AcDbBlockTableRecord> block(existing, AcDb::kForRead);
            fixed = !block || block->isLayout() || block->isFromExternalReference();
        }
        if (fixed) return failWith("\"" + name + "\" is a layout or an external reference and cannot be redefined.");
        const std::string question = "\nBlock \"" + name + "\" already exists. Redefine it? [Yes/No] <No>: ";
        if (!askYesNo(question.c_str(), false)) return RTCAN;
    }
    AcGePoint3d base;
    int rc = askPoint("\nSpecify insertion base point: ", base, RSG_NONULL);
    if (rc != RTNORM) return rc;
    AcDbObjectIdArray ids;
    rc = acedHostSelectObjects(nullptr, ids);
    if (rc == RTNONE) return failWith("No objects selected; the block is not defined.");
    if (rc != RTNORM) return rc;
    if (!existing.isNull() && refersTo(ids, existing))
        return failWith("A block cannot contain a reference to itself; \"" + name + "\" is not redefined.");

    AcDbObjectId blockId = existing;
    if (blockId.isNull()) {
        Opened<AcDbBlockTable> table(db->blockTableId(), AcDb::kForWrite);
        if (!table) return failWith("The block table cannot be changed now (" + statusText(table.status()) + ").");
        auto* record = new AcDbBlockTableRecord;
        record->setName(name.c_str());
        record->setOrigin(base);
        Acad::ErrorStatus es = table->add(blockId, record);
        if (es != Acad::eOk) {
            delete record;
            return failWith("The block \"" + name + "\" cannot be added (" + statusText(es) + ").");
        }
        record->close();
    }
    const std::vector<AcDbObjectId> previous = existing.isNull() ? std::vector<AcDbObjectId>() : blockEntities(existing);
    AcDbIdMapping map;
    map.setDeepCloneContext(AcDb::kDcBlock);
    Acad::ErrorStatus es = deepCloneWithNotifications(db, ids, blockId, map);
    if (es != Acad::eOk) {
        if (existing.isNull()) eraseObjects(AcDbObjectIdArray({blockId}));
        return failWith("The objects cannot be copied into the block (" + statusText(es) + ").");
    }
    if (!existing.isNull()) {
        AcDbObjectIdArray old;
        for (const AcDbObjectId& id : previous) old.append(id);
        eraseObjects(old);
        Opened<AcDbBlockTableRecord> block(existing, AcDb::kForWrite);
        if (block) block->setOrigin(base);
    }
    const int kept = eraseObjects(ids);
    if ((es = acdbHostStoreBlockIcon(db, blockId)) != Acad::eOk)
        acutPrintf("\nThe block's preview icon cannot be stored (%s).", statusText(es).c_str());
    acutPrintf("\nBlock \"%s\" %s with %d object(s).", name.c_str(), existing.isNull() ? "defined" : "redefined",
               ids.length());
    if (kept) acutPrintf("\n%d of the selected objects could not be erased.", kept);
    return RTNORM;
}

// ---- WBLOCK ----

int wblockCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    std::string file;
    int rc = askFileName("\nEnter name of output file: ", file);
    if (rc != RTNORM) return rc;
    if (file.empty()) return RTCAN;
    if (fs::path(file).extension().empty()) file += acedHostBinaryDrawingsAvailable() ? ".dwg" : ".dxf";
    std::error_code ec;
    if (fs::is_directory(file, ec)) return failWith("\"" + file + "\" is a folder.");
    for (AcApDocument* open : acDocManager->documents())
        if (open->isNamed() && fs::equivalent(file, open->fileName(), ec))
            return failWith("\"" + file + "\" is the file of an open drawing; it is not overwritten.");
    if (fs::exists(file, ec) && AcEdCommandLine::instance().interactive()) {
        const std::string question = "\n" + file + " already exists. Replace it? [Yes/No] <No>: ";
        if (!askYesNo(question.c_str(), false)) return RTCAN;
    }
    std::string name;
    rc = askText("\nEnter name of existing block or [= (block=output file)/* (whole drawing)] <define new drawing>: ",
                 name, false);
    if (rc != RTNORM) return rc;
    name = trimmed(name);
    AcDbDatabase* made = nullptr;
    Acad::ErrorStatus es = Acad::eOk;
    // Which beginWblock the editor reactors hear once the output drawing exists.
    std::function<void(AcEditorReactor*)> begin;
    if (name == "*") {
        es = db->wblock(made);
        begin = [&](AcEditorReactor* r) { r->beginWblock(made, db); };
    } else if (!name.empty()) {
        if (name == "=") name = fs::path(file).stem().string();
        const AcDbObjectId block = findBlock(db, name);
        if (block.isNull()) return failWith("Block \"" + name + "\" not found.");
        es = db->wblock(made, block);
        begin = [&, block](AcEditorReactor* r) { r->beginWblock(made, db, block); };
    } else {
        AcGePoint3d base;
        if ((rc = askPoint("\nSpecify insertion base point: ", base, RSG_NONULL)) != RTNORM) return rc;
        AcDbObjectIdArray ids;
        rc = acedHostSelectObjects(nullptr, ids);
        if (rc == RTNONE) return failWith("No objects selected; nothing is written.");
        if (rc != RTNORM) return rc;
        es = db->wblock(made, ids, base);
        begin = [&, base](AcEditorReactor* r) {
            const AcGePoint3d* point = &base;
            r->beginWblock(made, db, point);
        };
    }
    std::unique_ptr<AcDbDatabase> output(made);
    if (es != Acad::eOk || !output) return failWith("The drawing to write cannot be made (" + statusText(es) + ").");
    acedEditor->notify(begin);
    // The written drawing's model space carries the icon that its block gets when it is inserted.
    if ((es = acdbHostStoreBlockIcon(output.get(), output->modelSpaceId())) != Acad::eOk)
        acutPrintf("\nThe drawing's preview icon cannot be stored (%s).", statusText(es).c_str());
    std::string error;
    if (acedHostWriteDrawing(*output, file.c_str(), error) != Acad::eOk) {
        acedEditor->notify([&](AcEditorReactor* r) { r->abortWblock(made); });
        return failWith(error);
    }
    acedEditor->notify([&](AcEditorReactor* r) { r->endWblock(made); });
    acutPrintf("\nWrote %s.", file.c_str());
    return RTNORM;
}

// ---- INSERT ----

struct AttributeDefinition {
    AcDbObjectId id;
    std::string tag, prompt, value;
    bool constant = false, preset = false;
};

std::vector<AttributeDefinition> attributeDefinitions(AcDbObjectId blockId) {
    std::vector<AttributeDefinition> defs;
    for (const AcDbObjectId& id : blockEntities(blockId)) {
        Opened<AcDbAttributeDefinition> def(id, AcDb::kForRead);
        if (!def) continue;
        defs.push_back(AttributeDefinition{id, def->tagConst(), def->promptConst(), def->textStringConst(),
                                           def->isConstant(), def->isPreset()});
    }
    return defs;
}

int variable(const char* name, int fallback) {
    resbuf rb;
    if (acedGetVar(name, &rb) != RTNORM || rb.restype != RTSHORT) return fallback;
    return rb.resval.rint;
}

// The values of the non-constant definitions: asked on the command line while ATTREQ is 1
// (there is no attribute dialog, so ATTDIA 1 asks the same way), else their defaults.
int askAttributeValues(const std::vector<AttributeDefinition>& defs, std::vector<std::string>& values) {
    values.clear();
    const bool ask = variable("ATTREQ", 1) != 0;
    bool headed = false;
    for (const AttributeDefinition& def : defs) {
        if (def.constant) continue;
        if (!ask || def.preset) {
            values.push_back(def.value);
            continue;
        }
        if (!headed) acutPrintf("\nEnter attribute values");
        headed = true;
        const std::string label = def.prompt.empty() ? def.tag : def.prompt;
        const std::string prompt = "\n" + label + (def.value.empty() ? "" : " <" + def.value + ">") + ": ";
        std::string answer;
        int rc = askText(prompt.c_str(), answer, true);
        if (rc != RTNORM) return rc;
        values.push_back(answer.empty() ? def.value : answer);
    }
    return RTNORM;
}

// What an INSERT answer names: a block of the drawing, or a drawing file to insert as one.
struct InsertSource {
    std::string name;
    AcDbObjectId block;                    // the drawing's block, when it has it
    std::unique_ptr<AcDbDatabase> drawing;  // else the file's drawing
};

bool hasDrawingExtension(const fs::path& path) {
    const std::string ext = upperCase(path.extension().string());
    return ext == ".DWG" || ext == ".DXF";
}

// "name", "path" or "name=path".
int resolveInsertSource(AcDbDatabase* db, const std::string& answer, InsertSource& source) {
    std::string name = answer, path;
    const size_t eq = answer.find('=');
    const bool explicitName = eq != std::string::npos;
    if (explicitName) {
        name = trimmed(answer.substr(0, eq));
        path = trimmed(answer.substr(eq + 1));
        if (path.empty()) path = name;
    } else {
        const AcDbObjectId id = findBlock(db, name);
        if (!id.isNull()) {
            bool layout = false;
            {
                Opened<AcDbBlockTableRecord> block(id, AcDb::kForRead);
                layout = !block || block->isLayout();
            }
            if (layout) return failWith("\"" + name + "\" is a layout and cannot be inserted.");
            source.name = recordName(id);
            source.block = id;
            return RTNORM;
        }
        path = answer;
    }
    std::string mapped, refused;
    if (!cadhostLinuxPath(path.c_str(), mapped, &refused)) return failWith(refused);
    if (!explicitName) name = fs::path(mapped).stem().string();
    const bool looksLikeFile = explicitName || path.find_first_of("/\\") != std::string::npos || hasDrawingExtension(path);
    path = mapped;
    std::error_code ec;
    std::string found;
    std::vector<std::string> candidates{path};
    if (!hasDrawingExtension(path)) {
        candidates.push_back(path + ".dwg");
        candidates.push_back(path + ".dxf");
    }
    for (const std::string& c : candidates)
        if (fs::is_regular_file(c, ec)) {
            found = c;
            break;
        }
    if (found.empty())
        return failWith(looksLikeFile ? "Cannot find the drawing file \"" + path + "\"."
                                      : "Block \"" + answer + "\" not found, nor a drawing file of that name.");
    std::string why;
    if (!isValidName(name, why)) return failWith("\"" + name + "\" cannot name a block: " + why);
    const AcDbObjectId existing = findBlock(db, name);
    if (!existing.isNull()) {
        if (explicitName) return failWith("Block \"" + name + "\" already exists; it is not redefined from a file.");
        acutPrintf("\nBlock \"%s\" is already defined; the drawing's definition is used.", name.c_str());
        source.name = recordName(existing);
        source.block = existing;
        return RTNORM;
    }
    auto drawing = std::make_unique<AcDbDatabase>(false, true);
    std::string error;
    if (acedHostReadDrawing(*drawing, found.c_str(), error) != Acad::eOk) return failWith(error);
    source.name = name;
    source.drawing = std::move(drawing);
    return RTNORM;
}

// Inserts the file's drawing as a block definition, with the editor's insert notifications.
Acad::ErrorStatus defineFromDrawing(AcDbDatabase* db, InsertSource& source) {
    AcDbDatabase* from = source.drawing.get();
    acedEditor->notify([&](AcEditorReactor* r) { r->beginInsert(db, source.name.c_str(), from); });
    AcDbObjectId id;
    Acad::ErrorStatus es = db->insert(id, source.name.c_str(), from);
    if (es != Acad::eOk) {
        acedEditor->notify([&](AcEditorReactor* r) { r->abortInsert(db); });
        return es;
    }
    acedEditor->notify([&](AcEditorReactor* r) { r->endInsert(db); });
    source.block = id;
    return Acad::eOk;
}

// A reference in the current space with attributes for the definition's non-constant
// attribute definitions, in their order.
Acad::ErrorStatus addReference(AcDbDatabase* db, AcDbObjectId blockId, const AcGePoint3d& at, double scale,
                               double rotation, const std::vector<std::string>& values) {
    auto* ref = new AcDbBlockReference(at, blockId);
    ref->setDatabaseDefaults(db);
    ref->setScaleFactors(AcGeScale3d(scale));
    ref->setRotation(rotation);
    AcDbObjectId refId;
    {
        Opened<AcDbBlockTableRecord> space(db->currentSpaceId(), AcDb::kForWrite);
        Acad::ErrorStatus es = space ? space->appendAcDbEntity(refId, ref) : space.status();
        if (es != Acad::eOk) {
            delete ref;
            return es;
        }
    }
    const AcGeMatrix3d xform = ref->blockTransform();
    size_t next = 0;
    Acad::ErrorStatus es = Acad::eOk;
    for (const AttributeDefinition& info : attributeDefinitions(blockId)) {
        if (info.constant) continue;
        Opened<AcDbAttributeDefinition> def(info.id, AcDb::kForRead);
        if (!def) continue;
        auto* attribute = new AcDbAttribute;
        attribute->setPropertiesFrom(def.get());
        attribute->setAttributeFromBlock(def.get(), xform);
        if (next < values.size()) attribute->setTextString(values[next].c_str());
        ++next;
        def.close();
        es = ref->appendAttribute(attribute);
        if (es != Acad::eOk) {
            delete attribute;
            break;
        }
        attribute->close();
    }
    if (es != Acad::eOk) ref->erase();
    ref->close();
    return es;
}

int insertCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    std::string answer;
    int rc = askBlockName(db, "\nEnter block name or [?]: ", answer);
    if (rc != RTNORM) return rc;
    if (answer.empty()) return RTNORM;
    InsertSource source;
    if ((rc = resolveInsertSource(db, answer, source)) != RTNORM) return rc;

    AcGePoint3d at;
    if ((rc = askPoint("\nSpecify insertion point: ", at, RSG_NONULL)) != RTNORM) return rc;
    double scale = 1.0;
    rc = askReal("\nEnter scale factor <1>: ", scale, RSG_NOZERO);
    if (rc != RTNORM && rc != RTNONE) return rc;
    double rotation = 0.0;
    rc = askAngle("\nSpecify rotation angle <0>: ", &at, rotation, true);
    if (rc != RTNORM && rc != RTNONE) return rc;
    // The definitions come from the file's model space until the file is inserted.
    const AcDbObjectId definitions = source.drawing ? source.drawing->modelSpaceId() : source.block;
    std::vector<std::string> values;
    if ((rc = askAttributeValues(attributeDefinitions(definitions), values)) != RTNORM) return rc;

    if (source.drawing) {
        Acad::ErrorStatus es = defineFromDrawing(db, source);
        if (es != Acad::eOk)
            return failWith("The drawing cannot be inserted as block \"" + source.name + "\" (" + statusText(es) + ").");
    }
    Acad::ErrorStatus es = addReference(db, source.block, at, scale, rotation, values);
    if (es != Acad::eOk) return failWith("The block reference cannot be added (" + statusText(es) + ").");
    return RTNORM;
}

// ---- PURGE ----

struct PurgeKind {
    const char* keyword;
    const char* noun;
    AcDbObjectId (AcDbDatabase::*table)() const;
};
const PurgeKind kPurgeKinds[] = {
    {"Blocks", "block", &AcDbDatabase::blockTableId},
    {"LAyers", "layer", &AcDbDatabase::layerTableId},
    {"LTypes", "linetype", &AcDbDatabase::linetypeTableId},
    {"STyles", "text style", &AcDbDatabase::textStyleTableId},
};

// Records of a table that the names match and that purging may consider.
AcDbObjectIdArray purgeCandidates(AcDbDatabase* db, const PurgeKind& kind, const std::string& pattern) {
    std::vector<AcDbObjectId> ids;
    {
        Opened<AcDbSymbolTable> table((db->*kind.table)(), AcDb::kForRead);
        if (table) ids = table->recordIds();
    }
    AcDbObjectIdArray candidates;
    for (const AcDbObjectId& id : ids) {
        if (id.isErased()) continue;
        Opened<AcDbSymbolTableRecord> record(id, AcDb::kForRead);
        if (!record || record->isDependent()) continue;
        if (auto* block = AcDbBlockTableRecord::cast(record.get()); block && (block->isLayout() || block->isFromExternalReference()))
            continue;
        if (wildcardMatch(pattern, record->name())) candidates.append(id);
    }
    return candidates;
}

// Erases a block with its entities; false (nothing erased) when an entity cannot be.
bool eraseBlock(AcDbObjectId id) {
    AcDbObjectIdArray members;
    for (const AcDbObjectId& m : blockEntities(id)) members.append(m);
    if (eraseObjects(members) != 0) return false;
    return eraseObjects(AcDbObjectIdArray({id})) == 0;
}

int purgeCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    std::string keyword;
    int rc = askKeyword("\nEnter type of unused objects to purge [Blocks/LAyers/LTypes/STyles/All]: ",
                        "Blocks LAyers LTypes STyles All", keyword);
    if (rc == RTNONE) return RTNORM;
    if (rc != RTNORM) return rc;
    std::string pattern;
    if ((rc = askText("\nEnter name(s) to purge <*>: ", pattern, false)) != RTNORM) return rc;
    pattern = trimmed(pattern);
    if (pattern.empty()) pattern = "*";
    int purged = 0;
    // What a purged block used may be unused afterwards: repeat until a pass finds nothing.
    for (bool again = true; again;) {
        again = false;
        for (const PurgeKind& kind : kPurgeKinds) {
            if (keyword != "All" && keyword != kind.keyword) continue;
            AcDbObjectIdArray unused = purgeCandidates(db, kind, pattern);
            if (unused.isEmpty()) continue;
            db->purge(unused);
            for (const AcDbObjectId& id : unused) {
                const std::string name = recordName(id);
                const bool block = kind.table == &AcDbDatabase::blockTableId;
                if (!(block ? eraseBlock(id) : eraseObjects(AcDbObjectIdArray({id})) == 0)) continue;
                acutPrintf("\nDeleting %s \"%s\".", kind.noun, name.c_str());
                ++purged;
                again = true;
            }
        }
    }
    if (purged) acutPrintf("\n%d object(s) purged.", purged);
    else acutPrintf("\nNo unreferenced objects found.");
    return RTNORM;
}
}  // namespace

CADHOST_COMMANDS(blocks, {
    {"BLOCK", blockCommand},
    {"WBLOCK", wblockCommand},
    {"INSERT", insertCommand},
    {"DDINSERT", insertCommand},
    {"PURGE", purgeCommand},
});
