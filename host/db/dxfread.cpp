// AcDbDatabase::readDxfFile: ASCII DXF of any release from R12 on.
//
// The file is read into a new database that takes the place of the drawing's contents only
// when all of it was read; a file that cannot be read leaves the drawing as it was.
//
// What is kept: header variables, the nine symbol tables, block definitions, entities and the
// objects of OBJECTS. Entities and objects of classes not registered here (dictionaries,
// groups, layouts, xrecords, image definitions, ...) become proxies (AcDbProxyEntity,
// AcDbProxyObject) that write their groups back unchanged; the first dictionary without an
// owner is the named object dictionary. Handles of the file are kept, and with them the
// references that the kept groups make; references to handles the file does not define stay
// unresolved ids.
#include <unistd.h>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <unordered_map>
#include "db/dxffile.h"
#include "db/dxffiler.h"
#include "db/dxfsubents.h"
#include "db/entitysupport.h"
#include "db/hostinternal.h"
#include "db/undolog.h"
#include "db/proxyentity.h"
#include "db/proxyobject.h"
#include "rx/dictionary.h"
#include "win/drives.h"

using namespace cadhost::dxf;

namespace {

struct ClassEntry {
    std::string cppName, appName;
    int proxyFlags = 0;
};

enum TableIndex { kBlocks = 0, kLayers, kLinetypes, kStyles, kViews, kUcs, kViewports, kApps, kDimStyles };

struct TableKind {
    const char* name;
    TableIndex index;
};
const TableKind kTables[] = {{"VPORT", kViewports}, {"LTYPE", kLinetypes}, {"LAYER", kLayers},
                             {"STYLE", kStyles},    {"VIEW", kViews},      {"UCS", kUcs},
                             {"APPID", kApps},      {"DIMSTYLE", kDimStyles}, {"BLOCK_RECORD", kBlocks}};

class DxfReader {
public:
    DxfReader(AcDbDatabase* db, TokenReader&& reader)
        : m_db(db), m_reader(std::move(reader)), m_in(m_reader, db) {
        m_in.setCodePage1252(true);
        m_filer = &m_in;
    }
    Acad::ErrorStatus run();
    std::string message() const { return m_message; }

private:
    // Reading of groups.
    bool next();  // the next group into m_rb; false at the end of the data or on error
    void back() { m_filer->pushBackItem(); }
    bool at(int code, const char* value) const {
        return m_rb.restype == code && kindOfGroupCode(code) == ValueKind::String && m_rb.resval.rstring &&
               std::strcmp(m_rb.resval.rstring, value) == 0;
    }
    // The value of the group in m_rb. A group whose code holds another kind of value fails the
    // read (naming its line) and gives an empty value.
    bool holds(ValueKind kind);
    std::string str();
    double real();
    AcGePoint3d point();
    int integer();  // 16-bit, 32-bit or boolean codes
    uint64_t handle();
    AcArray<Adesk::UInt8> bytes();
    Acad::ErrorStatus fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
    Acad::ErrorStatus failFromFiler(const std::string& what);
    bool failed() const { return m_status != Acad::eOk; }
    // Skips to the next group 0 (left unread).
    void skipToNextObject();

    Acad::ErrorStatus readHeader();
    Acad::ErrorStatus readClasses();
    Acad::ErrorStatus readTables();
    Acad::ErrorStatus readTable();
    Acad::ErrorStatus readRecord(AcDbObjectId tableId, const char* dxfName);
    Acad::ErrorStatus readBlocks();
    Acad::ErrorStatus readEntities();
    Acad::ErrorStatus readObjects();
    Acad::ErrorStatus skipSection();
    // Fails on a group 0 that lays out the file (SECTION, EOF, TABLE, ...) where an entity or
    // object of the section is due: no entity or object has such a name.
    Acad::ErrorStatus refuseLayoutName(const std::string& name, const char* section);

    // An entity (or object) whose group 0 was read: the common groups, the class's own groups,
    // extended data. It joins the database owned by owner and is left open for write in out.
    // With join false the object stays outside the database (its parent adds it) and out owns it.
    Acad::ErrorStatus readObject(const std::string& dxfName, AcDbObjectId owner, bool entity, bool join,
                                 AcDbObject*& out);
    // An entity and what follows it (vertices, attributes, SEQEND), appended to a block.
    Acad::ErrorStatus readEntityInto(const std::string& dxfName, AcDbObjectId block);
    Acad::ErrorStatus readXData(AcDbObject* obj);
    // An object's groups start at raw[from], an entity's after its common part.
    void keepRawGroups(AcDbObject* obj, const std::vector<std::pair<int, std::string>>& raw, size_t from);
    void keepMemoryGroups(AcDbObject* obj, const AcDbDxfMemoryFiler& mem);
    AcRxClass* classFor(const std::string& dxfName, bool entity);
    AcDbObjectId idFor(uint64_t handle);
    AcDbObjectId ensureTable(TableIndex index, uint64_t handle);
    AcDbObjectId findBlock(const std::string& name);
    AcDbBlockTableRecord* blockOf(AcDbObjectId id);
    bool isBlock(AcDbObjectId id) { return blockOf(id) != nullptr; }
    void ensureApp(const char* name);
    // Groups of an entity put in the order the classes read them, in memory: R12 entities have
    // no subclass markers; some writers put common groups out of place.
    Acad::ErrorStatus regroup(const std::string& dxfName, AcRxClass* cls, AcDbDxfMemoryFiler& mem);

