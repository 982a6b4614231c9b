// AcDbDatabase::dxfOut: the drawing as an AutoCAD 2004 (AC1018) ASCII DXF file.
//
// Layout: HEADER, CLASSES, TABLES, BLOCKS, ENTITIES, OBJECTS. Entities of model space and of
// paper space go to ENTITIES (paper space ones with group 67), those of other blocks between
// their BLOCK and ENDBLK. OBJECTS holds the named object dictionary with the group and
// layout dictionaries, the layouts and the plot style dictionary, then the drawing's other
// objects. A drawing read from a file keeps these as proxies: they are written as they are,
// and only what the drawing lacks of them is made. Handles of the drawing are written as they
// are; what the drawing does not hold as objects (BLOCK/ENDBLK, made layout objects, ...) gets
// handles from the handle seed upwards, and $HANDSEED follows the last of them.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include "db/dxffile.h"
#include "db/dxffiler.h"
#include "db/filereplace.h"
#include "db/dxfsubents.h"
#include "db/entitysupport.h"
#include "db/hostinternal.h"
#include "db/proxyentity.h"
#include "db/proxyobject.h"
#include "rx/rxclass.h"
#include "win/drives.h"

using namespace cadhost::dxf;

namespace {

// Host classes are registered under the application name "AutoCAD".
bool isHostClass(const AcRxClass* cls) { return cls && std::strcmp(cls->appName(), "AutoCAD") == 0; }

class DxfWriter {
public:
    DxfWriter(AcDbDatabase* db, int precision) : m_db(db), m_w(m_out), m_filer(m_w, db, precision, true) {}

    Acad::ErrorStatus run();
    // The file is the header followed by the body.
    const std::string& header() const { return m_header; }
    const std::string& body() const { return m_out; }
    const std::string& error() const { return m_error; }

private:
    uint64_t newHandle() { return m_next++; }
    void collect();
    void writeHeader();
    void writeClasses();
    void writeTables();
    void writeTable(const char* name, AcDbObjectId tableId, uint64_t fallbackHandle);
    void writeRecord(const char* dxfName, AcDbSymbolTableRecord* record, uint64_t tableHandle);
    void writeBlocks();
    void writeEntities();
    void writeObjects();
    bool writeObject(AcDbObjectId id, bool paperSpace = false);
    void writeCommon(const AcDbObject* obj, int handleCode = 5);
    void writeXData(const AcDbObject* obj);
    void writeLayout(uint64_t handle, const char* name, bool model, uint64_t blockRecord, int tab);
    // The drawing's own structure objects (kept from a file).
    AcDbObjectId liveId(uint64_t handle) const;
    uint64_t keptEntry(const AcArray<AcDbProxyObject::DxfGroup>& dictionary, const char* key) const;
    void collectKeptStructure();
    void writeRootGroups(const AcDbProxyObject* root);
    void fail(const std::string& message) {
        if (m_error.empty()) m_error = message;
    }
    uint64_t handleOf(AcDbObjectId id) const { return id.isNull() ? 0 : id.handle().value(); }

    // What the writer needs to know of a class, looked up once per class.
    struct ClassInfo {
        std::string dxfName;
        bool entity = false, symbol = false, followers = false, proxy = false;
    };
    const ClassInfo& classInfo(const AcRxClass* cls);
    std::unordered_map<const AcRxClass*, ClassInfo> m_classInfo;

    AcDbDatabase* m_db;
    std::string m_out, m_header;
    TokenWriter m_w;
    AcDbDxfOutFiler m_filer;
    std::string m_error;
    uint64_t m_next = 1;