    AcDbDatabase* m_db;
    TokenReader m_reader;
    AcDbDxfInFiler m_in;
    AcDbDxfFilerBase* m_filer;  // m_in, or a memory filer while an entity is read from memory
    resbuf m_rb;
    Acad::ErrorStatus m_status = Acad::eOk;
    std::string m_message;
    uint64_t m_fileHandseed = 0;
    std::string m_version;
    std::unordered_map<std::string, ClassEntry> m_fileClasses;  // CLASSES by DXF name
    std::unordered_map<std::string, AcRxClass*> m_classes;      // registered classes by DXF name
    std::unordered_map<std::string, AcRxClass*> m_resolved;
    std::vector<std::pair<AcDbObjectId, std::string>> m_layerLinetypes;
    bool m_sawEof = false;
    bool m_forceProxy = false;  // the vertices and SEQEND after a POLYLINE kept as a proxy
    bool m_lastWasProxy = false;
    AcDbObjectId m_lastBlockId;  // the block looked up last
    AcDbBlockTableRecord* m_lastBlock = nullptr;
};

Acad::ErrorStatus DxfReader::fail(const char* format, ...) {
    if (failed()) return m_status;
    char buffer[512];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    m_status = Acad::eDxfReadAborted;
    m_message = m_in.line() ? "line " + std::to_string(m_in.line()) + ": " + buffer : std::string(buffer);
    return m_status;
}

Acad::ErrorStatus DxfReader::failFromFiler(const std::string& what) {
    if (failed()) return m_status;
    Acad::ErrorStatus es = m_filer->filerStatus();
    if (es == Acad::eOk) es = m_in.filerStatus();
    m_status = es == Acad::eOk ? Acad::eDxfReadAborted : es;
    std::string detail = *m_filer->errorMessage() ? m_filer->errorMessage() : m_in.errorMessage();
    if (detail.empty() && m_in.line()) detail = "line " + std::to_string(m_in.line());
    m_message = what + (detail.empty() ? std::string() : ": " + detail);
    return m_status;
}

bool DxfReader::next() {
    if (failed()) return false;
    Acad::ErrorStatus es = m_filer->readItem(&m_rb);
    if (es == Acad::eOk) return true;
    if (es != Acad::eEndOfFile) failFromFiler("unreadable group");
    return false;
}

namespace {
const char* kindName(ValueKind kind) {
    switch (kind) {
    case ValueKind::String: return "text";
    case ValueKind::Double: return "a real";
    case ValueKind::Int16: return "a 16-bit integer";
    case ValueKind::Int32: return "a 32-bit integer";
    case ValueKind::Int64: return "a 64-bit integer";
    case ValueKind::Bool: return "a boolean";
    case ValueKind::Handle: return "a handle";
    case ValueKind::Binary: return "binary data";
    }
    return "a value";
}
}  // namespace

bool DxfReader::holds(ValueKind kind) {
    const ValueKind has = kindOfGroupCode(m_rb.restype);
    if (has == kind) return true;
    fail("group %d holds %s where %s is expected", m_rb.restype, kindName(has), kindName(kind));
    return false;
}

std::string DxfReader::str() {
    return holds(ValueKind::String) && m_rb.resval.rstring ? m_rb.resval.rstring : "";
}

double DxfReader::real() {
    return holds(ValueKind::Double) ? m_rb.resval.rreal : 0.0;
}

AcGePoint3d DxfReader::point() {
    if (!AcDbDxfFilerBase::isPointCode(m_rb.restype)) {
        if (holds(ValueKind::Double)) fail("group %d holds a real where a point is expected", m_rb.restype);
        return AcGePoint3d::kOrigin;
    }
    const double* p = m_rb.resval.rpoint;
    return AcGePoint3d(p[0], p[1], p[2]);
}

int DxfReader::integer() {
    switch (kindOfGroupCode(m_rb.restype)) {
    case ValueKind::Int16:
    case ValueKind::Bool: return m_rb.resval.rint;
    case ValueKind::Int32: return m_rb.resval.rlong;
    default: return holds(ValueKind::Int16) ? m_rb.resval.rint : 0;
    }
}

uint64_t DxfReader::handle() {
    // Code 5 (and names in handle groups) hold handles as text.
    if (kindOfGroupCode(m_rb.restype) == ValueKind::String) return parseHandle(str()).value_or(0);
    return holds(ValueKind::Handle) ? static_cast<uint64_t>(m_rb.resval.rlname[0]) : 0;
}

AcArray<Adesk::UInt8> DxfReader::bytes() {
    AcArray<Adesk::UInt8> out;
    if (!holds(ValueKind::Binary)) return out;
    for (short i = 0; i < m_rb.resval.rbinary.clen; ++i) out.append(static_cast<Adesk::UInt8>(m_rb.resval.rbinary.buf[i]));
    return out;
}

void DxfReader::skipToNextObject() {
    while (next()) {
        if (m_rb.restype == 0) {
            back();
            return;
        }
    }
}

AcDbObjectId DxfReader::idFor(uint64_t handle) {
    AcDbObjectId id;
    if (handle == 0) return id;
    m_db->getAcDbObjectId(id, true, AcDbHandle(handle));
    // A handle the file uses twice belongs to the first object; later ones get new handles.
    if (id.stub() && id.stub()->object) return AcDbObjectId::kNull;
    return id;
}

AcRxClass* DxfReader::classFor(const std::string& dxfName, bool entity) {
    if (m_classes.empty()) {
        // Once per read: every registered class with a DXF name; of classes sharing a name the
        // one nearest the root wins (a class derived from another keeps its parent's name).
        AcRxDictionaryIterator* it = acrxClassDictionary()->newIterator();
        for (; !it->done(); it->next()) {
            auto* cls = static_cast<AcRxClass*>(it->object());  // the dictionary holds classes only
            if (!cls || !*cls->dxfName()) continue;
            auto [pos, added] = m_classes.emplace(cls->dxfName(), cls);
            if (!added && pos->second->isDerivedFrom(cls)) pos->second = cls;
        }
        delete it;
        m_classes.emplace("", nullptr);
    }
    auto cached = m_resolved.find(dxfName);
    if (cached != m_resolved.end()) return cached->second;
    AcRxClass* cls = nullptr;
    if (auto fc = m_fileClasses.find(dxfName); fc != m_fileClasses.end()) cls = acrxFindClass(fc->second.cppName.c_str());
    if (!cls)
        if (auto c = m_classes.find(dxfName); c != m_classes.end()) cls = c->second;
    AcRxClass* base = entity ? AcDbEntity::desc() : AcDbObject::desc();
    // Proxies of the file (ACAD_PROXY_ENTITY) are kept like entities of unknown classes.
    if (cls && (!cls->isDerivedFrom(base) || (!entity && cls->isDerivedFrom(AcDbEntity::desc())) ||
                cls->isDerivedFrom(AcDbProxyEntity::desc()) ||
                cls->isDerivedFrom(AcDbSymbolTable::desc()) || cls->isDerivedFrom(AcDbSymbolTableRecord::desc())))
        cls = nullptr;
    m_resolved[dxfName] = cls;
    return cls;
}

Acad::ErrorStatus DxfReader::run() {
    std::string lastSection;
    while (next()) {
        if (m_rb.restype == 999) continue;
        if (m_rb.restype == 9 && lastSection == "HEADER") {
            // dxflib ends the header early and writes more variables after its ENDSEC.
            back();
            if (readHeader() != Acad::eOk) return m_status;
            continue;
        }
        if (m_rb.restype != 0) return fail("expected group 0 (SECTION or EOF), found group %d", m_rb.restype);
        if (at(0, "EOF")) {
            m_sawEof = true;
            break;
        }
        if (!at(0, "SECTION")) return fail("expected SECTION, found '%s'", str().c_str());
        if (!next()) return failed() ? m_status : fail("the file ends after SECTION");
        if (m_rb.restype != 2) return fail("expected group 2 with the section name, found group %d", m_rb.restype);
        std::string name = str();
        lastSection = name;
        Acad::ErrorStatus es;
        if (name == "HEADER") {
            es = readHeader();
            // Handles made while reading (attributes, layers a file uses but does not define)
            // come after every handle of the file.
            if (m_fileHandseed > 1) m_db->internalBumpHandseed(AcDbHandle(m_fileHandseed - 1));
        }
        else if (name == "CLASSES") es = readClasses();
        else if (name == "TABLES") es = readTables();
        else if (name == "BLOCKS") es = readBlocks();
        else if (name == "ENTITIES") es = readEntities();
        else if (name == "OBJECTS") es = readObjects();
        else es = skipSection();
        if (es != Acad::eOk) return failed() ? m_status : es;
    }
    if (failed()) return m_status;
    if (!m_sawEof) return fail("the file ends without 0 EOF (it is truncated)");

    // Layers name their linetypes; tables may come in any order.
    for (auto& [layerId, ltype] : m_layerLinetypes) {
        AcDbLayerTableRecord* layer = nullptr;
        if (acdbOpenObject(layer, layerId, AcDb::kForWrite) != Acad::eOk) continue;
        AcDbObjectId lt = cadhost::ent::recordByName(m_db->linetypeTableId(), ltype);
        layer->setLinetypeObjectId(lt);
        layer->close();
    }
    m_db->internalBuildDefaults();
    // Layers without a linetype (the file named none that exists) take Continuous.
    if (auto* layers = cadhost::db::peekAs<AcDbLayerTable>(m_db->layerTableId())) {
        for (AcDbObjectId id : layers->recordIds()) {
            auto* layer = cadhost::db::peekAs<AcDbLayerTableRecord>(id);
            if (!layer || !layer->linetypeObjectId().isNull()) continue;
            AcDbLayerTableRecord* open = nullptr;
            if (acdbOpenObject(open, id, AcDb::kForWrite) != Acad::eOk) continue;
            open->setLinetypeObjectId(m_db->continuousLinetype());
            open->close();
        }
    }
    if (m_fileHandseed > 1) m_db->internalBumpHandseed(AcDbHandle(m_fileHandseed - 1));
    return Acad::eOk;
}

Acad::ErrorStatus DxfReader::refuseLayoutName(const std::string& name, const char* section) {
    if (name == "EOF" || name == "SECTION") return fail("the %s section ends without 0 ENDSEC", section);
    for (const char* layout : {"ENDSEC", "TABLE", "ENDTAB", "BLOCK", "ENDBLK", "CLASS"})
        if (name == layout) return fail("0 %s in the %s section starts no entity or object", layout, section);
    return Acad::eOk;
}

Acad::ErrorStatus DxfReader::skipSection() {
    while (next())
        if (at(0, "ENDSEC")) return Acad::eOk;
    return failed() ? m_status : fail("the file ends inside a section (0 ENDSEC expected)");
}

// --- HEADER ---

Acad::ErrorStatus DxfReader::readHeader() {
    std::string name;
    bool haveValue = false;
    while (next()) {
        const int code = m_rb.restype;
        if (code == 0) {
            if (at(0, "ENDSEC")) return Acad::eOk;
            return fail("expected 0 ENDSEC to end the HEADER section, found '%s'", str().c_str());
        }
        if (code == 9) {
            name = cadhost::db::headerName(str());
            haveValue = false;
            continue;
        }
        if (code == 999 || name.empty() || haveValue) continue;  // further groups of a variable are left out
        haveValue = true;
        if (name == "HANDSEED") {
            std::string text = str();
            if (failed()) return m_status;
            auto h = parseHandle(text);
            if (!h) return fail("$HANDSEED is not a hexadecimal handle: '%s'", text.c_str());
            m_fileHandseed = *h;
            continue;
        }
        switch (kindOfGroupCode(code)) {
        case ValueKind::String:
            if (name == "ACADVER") {
                m_version = str();
                m_in.setCodePage1252(m_version < "AC1021");
            }
            m_db->setHeaderValue(name, str());
            break;
        case ValueKind::Double:
            if (AcDbDxfFilerBase::isPointCode(code))
                m_db->setHeaderValue(name, point());
            else
                m_db->setHeaderValue(name, real());
            break;
        case ValueKind::Int16:
        case ValueKind::Bool:
        case ValueKind::Int32:
            m_db->setHeaderValue(name, integer());
            break;
        case ValueKind::Int64:
            m_db->setHeaderValue(name, static_cast<int>(m_rb.resval.rlname[0]));
            break;
        case ValueKind::Handle:
            m_db->setHeaderValue(name, AcDbHandle(handle()).ascii());
            break;
        case ValueKind::Binary:
            break;
        }
    }
    return failed() ? m_status : fail("the file ends inside the HEADER section");
}

// --- CLASSES ---

Acad::ErrorStatus DxfReader::readClasses() {
    ClassEntry* current = nullptr;
    ClassEntry scratch;
    while (next()) {
        const int code = m_rb.restype;
        if (code == 0) {
            if (at(0, "ENDSEC")) return Acad::eOk;
            if (!at(0, "CLASS")) return fail("expected 0 CLASS in the CLASSES section, found '%s'", str().c_str());
            current = &scratch;
            scratch = ClassEntry();
            continue;
        }
        if (!current) return fail("group %d before the first CLASS", code);
        switch (code) {
        case 1: {
            std::string dxf = str();
            m_fileClasses[dxf] = scratch;
            current = &m_fileClasses[dxf];
            break;
        }
        case 2: current->cppName = str(); break;
        case 3: current->appName = str(); break;
        case 90: current->proxyFlags = integer(); break;
        default: break;
        }
    }
    return failed() ? m_status : fail("the file ends inside the CLASSES section");
}

// --- TABLES ---

AcDbObjectId DxfReader::ensureTable(TableIndex index, uint64_t handle) {
    const AcDbObjectId ids[9] = {m_db->blockTableId(), m_db->layerTableId(), m_db->linetypeTableId(),
                                 m_db->textStyleTableId(), m_db->viewTableId(), m_db->UCSTableId(),
                                 m_db->viewportTableId(), m_db->regAppTableId(), m_db->dimStyleTableId()};
    if (!ids[index].isNull()) return ids[index];
    AcDbSymbolTable* table = nullptr;
    switch (index) {
    case kBlocks: table = new AcDbBlockTable; break;
    case kLayers: table = new AcDbLayerTable; break;
    case kLinetypes: table = new AcDbLinetypeTable; break;
    case kStyles: table = new AcDbTextStyleTable; break;
    case kViews: table = new AcDbViewTable; break;
    case kUcs: table = new AcDbUCSTable; break;
    case kViewports: table = new AcDbViewportTable; break;
    case kApps: table = new AcDbRegAppTable; break;
    case kDimStyles: table = new AcDbDimStyleTable; break;
    }
    table->internalSetId(idFor(handle));
    AcDbObjectId id;
    if (m_db->addAcDbObject(id, table) != Acad::eOk) {
        delete table;
        return AcDbObjectId::kNull;
    }
    table->close();
    m_db->internalSetTableId(index, id);
    return id;
}

Acad::ErrorStatus DxfReader::readTables() {
    while (next()) {
        if (m_rb.restype == 999) continue;
        if (at(0, "ENDSEC")) return Acad::eOk;
        if (!at(0, "TABLE")) return fail("expected 0 TABLE in the TABLES section, found group %d '%s'", m_rb.restype,
                                         m_rb.restype == 0 ? str().c_str() : "");
        if (readTable() != Acad::eOk) return m_status;
    }
    return failed() ? m_status : fail("the file ends inside the TABLES section");
}

Acad::ErrorStatus DxfReader::readTable() {
    if (!next()) return failed() ? m_status : fail("the file ends after 0 TABLE");
    if (m_rb.restype != 2) return fail("expected group 2 with the table name, found group %d", m_rb.restype);
    std::string name = str();
    const TableKind* kind = nullptr;
    for (const TableKind& k : kTables)
        if (name == k.name) kind = &k;
    uint64_t handle = 0;
    while (next() && m_rb.restype != 0) {
        if (m_rb.restype == 5 || m_rb.restype == 105) handle = this->handle();
    }
    if (failed()) return m_status;
    back();
    AcDbObjectId tableId = kind ? ensureTable(kind->index, handle) : AcDbObjectId::kNull;
    while (next()) {
        if (m_rb.restype != 0) return fail("expected group 0 in the %s table, found group %d", name.c_str(), m_rb.restype);
        if (at(0, "ENDTAB")) return Acad::eOk;
        if (at(0, "ENDSEC") || at(0, "TABLE") || at(0, "EOF"))
            return fail("the %s table ends without 0 ENDTAB", name.c_str());
        std::string recordName = str();
        if (!kind || tableId.isNull()) {
            skipToNextObject();  // records of tables the host does not have
            continue;
        }
        if (readRecord(tableId, recordName.c_str()) != Acad::eOk) return m_status;
    }
    return failed() ? m_status : fail("the file ends inside the %s table", name.c_str());
}

namespace {
std::string validName(std::string name) {
    for (char& c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || u == 127 || std::strchr("<>/\\\":;?,=`", c)) c = '_';
    }
    for (size_t i = 1; i < name.size(); ++i)
        if (name[i] == '*') name[i] = '_';
    while (!name.empty() && name.back() == ' ') name.pop_back();
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    return name;
}
}  // namespace

Acad::ErrorStatus DxfReader::readRecord(AcDbObjectId tableId, const char* dxfName) {
    auto* table = cadhost::db::peekAs<AcDbSymbolTable>(tableId);
    AcRxClass* cls = table ? table->recordClass() : nullptr;
    AcDbSymbolTableRecord* rec = cls ? AcDbSymbolTableRecord::cast(cls->create()) : nullptr;
    if (!rec) {
        skipToNextObject();
        return m_status;
    }
    std::unique_ptr<AcDbSymbolTableRecord> owned(rec);
    auto* layer = AcDbLayerTableRecord::cast(rec);
    auto* ltype = AcDbLinetypeTableRecord::cast(rec);
    auto* style = AcDbTextStyleTableRecord::cast(rec);
    auto* vport = AcDbViewportTableRecord::cast(rec);
    auto* btr = AcDbBlockTableRecord::cast(rec);
    uint64_t handle = 0;
    std::string name, linetypeName;
    int flags = 0, color = 7, dashes = 0;
    double aspect = 0;
    AcArray<Adesk::UInt8> preview;
    bool inGroup = false;
    while (next()) {
        const int code = m_rb.restype;
        if (code == 0 || code >= 1000) {
            back();
            break;
        }
        if (inGroup) {
            if (code == 102) inGroup = false;
            continue;
        }
        switch (code) {
        case 5:
        case 105:  // DIMSTYLE records
            if (!handle) handle = this->handle();
            continue;
        case 102: inGroup = str().starts_with("{"); continue;
        case 2: name = str(); continue;
        case 70: flags = integer(); continue;
        default: break;
        }
        if (layer) {
            if (code == 62) color = integer();
            else if (code == 6) linetypeName = str();
            else if (code == 370) layer->setLineWeight(static_cast<AcDb::LineWeight>(integer()));
            else if (code == 290) layer->setIsPlottable(integer() != 0);
        } else if (ltype) {
            if (code == 3) ltype->setComments(str().c_str());
            else if (code == 49) {
                ltype->setNumDashes(dashes + 1);
                ltype->setDashLengthAt(dashes++, real());
            }
        } else if (style) {
            if (code == 40) style->setTextSize(real());
            else if (code == 41) style->setXScale(real());
            else if (code == 50) style->setObliquingAngle(real() * cadhost::ent::kPi / 180.0);
            else if (code == 71) style->setFlagBits(static_cast<Adesk::UInt8>(integer()));
            else if (code == 42) style->setPriorSize(real());
            else if (code == 3) style->setFileName(str().c_str());
            else if (code == 4) style->setBigFontFileName(str().c_str());
        } else if (vport) {
            if (code == 12) vport->setCenterPoint(AcGePoint2d(point().x, point().y));
            else if (code == 16) vport->setViewDirection(point().asVector());
            else if (code == 40) vport->setHeight(real());
            else if (code == 41) aspect = real();
        } else if (btr) {
            if (code == 310) preview.append(bytes());
        }
    }
    if (failed()) return m_status;
    if (name.empty()) {
        // A record without a name cannot be looked up; its groups are dropped.
        skipToNextObject();
        return m_status;
    }
    std::string valid = validName(name);
    if (valid.empty() || rec->setName(valid.c_str()) != Acad::eOk) {
        skipToNextObject();
        return m_status;
    }
    rec->setFlags(static_cast<Adesk::Int16>(flags));
    if (layer) {
        layer->setColor(AcCmColor::fromIndex(static_cast<Adesk::UInt16>(color == 0 ? 7 : std::min(std::abs(color), 256))));
        layer->setIsOff(color < 0);
    }
    if (vport && aspect > 0) vport->setWidth(vport->height() * aspect);
    if (btr && !preview.isEmpty()) btr->setPreviewIcon(preview);

    AcDbSymbolTable* open = nullptr;
    if (acdbOpenObject(open, tableId, AcDb::kForWrite) != Acad::eOk) return fail("the %s table cannot be opened", dxfName);
    if (open->has(valid.c_str())) {
        // A second record of a name (names compare without case) is dropped.
        open->close();
        skipToNextObject();
        return m_status;
    }
    // The record keeps the file's handle: it joins the database as add() would have it join.
    rec->internalSetId(idFor(handle));
    rec->internalSetOwner(tableId);
    AcDbObjectId id;
    Acad::ErrorStatus es = m_db->addAcDbObject(id, rec);
    if (es != Acad::eOk) {
        open->close();
        rec->internalSetId(AcDbObjectId::kNull);
        skipToNextObject();
        return m_status;
    }
    open->internalAppend(id, valid);
    open->close();
    owned.release();
    es = readXData(rec);
    rec->close();
    if (es != Acad::eOk) return m_status;
    if (layer && !linetypeName.empty()) m_layerLinetypes.emplace_back(id, linetypeName);
    return Acad::eOk;
}