    struct Block {
        AcDbObjectId id;
        uint64_t begin = 0, end = 0;
    };
    std::vector<Block> m_blocks;
    AcDbObjectId m_model, m_paper;
    std::vector<AcDbObjectId> m_objects;  // non-entity, non-table objects
    // Instances by class name: CLASSES comes out in the same order whatever the classes' addresses.
    std::map<std::string, std::pair<const AcRxClass*, int>> m_classCounts;
    uint64_t m_tableHandles[9] = {};
    uint64_t m_root = 0, m_groupDict = 0, m_layoutDict = 0, m_modelLayout = 0, m_paperLayout = 0;
    uint64_t m_plotDict = 0, m_plotNormal = 0;
    // Which of the structure objects the writer makes; the others are the drawing's own.
    bool m_keptRoot = false, m_newGroupDict = true, m_newLayouts = true, m_newPlotDict = true;
    std::unordered_map<uint64_t, uint64_t> m_layoutOfBlock;  // kept layouts by block record
    // Layouts of the other paper space blocks (*Paper_Space0, ...): block, layout handle.
    std::vector<std::pair<AcDbObjectId, uint64_t>> m_extraLayouts;
    std::string m_scratchName;
};

const DxfWriter::ClassInfo& DxfWriter::classInfo(const AcRxClass* cls) {
    auto it = m_classInfo.find(cls);
    if (it != m_classInfo.end()) return it->second;
    ClassInfo info;
    for (const AcRxClass* c = cls; c; c = c->myParent())
        if (*c->dxfName()) {
            info.dxfName = c->dxfName();
            break;
        }
    info.entity = cls && cls->isDerivedFrom(AcDbEntity::desc());
    info.symbol = cls && (cls->isDerivedFrom(AcDbSymbolTable::desc()) || cls->isDerivedFrom(AcDbSymbolTableRecord::desc()));
    info.followers = mayHaveSubEntities(cls);
    info.proxy = cls && (cls->isDerivedFrom(AcDbProxyEntity::desc()) || cls->isDerivedFrom(AcDbProxyObject::desc()));
    return m_classInfo.emplace(cls, std::move(info)).first->second;
}

void DxfWriter::collect() {
    m_next = std::max<uint64_t>(m_db->handseed().value(), 1);
    m_model = m_db->modelSpaceId();
    m_paper = m_db->paperSpaceId();
    std::set<uint64_t> structural;
    const AcDbObjectId tables[9] = {m_db->viewportTableId(), m_db->linetypeTableId(), m_db->layerTableId(),
                                    m_db->textStyleTableId(), m_db->viewTableId(), m_db->UCSTableId(),
                                    m_db->regAppTableId(), m_db->dimStyleTableId(), m_db->blockTableId()};
    for (int i = 0; i < 9; ++i) m_tableHandles[i] = tables[i].isNull() ? newHandle() : handleOf(tables[i]);

    if (auto* bt = cadhost::db::peekAs<AcDbBlockTable>(m_db->blockTableId())) {
        for (AcDbObjectId id : bt->recordIds()) {
            auto* btr = cadhost::db::peekAs<AcDbBlockTableRecord>(id);
            if (!btr || id.isErased()) continue;
            Block b;
            b.id = id;
            AcDbObjectId begin = btr->internalBeginBlockId(), end = btr->internalEndBlockId();
            b.begin = begin.isNull() ? newHandle() : handleOf(begin);
            b.end = end.isNull() ? newHandle() : handleOf(end);
            structural.insert(b.begin);
            structural.insert(b.end);
            m_blocks.push_back(b);
        }
    }
    m_root = m_db->namedObjectsDictionaryId().isNull() ? newHandle() : handleOf(m_db->namedObjectsDictionaryId());
    collectKeptStructure();
    if (m_newGroupDict) m_groupDict = newHandle();
    if (m_newLayouts) {
        m_layoutDict = newHandle();
        m_modelLayout = newHandle();
        m_paperLayout = newHandle();
        for (const Block& b : m_blocks) {
            auto* btr = cadhost::db::peekAs<AcDbBlockTableRecord>(b.id);
            if (b.id != m_paper && btr && std::strncmp(btr->name(), ACDB_PAPER_SPACE, std::strlen(ACDB_PAPER_SPACE)) == 0)
                m_extraLayouts.emplace_back(b.id, newHandle());
        }
    }
    if (m_newPlotDict) {
        m_plotDict = newHandle();
        m_plotNormal = newHandle();
    }

    // Objects of OBJECTS, and the classes CLASSES lists.
    for (AcDbObjectId id : m_db->allIds()) {
        if (id.isErased()) continue;
        AcDbObject* obj = cadhost::db::peek(id);
        if (!obj) continue;
        const AcRxClass* cls = obj->isA();
        const ClassInfo& info = classInfo(cls);
        if (!isHostClass(cls)) {
            auto& [counted, count] = m_classCounts[cls->name()];
            counted = cls;
            ++count;
        }
        if (info.entity || info.symbol) continue;
        if (id == m_db->namedObjectsDictionaryId() || structural.count(handleOf(id))) continue;
        if (info.dxfName.empty() && !info.proxy) continue;
        m_objects.push_back(id);
    }
}

AcDbObjectId DxfWriter::liveId(uint64_t handle) const {
    AcDbObjectId id;
    if (!handle || m_db->getAcDbObjectId(id, false, AcDbHandle(handle)) != Acad::eOk || id.isErased() ||
        !cadhost::db::peek(id))
        return AcDbObjectId::kNull;
    return id;
}

// The live object a dictionary's entry names (group 3, then its 350 or 360), 0 when none.
uint64_t DxfWriter::keptEntry(const AcArray<AcDbProxyObject::DxfGroup>& dictionary, const char* key) const {
    for (int i = 0; i + 1 < dictionary.length(); ++i) {
        if (dictionary[i].first != 3 || dictionary[i].second != key) continue;
        const auto& value = dictionary[i + 1];
        if (value.first != 350 && value.first != 360) return 0;
        uint64_t h = parseHandle(value.second).value_or(0);
        return liveId(h).isNull() ? 0 : h;
    }
    return 0;
}

// The root dictionary, group and layout dictionaries, layouts and plot style dictionary that
// the drawing holds as kept objects.
void DxfWriter::collectKeptStructure() {
    AcArray<AcDbProxyObject::DxfGroup> root;
    {
        cadhost::ent::ReadAccess access(m_db->namedObjectsDictionaryId());
        const auto* dict = access.as<AcDbProxyObject>();
        if (!dict || std::strcmp(dict->originalDxfName(), "DICTIONARY") != 0) return;
        root = dict->dxfGroups();
    }
    m_keptRoot = true;
    if ((m_groupDict = keptEntry(root, "ACAD_GROUP"))) m_newGroupDict = false;
    if ((m_layoutDict = keptEntry(root, "ACAD_LAYOUT"))) m_newLayouts = false;
    if ((m_plotDict = keptEntry(root, "ACAD_PLOTSTYLENAME"))) {
        cadhost::ent::ReadAccess access(liveId(m_plotDict));
        if (const auto* dict = access.as<AcDbProxyObject>()) {
            // The default entry (group 340), or else the first one.
            const auto& groups = dict->dxfGroups();
            for (int i = 0; i < groups.length() && !m_plotNormal; ++i)
                if (groups[i].first == 340) m_plotNormal = parseHandle(groups[i].second).value_or(0);
            for (int i = 0; i < groups.length() && !m_plotNormal; ++i)
                if (groups[i].first == 350) m_plotNormal = parseHandle(groups[i].second).value_or(0);
            m_newPlotDict = false;
        }
        if (m_newPlotDict) m_plotDict = 0;
    }
    if (m_newLayouts) return;
    // Each kept layout names its block record (group 330 of its AcDbLayout part).
    for (AcDbObjectId id : m_db->allIds()) {
        if (id.isErased() || !cadhost::db::peekAs<AcDbProxyObject>(id)) continue;
        cadhost::ent::ReadAccess access(id);
        const auto* layout = access.as<AcDbProxyObject>();
        if (!layout || std::strcmp(layout->originalDxfName(), "LAYOUT") != 0) continue;
        bool inLayout = false;
        for (const auto& [code, text] : layout->dxfGroups()) {
            if (code == 100) inLayout = text == "AcDbLayout";
            if (inLayout && code == 330) {
                if (auto block = parseHandle(text)) m_layoutOfBlock.emplace(*block, handleOf(id));
                break;
            }
        }
    }
}

// The kept root dictionary, with the entries of the structure objects the writer makes.
void DxfWriter::writeRootGroups(const AcDbProxyObject* root) {
    std::vector<std::pair<const char*, uint64_t>> made;
    if (m_newGroupDict) made.emplace_back("ACAD_GROUP", m_groupDict);
    if (m_newLayouts) made.emplace_back("ACAD_LAYOUT", m_layoutDict);
    if (m_newPlotDict) made.emplace_back("ACAD_PLOTSTYLENAME", m_plotDict);
    const auto& groups = root->dxfGroups();
    for (int i = 0; i < groups.length(); ++i) {
        const auto& [code, text] = groups[i];
        // An entry replaced by a made object goes, with the handle that follows its name.
        bool replaced = false;
        for (const auto& entry : made) replaced |= code == 3 && text == entry.first;
        if (replaced) {
            if (i + 1 < groups.length() && (groups[i + 1].first == 350 || groups[i + 1].first == 360)) ++i;
            continue;
        }
        m_filer.writeString(code, text.c_str());
    }
    for (const auto& [key, handle] : made) {
        m_w.write(3, key);
        m_w.writeHandle(350, handle);
    }
}

void DxfWriter::writeHeader() {
    m_w.write(0, "SECTION");
    m_w.write(2, "HEADER");
    m_w.write(9, "$ACADVER");
    m_w.write(1, "AC1018");
    m_w.write(9, "$DWGCODEPAGE");
    m_w.write(3, "ANSI_1252");
    for (const auto& [name, value] : m_db->headerValues()) {
        if (name == "ACADVER" || name == "HANDSEED" || name == "DWGCODEPAGE" || name.empty()) continue;
        HeaderVarCode hc = headerVarCode(name, value);
        if (const std::string* s = std::get_if<std::string>(&value)) {
            // Handle variables name objects of the drawing; a stale one is left out.
            if (cadhost::dxf::kindOfGroupCode(hc.code) == ValueKind::Handle) {
                auto h = parseHandle(*s);
                AcDbObjectId id;
                if (!h || m_db->getAcDbObjectId(id, false, AcDbHandle(*h)) != Acad::eOk || !id.isValid()) continue;
                m_w.write(9, "$" + name);
                m_w.writeHandle(hc.code, *h);
                continue;
            }
            m_w.write(9, "$" + name);
            m_filer.writeString(hc.code, *s);
        } else if (const int* i = std::get_if<int>(&value)) {
            m_w.write(9, "$" + name);
            m_w.writeInt(hc.code, *i);
        } else if (const double* d = std::get_if<double>(&value)) {
            if (!std::isfinite(*d)) continue;
            m_w.write(9, "$" + name);
            m_filer.writeDouble(hc.code, *d);
        } else if (const AcGePoint3d* p = std::get_if<AcGePoint3d>(&value)) {
            if (!std::isfinite(p->x) || !std::isfinite(p->y) || !std::isfinite(p->z)) continue;
            m_w.write(9, "$" + name);
            if (hc.dims == 2)
                m_filer.writePoint2d(hc.code, AcGePoint2d(p->x, p->y));
            else
                m_filer.writePoint3d(hc.code, *p);
        }
    }
    m_w.write(9, "$HANDSEED");
    m_w.writeHandle(5, m_next);
    m_w.write(0, "ENDSEC");
}

void DxfWriter::writeClasses() {
    m_w.write(0, "SECTION");
    m_w.write(2, "CLASSES");
    struct Fixed {
        const char* dxf;
        const char* cpp;
        int flags;
    };
    const Fixed fixed[] = {{"ACDBDICTIONARYWDFLT", "AcDbDictionaryWithDefault", 0},
                           {"ACDBPLACEHOLDER", "AcDbPlaceHolder", 0},
                           {"LAYOUT", "AcDbLayout", 0}};
    std::set<std::string> written;
    for (const Fixed& f : fixed) {
        written.insert(f.dxf);
        m_w.write(0, "CLASS");
        m_w.write(1, f.dxf);
        m_w.write(2, f.cpp);
        m_w.write(3, "ObjectDBX Classes");
        m_w.writeInt(90, f.flags);
        m_w.writeInt(91, std::strcmp(f.dxf, "LAYOUT") == 0 ? static_cast<int64_t>(2 + m_extraLayouts.size()) : 1);
        m_w.writeInt(280, 0);
        m_w.writeInt(281, 0);
    }
    for (const auto& [name, counted] : m_classCounts) {
        const auto& [cls, count] = counted;
        std::string dxfName = *cls->dxfName() ? cls->dxfName() : "";
        if (dxfName.empty() || !written.insert(dxfName).second) continue;
        m_w.write(0, "CLASS");
        m_filer.writeString(1, dxfName.c_str());
        m_filer.writeString(2, cls->name());
        m_filer.writeString(3, *cls->appName() ? cls->appName() : "ObjectDBX Classes");
        m_w.writeInt(90, cls->proxyFlags());
        m_w.writeInt(91, count);
        m_w.writeInt(280, 0);
        m_w.writeInt(281, cls->isDerivedFrom(AcDbEntity::desc()) ? 1 : 0);
    }
    writeProxyClasses(m_w, m_db, written);
    m_w.write(0, "ENDSEC");
}

void DxfWriter::writeCommon(const AcDbObject* obj, int handleCode) {
    m_w.writeHandle(handleCode, handleOf(obj->objectId()));
    const AcDbObjectIdArray& reactors = obj->persistentReactors();
    bool anyReactor = false;
    for (const AcDbObjectId& r : reactors) anyReactor |= r.isValid() && !r.isErased();
    if (anyReactor) {
        m_w.write(102, "{ACAD_REACTORS");
        for (const AcDbObjectId& r : reactors)
            if (r.isValid() && !r.isErased()) m_w.writeHandle(330, handleOf(r));
        m_w.write(102, "}");
    }
    AcDbObjectId xdict = obj->extensionDictionary();
    if (!xdict.isNull() && xdict.isValid() && !xdict.isErased()) {
        m_w.write(102, "{ACAD_XDICTIONARY");
        m_w.writeHandle(360, handleOf(xdict));
        m_w.write(102, "}");
    }
    AcDbObjectId owner = obj->ownerId();
    m_w.writeHandle(330, owner.isNull() || !owner.isValid() ? 0 : handleOf(owner));
}

void DxfWriter::writeXData(const AcDbObject* obj) {
    resbuf* xdata = obj->xData(nullptr);
    for (const resbuf* rb = xdata; rb; rb = rb->rbnext) {
        if (rb->restype < 1000 || rb->restype > 1071) continue;
        if (m_filer.writeItem(*rb) != Acad::eOk) fail(m_filer.errorMessage());
    }
    acutRelRb(xdata);
}

// Table records: the groups of each record kind, written from the record's properties.
void DxfWriter::writeRecord(const char* dxfName, AcDbSymbolTableRecord* rec, uint64_t tableHandle) {
    const bool dimstyle = std::strcmp(dxfName, "DIMSTYLE") == 0;
    m_w.write(0, dxfName);
    m_w.writeHandle(dimstyle ? 105 : 5, handleOf(rec->objectId()));
    m_w.writeHandle(330, tableHandle);
    m_w.write(100, "AcDbSymbolTableRecord");
    const char* sub = rec->isA()->name();
    if (auto* vp = AcDbViewportTableRecord::cast(rec)) {
        m_w.write(100, "AcDbViewportTableRecord");
        m_filer.writeString(2, rec->name());
        m_w.writeInt(70, rec->flags());
        m_filer.writePoint2d(10, AcGePoint2d(0, 0));
        m_filer.writePoint2d(11, AcGePoint2d(1, 1));
        m_filer.writePoint2d(12, vp->centerPoint());
        m_filer.writePoint2d(13, AcGePoint2d(0, 0));
        m_filer.writePoint2d(14, AcGePoint2d(1, 1));
        m_filer.writePoint2d(15, AcGePoint2d(1, 1));
        m_filer.writeVector3d(16, vp->viewDirection());
        m_filer.writePoint3d(17, AcGePoint3d(0, 0, 0));
        m_filer.writeDouble(40, vp->height());
        m_filer.writeDouble(41, vp->height() > 0 ? vp->width() / vp->height() : 1.0);
        m_filer.writeDouble(42, 50.0);
        m_filer.writeDouble(43, 0.0);
        m_filer.writeDouble(44, 0.0);
        m_filer.writeDouble(50, 0.0);
        m_filer.writeDouble(51, 0.0);
        for (int code : {71, 72, 73, 74, 75, 76, 77, 78})
            m_w.writeInt(code, code == 72 ? 1000 : code == 73 || code == 74 ? 1 : 0);
    } else if (auto* lt = AcDbLinetypeTableRecord::cast(rec)) {
        m_w.write(100, "AcDbLinetypeTableRecord");
        m_filer.writeString(2, rec->name());
        m_w.writeInt(70, rec->flags());
        m_filer.writeString(3, lt->comments());
        m_w.writeInt(72, 65);
        m_w.writeInt(73, lt->numDashes());
        double total = 0;
        for (int i = 0; i < lt->numDashes(); ++i) total += std::fabs(lt->dashLengthAt(i));
        m_filer.writeDouble(40, total);
        for (int i = 0; i < lt->numDashes(); ++i) {
            m_filer.writeDouble(49, lt->dashLengthAt(i));
            m_w.writeInt(74, 0);
        }
    } else if (auto* layer = AcDbLayerTableRecord::cast(rec)) {
        m_w.write(100, "AcDbLayerTableRecord");
        m_filer.writeString(2, rec->name());
        m_w.writeInt(70, rec->flags());
        int color = layer->color().colorIndex();
        if (color < 1 || color > 255) color = 7;
        m_w.writeInt(62, layer->isOff() ? -color : color);
        std::string ltype = cadhost::ent::recordName(layer->linetypeObjectId());
        m_filer.writeString(6, ltype.empty() ? "Continuous" : ltype.c_str());
        if (!layer->isPlottable()) m_w.writeInt(290, 0);
        m_w.writeInt(370, layer->lineWeight());
        if (m_plotNormal) m_w.writeHandle(390, m_plotNormal);
    } else if (auto* st = AcDbTextStyleTableRecord::cast(rec)) {
        m_w.write(100, "AcDbTextStyleTableRecord");
        m_filer.writeString(2, rec->name());
        m_w.writeInt(70, rec->flags());
        m_filer.writeDouble(40, st->textSize());
        m_filer.writeDouble(41, st->xScale());
        m_filer.writeDouble(50, st->obliquingAngle() * 180.0 / cadhost::ent::kPi);
        m_w.writeInt(71, st->flagBits());
        m_filer.writeDouble(42, st->priorSize());
        const char* font = "";
        const char* big = "";
        st->fileName(font);
        st->bigFontFileName(big);
        m_filer.writeString(3, font);
        m_filer.writeString(4, big);
    } else if (auto* btr = AcDbBlockTableRecord::cast(rec)) {
        m_w.write(100, "AcDbBlockTableRecord");
        m_filer.writeString(2, rec->name());
        uint64_t layout = btr->objectId() == m_model ? m_modelLayout : btr->objectId() == m_paper ? m_paperLayout : 0;
        for (const auto& [block, handle] : m_extraLayouts)
            if (block == btr->objectId()) layout = handle;
        if (auto kept = m_layoutOfBlock.find(handleOf(btr->objectId())); kept != m_layoutOfBlock.end()) layout = kept->second;
        m_w.writeHandle(340, layout);
        AcArray<Adesk::UInt8> icon;
        if (btr->hasPreviewIcon() && btr->getPreviewIcon(icon) == Acad::eOk && !icon.isEmpty())
            m_filer.writeBytes(310, icon.asArrayPtr(), static_cast<uint32_t>(icon.length()));
    } else {
        // VIEW, UCS, APPID, DIMSTYLE and records of other classes: name and flags.
        std::string marker = std::strcmp(sub, "AcDbSymbolTableRecord") == 0 ? "" : sub;
        if (!marker.empty()) m_w.write(100, marker);
        m_filer.writeString(2, rec->name());
        m_w.writeInt(70, rec->flags());
        if (AcDbViewTableRecord::cast(rec)) {
            m_filer.writeDouble(40, 1.0);
            m_filer.writePoint2d(10, AcGePoint2d(0, 0));
            m_filer.writeDouble(41, 1.0);
            m_filer.writeVector3d(11, AcGeVector3d(0, 0, 1));
            m_filer.writePoint3d(12, AcGePoint3d(0, 0, 0));
            for (int code : {42, 43, 44, 50}) m_filer.writeDouble(code, code == 42 ? 50.0 : 0.0);
            m_w.writeInt(71, 0);
        } else if (AcDbUCSTableRecord::cast(rec)) {
            m_filer.writePoint3d(10, AcGePoint3d(0, 0, 0));
            m_filer.writeVector3d(11, AcGeVector3d(1, 0, 0));
            m_filer.writeVector3d(12, AcGeVector3d(0, 1, 0));
        }
    }
    writeXData(rec);
}

void DxfWriter::writeTable(const char* name, AcDbObjectId tableId, uint64_t handle) {
    auto* table = cadhost::db::peekAs<AcDbSymbolTable>(tableId);
    std::vector<std::unique_ptr<cadhost::ent::ReadAccess>> records;
    if (table) {
        for (AcDbObjectId id : table->recordIds()) {
            if (id.isErased()) continue;
            auto access = std::make_unique<cadhost::ent::ReadAccess>(id);
            if (!AcDbSymbolTableRecord::cast(access->object())) {
                fail(std::string(name) + " " + id.handle().ascii() + ": the record cannot be read");
                continue;
            }
            records.push_back(std::move(access));
        }
    }
    m_w.write(0, "TABLE");
    m_w.write(2, name);
    m_w.writeHandle(5, handle);
    m_w.writeHandle(330, 0);
    m_w.write(100, "AcDbSymbolTable");
    m_w.writeInt(70, static_cast<int64_t>(records.size()));
    if (std::strcmp(name, "DIMSTYLE") == 0) {
        m_w.write(100, "AcDbDimStyleTable");
        m_w.writeInt(71, 0);
    }
    for (const auto& access : records) writeRecord(name, AcDbSymbolTableRecord::cast(access->object()), handle);
    m_w.write(0, "ENDTAB");
}

void DxfWriter::writeTables() {
    m_w.write(0, "SECTION");
    m_w.write(2, "TABLES");
    const char* names[9] = {"VPORT", "LTYPE", "LAYER", "STYLE", "VIEW", "UCS", "APPID", "DIMSTYLE", "BLOCK_RECORD"};
    const AcDbObjectId ids[9] = {m_db->viewportTableId(), m_db->linetypeTableId(), m_db->layerTableId(),
                                 m_db->textStyleTableId(), m_db->viewTableId(), m_db->UCSTableId(),
                                 m_db->regAppTableId(), m_db->dimStyleTableId(), m_db->blockTableId()};
    for (int i = 0; i < 9; ++i) writeTable(names[i], ids[i], m_tableHandles[i]);
    m_w.write(0, "ENDSEC");
}

// One entity or object: type, handle, owner, its own groups, extended data, then what
// follows it in the file (vertices, attributes, SEQEND).
bool DxfWriter::writeObject(AcDbObjectId id, bool paperSpace) {
    std::vector<AcDbObjectId> followers;
    AcDbObjectId seqendId;
    bool sequence = false;
    std::string layer;
    {
        // An object open for write elsewhere is written as it is in memory.
        cadhost::ent::ReadAccess access(id);
        AcDbObject* obj = access.object();
        if (!obj) {
            if (!id.isErased())
                fail(AcDbHandle(handleOf(id)).ascii() + ": the object cannot be read (status " +
                     std::to_string(static_cast<int>(access.status())) + ")");
            return false;
        }
        const ClassInfo& info = classInfo(obj->isA());
        const char* proxyName = info.proxy ? proxyDxfName(obj) : nullptr;
        const std::string& name = proxyName ? m_scratchName.assign(proxyName) : info.dxfName;
        if (name.empty()) return false;  // classes without a DXF form are not written
        // An object of another program's file keeps bytes only: it has no DXF form.
        const auto* kept = AcDbProxyObject::cast(obj);
        if (kept && kept->dxfGroups().isEmpty() && !kept->dwgData().empty()) return false;
        m_w.write(0, name);
        writeCommon(obj);
        Acad::ErrorStatus es = Acad::eOk;
        if (kept && id == m_db->namedObjectsDictionaryId())
            writeRootGroups(kept);
        else
            es = obj->dxfOutFields(&m_filer);
        if (es != Acad::eOk || m_filer.filerStatus() != Acad::eOk)
            fail(name + " " + AcDbHandle(handleOf(id)).ascii() + ": " +
                 (*m_filer.errorMessage() ? m_filer.errorMessage() : "its fields could not be written"));
        writeXData(obj);
        if (info.followers) {
            sequence = subEntitiesOf(obj, followers, seqendId);
            if (auto* ent = AcDbEntity::cast(obj)) layer = ent->layer();
        }
    }
    if (sequence) {
        for (AcDbObjectId sub : followers) writeObject(sub);
        if (seqendId.isNull() || !writeObject(seqendId)) {
            m_w.write(0, "SEQEND");
            m_w.writeHandle(5, newHandle());
            m_w.writeHandle(330, handleOf(id));
            m_w.write(100, "AcDbEntity");
            if (paperSpace) m_w.writeInt(67, 1);
            m_filer.writeString(8, layer.empty() ? "0" : layer.c_str());
        }
    }
    return true;
}

void DxfWriter::writeBlocks() {
    m_w.write(0, "SECTION");
    m_w.write(2, "BLOCKS");
    for (const Block& b : m_blocks) {
        auto access = std::make_unique<cadhost::ent::ReadAccess>(b.id);
        auto* btr = AcDbBlockTableRecord::cast(access->object());
        if (!btr) {
            fail("block " + b.id.handle().ascii() + " cannot be read");
            continue;
        }
        const bool layoutBlock = b.id == m_model || b.id == m_paper;
        const bool paper = b.id == m_paper;
        m_w.write(0, "BLOCK");
        m_w.writeHandle(5, b.begin);
        m_w.writeHandle(330, handleOf(b.id));
        m_w.write(100, "AcDbEntity");
        if (paper) m_w.writeInt(67, 1);
        m_w.write(8, "0");
        m_w.write(100, "AcDbBlockBegin");
        m_filer.writeString(2, btr->name());
        int flags = btr->flags() & ~(1 | 2 | 4);
        if (btr->isAnonymous()) flags |= 1;
        if (btr->hasAttributeDefinitions()) flags |= 2;
        if (btr->isFromExternalReference()) flags |= 4;
        m_w.writeInt(70, flags);
        m_filer.writePoint3d(10, btr->origin());
        m_filer.writeString(3, btr->name());
        m_filer.writeString(1, btr->pathName());
        if (*btr->comments()) m_filer.writeString(4, btr->comments());
        std::vector<AcDbObjectId> entities = btr->entityIds();
        access.reset();
        if (!layoutBlock)
            for (AcDbObjectId id : entities) writeObject(id);
        m_w.write(0, "ENDBLK");
        m_w.writeHandle(5, b.end);
        m_w.writeHandle(330, handleOf(b.id));
        m_w.write(100, "AcDbEntity");
        if (paper) m_w.writeInt(67, 1);
        m_w.write(8, "0");
        m_w.write(100, "AcDbBlockEnd");
    }
    m_w.write(0, "ENDSEC");
}

void DxfWriter::writeEntities() {
    m_w.write(0, "SECTION");
    m_w.write(2, "ENTITIES");
    for (AcDbObjectId space : {m_model, m_paper}) {
        auto* btr = cadhost::db::peekAs<AcDbBlockTableRecord>(space);
        if (!btr) continue;
        std::vector<AcDbObjectId> entities = btr->entityIds();
        for (AcDbObjectId id : entities) writeObject(id, space == m_paper);
    }
    m_w.write(0, "ENDSEC");
}

void DxfWriter::writeLayout(uint64_t handle, const char* name, bool model, uint64_t blockRecord, int tab) {
    m_w.write(0, "LAYOUT");
    m_w.writeHandle(5, handle);
    m_w.write(102, "{ACAD_REACTORS");
    m_w.writeHandle(330, m_layoutDict);
    m_w.write(102, "}");
    m_w.writeHandle(330, m_layoutDict);
    m_w.write(100, "AcDbPlotSettings");
    m_w.write(1, "");
    m_w.write(2, "none_device");
    m_w.write(4, "");
    m_w.write(6, "");
    for (int code : {40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 140, 141}) m_w.write(code, 0.0);
    m_w.write(142, 1.0);
    m_w.write(143, 1.0);
    m_w.writeInt(70, model ? 1024 : 0);
    m_w.writeInt(72, 1);
    m_w.writeInt(73, 0);
    m_w.writeInt(74, 5);
    m_w.write(7, "");
    m_w.writeInt(75, 16);
    m_w.write(147, 1.0);
    m_w.write(148, 0.0);
    m_w.write(149, 0.0);
    m_w.write(100, "AcDbLayout");
    m_w.write(1, name);
    m_w.writeInt(70, 1);
    m_w.writeInt(71, tab);
    AcGePoint3d limmin = m_db->headerPoint(model ? "LIMMIN" : "PLIMMIN");
    AcGePoint3d limmax = m_db->hasHeaderValue(model ? "LIMMAX" : "PLIMMAX")
                             ? m_db->headerPoint(model ? "LIMMAX" : "PLIMMAX")
                             : AcGePoint3d(420, 297, 0);
    m_filer.writePoint2d(10, AcGePoint2d(limmin.x, limmin.y));
    m_filer.writePoint2d(11, AcGePoint2d(limmax.x, limmax.y));
    m_filer.writePoint3d(12, AcGePoint3d(0, 0, 0));
    m_filer.writePoint3d(14, AcGePoint3d(1e20, 1e20, 1e20));
    m_filer.writePoint3d(15, AcGePoint3d(-1e20, -1e20, -1e20));
    m_w.write(146, 0.0);
    m_filer.writePoint3d(13, AcGePoint3d(0, 0, 0));
    m_filer.writeVector3d(16, AcGeVector3d(1, 0, 0));
    m_filer.writeVector3d(17, AcGeVector3d(0, 1, 0));
    m_w.writeInt(76, 0);
    m_w.writeHandle(330, blockRecord);
}

void DxfWriter::writeObjects() {
    m_w.write(0, "SECTION");
    m_w.write(2, "OBJECTS");
    // A made object's head: type, handle, owner (also its reactor); plus a dictionary's part.
    auto head = [&](const char* type, uint64_t handle, uint64_t owner, bool dictionary) {
        m_w.write(0, type);
        m_w.writeHandle(5, handle);
        if (owner) {
            m_w.write(102, "{ACAD_REACTORS");
            m_w.writeHandle(330, owner);
            m_w.write(102, "}");
        }
        m_w.writeHandle(330, owner);
        if (!dictionary) return;
        m_w.write(100, "AcDbDictionary");
        m_w.writeInt(281, 1);
    };
    auto entry = [&](const std::string& key, uint64_t value) {
        m_w.write(3, key);
        m_w.writeHandle(350, value);
    };
    if (m_keptRoot) {
        writeObject(m_db->namedObjectsDictionaryId());
    } else {
        head("DICTIONARY", m_root, 0, true);
        entry("ACAD_GROUP", m_groupDict);
        entry("ACAD_LAYOUT", m_layoutDict);
        entry("ACAD_PLOTSTYLENAME", m_plotDict);
    }
    if (m_newGroupDict) head("DICTIONARY", m_groupDict, m_root, true);
    if (m_newLayouts) {
        head("DICTIONARY", m_layoutDict, m_root, true);
        entry("Layout1", m_paperLayout);
        for (size_t i = 0; i < m_extraLayouts.size(); ++i) entry("Layout" + std::to_string(i + 2), m_extraLayouts[i].second);
        entry("Model", m_modelLayout);
    }
    if (m_newPlotDict) {
        head("ACDBDICTIONARYWDFLT", m_plotDict, m_root, true);
        entry("Normal", m_plotNormal);
        m_w.write(100, "AcDbDictionaryWithDefault");
        m_w.writeHandle(340, m_plotNormal);
        head("ACDBPLACEHOLDER", m_plotNormal, m_plotDict, false);
    }
    if (m_newLayouts) {
        writeLayout(m_modelLayout, "Model", true, handleOf(m_model), 0);
        writeLayout(m_paperLayout, "Layout1", false, handleOf(m_paper), 1);
        for (size_t i = 0; i < m_extraLayouts.size(); ++i)
            writeLayout(m_extraLayouts[i].second, ("Layout" + std::to_string(i + 2)).c_str(), false,
                        handleOf(m_extraLayouts[i].first), static_cast<int>(i + 2));
    }
    for (AcDbObjectId id : m_objects) writeObject(id);
    m_w.write(0, "ENDSEC");
}

Acad::ErrorStatus DxfWriter::run() {
    collect();
    m_out.reserve(m_db->numObjects() * 220 + 65536);
    // Handles the body takes from the seed are known only once it is written: the body goes
    // first, the header has its own text that the file puts in front of it.
    writeClasses();
    writeTables();
    writeBlocks();
    writeEntities();
    writeObjects();
    m_w.write(0, "EOF");
    if (!m_error.empty()) return Acad::eInvalidInput;
    if (m_w.failed()) {
        m_error = m_w.error();
        return Acad::eInvalidInput;
    }
    std::swap(m_header, m_out);  // the writer appends to m_out
    writeHeader();
    std::swap(m_header, m_out);
    return Acad::eOk;
}

}  // namespace

Acad::ErrorStatus AcDbDatabase::dxfOut(const char* fileName, int precision) {
    if (!fileName || !*fileName) {
        m_lastError = "no file name";
        return Acad::eInvalidInput;
    }
    if (precision < 0 || precision > 16) precision = 16;
    DxfWriter writer(this, precision);
    Acad::ErrorStatus es = writer.run();
    if (es != Acad::eOk) {
        m_lastError = std::string(fileName) + ": " + writer.error();
        return es;
    }
    std::string error, path;
    if (!cadhostLinuxPath(fileName, path, &m_lastError)) return Acad::eFileAccessErr;
    es = cadhost::db::replaceFile(path.c_str(), {writer.header(), writer.body()}, error);
    if (es != Acad::eOk) {
        m_lastError = error;
        return es;
    }
    m_lastError.clear();
    return Acad::eOk;
}