// --- extended data ---

void DxfReader::ensureApp(const char* name) {
    AcDbObjectId tableId = ensureTable(kApps, 0);
    auto* table = cadhost::db::peekAs<AcDbSymbolTable>(tableId);
    if (!table || !table->internalLookup(name).isNull()) return;
    AcDbSymbolTable* open = nullptr;
    if (acdbOpenObject(open, tableId, AcDb::kForWrite) != Acad::eOk) return;
    auto* app = new AcDbRegAppTableRecord;
    if (app->setName(name) == Acad::eOk && open->add(app) == Acad::eOk)
        app->close();
    else
        delete app;
    open->close();
}

// Groups 1000 and up until the next object; the object is open for write.
Acad::ErrorStatus DxfReader::readXData(AcDbObject* obj) {
    resbuf head;
    resbuf* tail = &head;
    size_t firstLine = 0;  // of the first group, when read from the text
    while (next()) {
        const int code = m_rb.restype;
        if (code == 0) {
            back();
            break;
        }
        if (code < 1000) continue;  // groups the class did not take
        if (!head.rbnext && m_filer == &m_in) firstLine = m_in.line();
        if (code == 1001) {
            std::string app = str();
            if (!app.empty()) ensureApp(app.c_str());
        }
        // The filer hands on codes 1000 to 1071 only, whose values are laid out as result
        // buffers lay them out: the copy owns what the buffer kind says it owns.
        m_rb.rbnext = nullptr;
        tail->rbnext = cadhost::rx::copyResbufChain(&m_rb);
        tail = tail->rbnext;
    }
    if (failed()) {
        acutRelRb(head.rbnext);
        return m_status;
    }
    Acad::ErrorStatus es = Acad::eOk;
    // Extended data that does not start with an application name is not kept.
    if (head.rbnext && head.rbnext->restype == 1001) es = obj->setXData(head.rbnext);
    acutRelRb(head.rbnext);
    if (es != Acad::eOk) {
        const char* what = "the extended data cannot be kept (an empty application name or unbalanced 1002 braces)";
        if (!firstLine) return fail("%s", what);
        m_status = Acad::eDxfReadAborted;
        m_message = "line " + std::to_string(firstLine) + ": " + what;
    }
    return m_status;
}

// --- entities and objects ---

Acad::ErrorStatus DxfReader::regroup(const std::string& dxfName, AcRxClass* cls, AcDbDxfMemoryFiler& mem) {
    // Groups of the object, by part.
    AcDbDxfMemoryFiler all(m_db);
    while (next()) {
        if (m_rb.restype == 0) {
            back();
            break;
        }
        all.writeItem(m_rb);
    }
    if (failed()) return m_status;
    auto& groups = all.groups();
    bool marked = false;
    for (const AcDbDxfGroup& g : groups) marked |= g.code == 100;
    if (marked) {
        // Subclass markers are there: the common groups before the first group of the class's
        // own go to the AcDbEntity part, the rest stays in order.
        std::vector<bool> hoisted(groups.size(), false);
        mem.writeSubclass("AcDbEntity");
        for (size_t i = 0; i < groups.size(); ++i) {
            const AcDbDxfGroup& g = groups[i];
            if (g.code == 100) {
                if (g.text == "AcDbEntity") hoisted[i] = true;
                continue;
            }
            if (!isCommonEntityCode(g.code)) break;
            mem.groups().push_back(g);
            hoisted[i] = true;
        }
        for (size_t i = 0; i < groups.size(); ++i)
            if (!hoisted[i]) mem.groups().push_back(groups[i]);
        return Acad::eOk;
    }
    const R12Layout* layout = r12Layout(dxfName);
    std::vector<std::string> markers;
    if (layout) {
        for (const char* m : layout->markers)
            if (m) markers.emplace_back(m);
    } else if (cls) {
        // One part, named like the class (AcDbLine, AcDbCircle, ...).
        markers.emplace_back(cls->name());
    }
    auto codeIn = [](const char* list, int code) {
        if (!list) return false;
        std::string s = std::string(" ") + list + " ";
        return s.find(" " + std::to_string(code) + " ") != std::string::npos;
    };
    auto copy = [&](auto pick) {
        for (const AcDbDxfGroup& g : groups)
            if (g.code < 1000 && pick(g.code)) mem.groups().push_back(g);
    };
    mem.writeSubclass("AcDbEntity");
    copy([](int c) { return isCommonEntityCode(c); });
    for (size_t i = 0; i < markers.size(); ++i) {
        mem.writeSubclass(markers[i].c_str());
        const bool last = i + 1 == markers.size();
        const char* list = layout ? (i == 0 ? layout->codesOfFirst : layout->codesOfSecond) : nullptr;
        copy([&](int c) {
            if (isCommonEntityCode(c)) return false;
            if (last) {
                // What no earlier part holds.
                for (size_t k = 0; k < i; ++k)
                    if (codeIn(layout ? (k == 0 ? layout->codesOfFirst : layout->codesOfSecond) : nullptr, c)) return false;
                return true;
            }
            return codeIn(list, c);
        });
    }
    if (markers.empty()) copy([](int c) { return !isCommonEntityCode(c); });
    for (const AcDbDxfGroup& g : groups)
        if (g.code >= 1000) mem.groups().push_back(g);
    return Acad::eOk;
}

Acad::ErrorStatus DxfReader::readObject(const std::string& dxfName, AcDbObjectId owner, bool entity, bool join,
                                        AcDbObject*& out) {
    out = nullptr;
    m_lastWasProxy = false;
    AcRxClass* cls = m_forceProxy ? nullptr : classFor(dxfName, entity);
    // A proxy read from the text keeps its groups as the file has them: an object's from the
    // first group after the common ones (raw[common] on).
    std::vector<std::pair<int, std::string>> raw;
    size_t common = 0;
    struct StopCapture {
        AcDbDxfInFiler& in;
        ~StopCapture() { in.setCapture(nullptr); }
    } stopCapture{m_in};
    if (!entity && !cls && m_filer == &m_in) m_in.setCapture(&raw);
    // Common groups: handle, application groups, owner.
    uint64_t handle = 0, ownerHandle = 0, xdictHandle = 0;
    bool haveOwner = false;
    std::vector<uint64_t> reactors;
    while (true) {
        common = raw.size();
        if (!next()) break;
        const int code = m_rb.restype;
        if (code == 5) {
            if (!handle) handle = this->handle();
        } else if (code == 102) {
            std::string group = str();
            bool isReactors = group == "{ACAD_REACTORS";
            bool isXdict = group == "{ACAD_XDICTIONARY";
            while (next() && !(m_rb.restype == 102)) {
                if (m_rb.restype == 0) break;
                if (isReactors && m_rb.restype == 330) reactors.push_back(this->handle());
                if (isXdict && m_rb.restype == 360 && !xdictHandle) xdictHandle = this->handle();
            }
            if (failed()) return m_status;
            if (m_rb.restype == 0) {
                back();
                break;
            }
        } else if (code == 330 && !haveOwner) {
            ownerHandle = this->handle();
            haveOwner = true;
        } else {
            back();
            break;
        }
    }
    if (failed()) return m_status;
    if (!entity && ownerHandle) m_db->getAcDbObjectId(owner, true, AcDbHandle(ownerHandle));
    if (entity && ownerHandle && isBlock(owner)) {
        // An entity of ENTITIES names its space (model or paper) by its owner.
        AcDbObjectId named;
        if (m_db->getAcDbObjectId(named, false, AcDbHandle(ownerHandle)) == Acad::eOk && isBlock(named)) owner = named;
    }

    // An INSERT that is a MINSERT, or a class that is not there: decided in the adapters.
    bool reorder = false;
    AcDbDxfMemoryFiler mem(m_db, AcDb::kFileFiler);
    const bool capture = (entity ? !cls || classNeedsGroups(dxfName) : !cls) && m_filer == &m_in;
    if (capture && entity) m_in.setCapture(&raw);
    if (entity) {
        // Groups not laid out as AutoCAD writes them are put in order in memory first: R12
        // entities without subclass markers, and common groups before "100 AcDbEntity" or
        // after the next marker (as some writers have them).
        resbuf first;
        if (m_filer->readItem(&first) == Acad::eOk) {
            if (first.restype != 100) {
                reorder = true;
                m_filer->pushBackItem();
            } else if (first.resval.rstring && std::strcmp(first.resval.rstring, "AcDbEntity") == 0) {
                reorder = m_filer->peekCode() == 100;
                m_filer->unreadItem(first);
            } else {
                m_filer->pushBackItem();
            }
        }
        if (failed()) return m_status;
    }
    bool buffered = reorder || (entity && classNeedsGroups(dxfName));
    if (reorder) {
        if (regroup(dxfName, cls, mem) != Acad::eOk) return m_status;
        // R12 paper space entities (no owner group) say so with group 67.
        for (const AcDbDxfGroup& g : mem.groups())
            if (g.code == 67 && g.type == AcDbDxfGroup::kInt && g.integer == 1 && owner == m_db->modelSpaceId() &&
                !m_db->paperSpaceId().isNull())
                owner = m_db->paperSpaceId();
    } else if (buffered) {
        while (next()) {
            if (m_rb.restype == 0) {
                back();
                break;
            }
            mem.writeItem(m_rb);
        }
        if (failed()) return m_status;
    }
    // Reading goes on from the text whichever way this returns.
    struct RestoreFiler {
        DxfReader& reader;
        ~RestoreFiler() { reader.m_filer = &reader.m_in; }
    } restoreFiler{*this};
    if (buffered) m_filer = &mem;
    AcDbObject* obj = nullptr;
    if (cls) cls = adjustedClass(dxfName, cls, buffered ? &mem : nullptr);
    if (cls) obj = AcDbObject::cast(cls->create());
    bool proxy = false;
    if (!obj) {
        const auto fc = m_fileClasses.find(dxfName);
        const bool known = fc != m_fileClasses.end();
        obj = newProxy(entity, dxfName, known ? &fc->second.cppName : nullptr, known ? &fc->second.appName : nullptr,
                       known ? fc->second.proxyFlags : 0);
        proxy = true;
        if (!obj) {
            if (!buffered) skipToNextObject();
            m_filer = &m_in;
            return m_status;
        }
    }
    // Closes a joined object, deletes one that was not.
    auto drop = [join](AcDbObject* o) {
        if (join)
            o->close();
        else
            delete o;
    };
    obj->internalSetOwner(owner);
    Acad::ErrorStatus es = Acad::eOk;
    if (join) {
        obj->internalSetId(idFor(handle));
        AcDbObjectId id;
        es = m_db->addAcDbObject(id, obj);
        if (es != Acad::eOk) {
            obj->internalSetId(AcDbObjectId::kNull);
            delete obj;
            m_filer = &m_in;
            return fail("%s: the object cannot join the drawing", dxfName.c_str());
        }
    } else {
        obj->internalSetDatabase(m_db);
    }
    es = obj->dxfInFields(m_filer);
    m_in.setCapture(nullptr);
    if (proxy && capture) {
        if (es == Acad::eOk) keepRawGroups(obj, raw, entity ? 0 : common);
    } else if (proxy && es == Acad::eOk) {
        keepMemoryGroups(obj, mem);
    }
    if (es == Acad::eOk && m_filer->filerStatus() != Acad::eOk) es = m_filer->filerStatus();
    if (es != Acad::eOk) {
        drop(obj);
        std::string what = dxfName + " " + AcDbHandle(handle).ascii() + (proxy ? " (proxy)" : "") + " could not be read";
        if (m_filer->filerStatus() == Acad::eOk && m_in.filerStatus() == Acad::eOk) {
            m_filer = &m_in;
            return fail("%s (status %d)", what.c_str(), static_cast<int>(es));
        }
        failFromFiler(what);
        m_filer = &m_in;
        return m_status;
    }
    es = readXData(obj);
    m_filer = &m_in;
    if (es != Acad::eOk) {
        drop(obj);
        return m_status;
    }
    for (uint64_t r : reactors) {
        AcDbObjectId rid;
        if (r && m_db->getAcDbObjectId(rid, true, AcDbHandle(r)) == Acad::eOk) obj->addPersistentReactor(rid);
    }
    AcDbObjectId xdict;
    if (xdictHandle && m_db->getAcDbObjectId(xdict, true, AcDbHandle(xdictHandle)) == Acad::eOk)
        obj->internalSetExtensionDictionary(xdict);
    out = obj;
    m_lastWasProxy = proxy;
    return Acad::eOk;
}

AcDbBlockTableRecord* DxfReader::blockOf(AcDbObjectId id) {
    if (id == m_lastBlockId) return m_lastBlock;
    auto* btr = cadhost::db::peekAs<AcDbBlockTableRecord>(id);
    if (btr) {
        m_lastBlockId = id;
        m_lastBlock = btr;
    }
    return btr;
}

// The groups after the common part up to extended data or the next object, in place of the
// proxy's own copies of them.
void DxfReader::keepRawGroups(AcDbObject* obj, const std::vector<std::pair<int, std::string>>& raw, size_t from) {
    size_t end = from;
    while (end < raw.size() && raw[end].first != 0 && raw[end].first < 1000) ++end;
    if (auto* object = AcDbProxyObject::cast(obj)) {
        AcArray<AcDbProxyObject::DxfGroup> groups;
        for (size_t i = from; i < end; ++i) groups.append(raw[i]);
        object->dxfGroups() = groups;
        return;
    }
    auto* proxy = AcDbProxyEntity::cast(obj);
    if (!proxy) return;
    // The common part is written again from the entity's properties: "100 AcDbEntity" and the
    // common groups before the first group of the entity's own are left out.
    size_t own = 0;
    while (own < end && (raw[own].first == 100 || isCommonEntityCode(raw[own].first))) ++own;
    AcArray<AcDbProxyEntity::DxfGroup> groups;
    for (size_t i = 0; i < end; ++i) {
        const bool common = isCommonEntityCode(raw[i].first) || (raw[i].first == 100 && raw[i].second == "AcDbEntity");
        if (i < own && common) continue;
        groups.append(raw[i]);
    }
    proxy->dxfGroups() = groups;
}

// Same for a proxy read from memory (an R12 entity): its groups after the common part.
void DxfReader::keepMemoryGroups(AcDbObject* obj, const AcDbDxfMemoryFiler& mem) {
    auto* proxy = AcDbProxyEntity::cast(obj);
    if (!proxy) return;
    const auto& groups = mem.groups();
    size_t i = 0;
    if (i < groups.size() && groups[i].code == 100) ++i;
    while (i < groups.size() && isCommonEntityCode(groups[i].code)) ++i;
    AcArray<AcDbProxyEntity::DxfGroup> kept;
    TokenWriter w;
    AcDbDxfOutFiler text(w, nullptr, 16, false);
    for (; i < groups.size() && groups[i].code < 1000; ++i) {
        w.take();
        AcDbDxfMemoryFiler one;
        one.groups().push_back(groups[i]);
        one.replay(&text);
        // Back from the text: one or more groups (a point gives three).
        TokenReader r(w.str());
        for (Token t; r.next(t);) kept.append({t.code, decodeCaret(t.value)});
    }
    proxy->dxfGroups() = kept;
}

Acad::ErrorStatus DxfReader::readEntityInto(const std::string& dxfName, AcDbObjectId block) {
    AcDbObject* obj = nullptr;
    if (readObject(dxfName, block, true, true, obj) != Acad::eOk) return m_status;
    if (!obj) return Acad::eOk;
    if (auto* btr = blockOf(obj->ownerId())) btr->internalAppendId(obj->objectId());
    if (m_lastWasProxy && dxfName == "POLYLINE") {
        // Its VERTEX and SEQEND entities follow it in the block as proxies, in file order.
        obj->close();
        m_forceProxy = true;
        while (!failed() && next()) {
            back();
            if (m_rb.restype != 0 || (!at(0, "VERTEX") && !at(0, "SEQEND"))) break;
            std::string sub = str();
            next();
            AcDbObject* part = nullptr;
            if (readObject(sub, block, true, true, part) != Acad::eOk || !part) break;
            if (auto* owner = cadhost::db::peekAs<AcDbBlockTableRecord>(part->ownerId()))
                owner->internalAppendId(part->objectId());
            part->close();
            if (sub == "SEQEND") break;
        }
        m_forceProxy = false;
        return m_status;
    }
    // Vertices or attributes follow up to SEQEND.
    while (next()) {
        back();
        if (m_rb.restype != 0) break;
        if (!at(0, "ATTRIB") && !at(0, "VERTEX") && !at(0, "SEQEND")) break;
        std::string sub = str();
        if (!isSubEntityName(obj, sub)) break;
        next();
        AcDbObject* child = nullptr;
        const bool joins = subEntityJoinsFirst(sub);
        if (readObject(sub, obj->objectId(), true, joins, child) != Acad::eOk) {
            obj->close();
            return m_status;
        }
        if (!child) continue;
        bool end = sub == "SEQEND";
        Acad::ErrorStatus es = attachSubEntity(obj, child);
        if (joins || es == Acad::eOk)
            child->close();
        else
            delete child;
        if (es != Acad::eOk) {
            obj->close();
            return fail("%s: %s cannot be added to it (status %d)", dxfName.c_str(), sub.c_str(), static_cast<int>(es));
        }
        if (end) break;
    }
    finishSubEntities(obj);
    obj->close();
    return m_status;
}

AcDbObjectId DxfReader::findBlock(const std::string& name) {
    auto* table = cadhost::db::peekAs<AcDbSymbolTable>(m_db->blockTableId());
    return table ? table->internalLookup(validName(name).c_str()) : AcDbObjectId::kNull;
}

Acad::ErrorStatus DxfReader::readBlocks() {
    AcDbObjectId current;
    while (next()) {
        if (m_rb.restype == 999) continue;
        if (m_rb.restype != 0) return fail("expected group 0 in the BLOCKS section, found group %d", m_rb.restype);
        std::string name = str();
        if (name == "ENDSEC") return Acad::eOk;
        if (name == "BLOCK") {
            std::string blockName, path, comments;
            AcGePoint3d origin;
            int flags = 0;
            while (next() && m_rb.restype != 0) {
                switch (m_rb.restype) {
                case 2: blockName = str(); break;
                case 3: if (blockName.empty()) blockName = str(); break;
                case 1: path = str(); break;
                case 4: comments = str(); break;
                case 70: flags = integer(); break;
                case 10: origin = point(); break;
                default: break;
                }
            }
            if (failed()) return m_status;
            back();
            if (blockName.empty()) return fail("BLOCK without a name (group 2)");
            current = findBlock(blockName);
            if (current.isNull()) {
                AcDbObjectId tableId = ensureTable(kBlocks, 0);
                AcDbSymbolTable* table = nullptr;
                if (acdbOpenObject(table, tableId, AcDb::kForWrite) != Acad::eOk) return fail("no block table");
                auto* btr = new AcDbBlockTableRecord;
                if (btr->setName(validName(blockName).c_str()) == Acad::eOk && table->add(current, btr) == Acad::eOk) {
                    btr->close();
                } else {
                    delete btr;
                    current = AcDbObjectId::kNull;
                }
                table->close();
                if (current.isNull()) return fail("BLOCK '%s' cannot be defined", blockName.c_str());
            }
            AcDbBlockTableRecord* btr = nullptr;
            if (acdbOpenObject(btr, current, AcDb::kForWrite) == Acad::eOk) {
                btr->setOrigin(origin);
                if (!path.empty()) btr->setPathName(path.c_str());
                if (!comments.empty()) btr->setComments(comments.c_str());
                btr->setFlags(static_cast<Adesk::Int16>(flags & ~(1 | 2 | 4)));
                btr->close();
            }
            continue;
        }
        if (name == "ENDBLK") {
            if (current.isNull()) return fail("ENDBLK without BLOCK");
            current = AcDbObjectId::kNull;
            skipToNextObject();
            if (failed()) return m_status;
            continue;
        }
        if (refuseLayoutName(name, "BLOCKS") != Acad::eOk) return m_status;
        if (current.isNull()) return fail("%s outside of a BLOCK", name.c_str());
        if (readEntityInto(name, current) != Acad::eOk) return m_status;
    }
    return failed() ? m_status : fail("the file ends inside the BLOCKS section");
}

Acad::ErrorStatus DxfReader::readEntities() {
    if (m_db->modelSpaceId().isNull()) m_db->internalBuildDefaults();
    AcDbObjectId model = m_db->modelSpaceId();
    while (next()) {
        if (m_rb.restype == 999) continue;
        if (m_rb.restype != 0) return fail("expected group 0 in the ENTITIES section, found group %d", m_rb.restype);
        std::string name = str();
        if (name == "ENDSEC") return Acad::eOk;
        if (refuseLayoutName(name, "ENTITIES") != Acad::eOk) return m_status;
        if (readEntityInto(name, model) != Acad::eOk) return m_status;
    }
    return failed() ? m_status : fail("the file ends inside the ENTITIES section");
}

Acad::ErrorStatus DxfReader::readObjects() {
    while (next()) {
        if (m_rb.restype == 999) continue;
        if (m_rb.restype != 0) return fail("expected group 0 in the OBJECTS section, found group %d", m_rb.restype);
        std::string name = str();
        if (name == "ENDSEC") return Acad::eOk;
        if (refuseLayoutName(name, "OBJECTS") != Acad::eOk) return m_status;
        AcDbObject* obj = nullptr;
        if (readObject(name, AcDbObjectId::kNull, false, true, obj) != Acad::eOk) return m_status;
        if (!obj) continue;
        // The named object dictionary: the first dictionary that no object owns.
        if (name == "DICTIONARY" && obj->ownerId().isNull() && m_db->namedObjectsDictionaryId().isNull())
            m_db->internalSetNamedObjectsId(obj->objectId());
        obj->close();
    }
    return failed() ? m_status : fail("the file ends inside the OBJECTS section");
}

}  // namespace

void AcDbDatabase::internalReserve(size_t objects) { m_byHandle.reserve(objects); }

void AcDbDatabase::internalSwapContents(AcDbDatabase& other) {
    std::swap(m_stubs, other.m_stubs);
    std::swap(m_byHandle, other.m_byHandle);
    std::swap(m_handseed, other.m_handseed);
    std::swap(m_openCount, other.m_openCount);
    for (int i = 0; i < 9; ++i) std::swap(m_tables[i], other.m_tables[i]);
    std::swap(m_namedObjects, other.m_namedObjects);
    std::swap(m_header, other.m_header);
    // Undo records name the objects that were swapped away.
    for (AcDbDatabase* db : {this, &other})
        if (db->m_undoLog) db->m_undoLog->clear();
    for (AcDbDatabase* db : {this, &other})
        for (AcDbStub& stub : db->m_stubs) {
            stub.database = db;
            if (stub.object) stub.object->internalSetDatabase(db);
        }
}

Acad::ErrorStatus AcDbDatabase::readDxfFile(const char* fileName) {
    if (!fileName || !*fileName) {
        m_lastError = "no file name";
        return Acad::eInvalidInput;
    }
    if (m_openCount != 0) {
        m_lastError = std::string(fileName) + ": the drawing has " + std::to_string(m_openCount) +
                      " open object(s); close them before reading a file into it";
        return Acad::eInvalidOpenState;
    }
    std::string error, path;
    if (!cadhostLinuxPath(fileName, path, &m_lastError)) return Acad::eFileNotFound;
    // The file is streamed: only the lines being read are held beside the drawing.
    int fd = -1;
    size_t size = 0;
    Acad::ErrorStatus es = openRegularFile(path.c_str(), fd, size, error);
    if (es != Acad::eOk) {
        m_lastError = error;
        return es;
    }
    struct CloseFile {
        int fd;
        ~CloseFile() { ::close(fd); }
    } closeFile{fd};
    auto fresh = std::make_unique<AcDbDatabase>(false, true);
    fresh->internalReserve(size / 160);  // about one object per 160 bytes of DXF
    DxfReader reader(fresh.get(), TokenReader([fd](char* buffer, size_t n, std::string& e) { return readSome(fd, buffer, n, e); }));
    es = reader.run();
    if (es != Acad::eOk) {
        m_lastError = std::string(fileName) + ": " + reader.message();
        return es;
    }
    internalSwapContents(*fresh);
    m_fileName = fileName;
    m_lastError.clear();
    return Acad::eOk;
}
