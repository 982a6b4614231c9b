// AcDbDatabase::readDwgFile: drawing files of this host (the layout is in dwglayout.h).
//
// The file is checked whole (size and checksum) before anything is made of it, then read into
// a new database that takes the place of the drawing's contents only when all of it was read.
// Objects are made through their class by name; an object of a class not registered here, or
// one its class cannot read back, is kept as a proxy (AcDbProxyEntity, AcDbProxyObject) that
// writes its bytes back unchanged. References resolve by handle once every object is in.
// Of drawings written by other programs only the preview image is read (acdbReadDwgPreview).
#include <cstdlib>
#include <cstring>
#include <memory>
#include "win/sharemode.h"
#include "db/dwglayout.h"
#include "db/dwgmemfiler.h"
#include "db/dxffile.h"
#include "db/hostinternal.h"
#include "db/proxyentity.h"
#include "db/proxyobject.h"
#include "db/proxygroups.h"
#include "db/dxffiler.h"
#include "rx/rxclass.h"
#include "win/drives.h"

using namespace cadhost::dwg;

namespace {

constexpr int kTableCount = 9;

struct Record {
    std::string className, dxfName, appName;
    uint8_t flags = 0;
    Adesk::Int32 proxyFlags = 0;
    AcDbHandle handle, owner, extensionDictionary;
    std::vector<uint8_t> data;
    AcArray<AcDbProxyEntity::DxfGroup> groups;
    bool haveExtents = false;
    AcGePoint3d low, high;
};

AcRxClass* tableClass(int index) {
    switch (index) {
    case 0: return AcDbBlockTable::desc();
    case 1: return AcDbLayerTable::desc();
    case 2: return AcDbLinetypeTable::desc();
    case 3: return AcDbTextStyleTable::desc();
    case 4: return AcDbViewTable::desc();
    case 5: return AcDbUCSTable::desc();
    case 6: return AcDbViewportTable::desc();
    case 7: return AcDbRegAppTable::desc();
    default: return AcDbDimStyleTable::desc();
    }
}


class DwgReader {
public:
    DwgReader(AcDbDatabase* db, const std::string& file)
        : m_db(db), m_file(reinterpret_cast<const uint8_t*>(file.data())), m_size(file.size()) {}
    Acad::ErrorStatus run();
    const std::string& message() const { return m_message; }
    // Objects their class could not read back, kept as proxies.
    int demoted() const { return m_demoted; }

private:
    Acad::ErrorStatus fail(Acad::ErrorStatus es, const std::string& message) {
        m_message = message;
        return es;
    }
    Acad::ErrorStatus damaged(const std::string& what) { return fail(Acad::eFilerError, "the file is damaged: " + what); }
    Acad::ErrorStatus checkEnvelope(uint32_t& objectsAt, uint32_t& objectsSize);
    Acad::ErrorStatus readObjects(AcDbDwgMemoryFiler& in);
    Acad::ErrorStatus readRecord(AcDbDwgMemoryFiler& in, Record& r);
    AcDbObject* make(const Record& r);
    AcDbObject* makeProxy(const Record& r);
    // A proxy read from DXF, made the object of its class by reading its groups.
    Acad::ErrorStatus readFromGroups(AcDbObject* obj, const Record& r);
    Acad::ErrorStatus join(AcDbObject* obj, const Record& r);

    AcDbDatabase* m_db;
    const uint8_t* m_file;
    size_t m_size;
    std::string m_message;
    int m_demoted = 0;
};

// Size, checksum, marks and preview block: a file that passes is one this host wrote whole.
Acad::ErrorStatus DwgReader::checkEnvelope(uint32_t& objectsAt, uint32_t& objectsSize) {
    const bool dwgLike = m_size >= 6 && std::memcmp(m_file, "AC1", 3) == 0;
    if (!dwgLike) return fail(Acad::eFilerError, "not a drawing file");
    if (m_size < kFileHeaderSize) return fail(Acad::eFilerError, "the file is truncated (" + std::to_string(m_size) + " bytes)");
    if (std::memcmp(m_file + kTagAt, kFileTag, 16) != 0)
        return fail(Acad::eNotImplementedYet,
                    "written by another program (" + std::string(reinterpret_cast<const char*>(m_file), 6) +
                        "); object data of drawings written by other programs is not decoded, only the preview image can be read");
    const uint32_t layout = get32(m_file + kLayoutVersionAt);
    if (layout < kOldestLayoutVersion || layout > kLayoutVersion)
        return fail(Acad::eFilerError, "the drawing file has layout version " + std::to_string(layout) + "; this host reads versions " +
                                           std::to_string(kOldestLayoutVersion) + " to " + std::to_string(kLayoutVersion));
    const uint32_t declared = get32(m_file + kFileSizeAt);
    if (m_size < declared)
        return fail(Acad::eFilerError, "the file is truncated: " + std::to_string(m_size) + " of " + std::to_string(declared) + " bytes");
    if (m_size > declared) return damaged(std::to_string(m_size - declared) + " bytes follow its end");
    if (crc32(m_file, m_size - 4) != get32(m_file + m_size - 4)) return damaged("the checksum does not match its contents");

    PreviewBlock block;
    std::string error;
    const ByteReader read = [this](uint64_t at, void* buffer, size_t n) {
        if (at > m_size || m_size - at < n) return false;
        std::memcpy(buffer, m_file + at, n);
        return true;
    };
    if (!parsePreviewBlock(read, m_size, get32(m_file + kPreviewAddressAt), block, error)) return damaged(error);
    if (!block.endSentinelFound) return damaged("the preview image block has no end sentinel");
    objectsAt = get32(m_file + kObjectsAddressAt);
    objectsSize = get32(m_file + kObjectsSizeAt);
    if (objectsAt != block.end || objectsAt > m_size - 4 || objectsSize != m_size - 4 - objectsAt)
        return damaged("the object data is not where the file header places it");
    return Acad::eOk;
}

Acad::ErrorStatus DwgReader::readRecord(AcDbDwgMemoryFiler& in, Record& r) {
    r.className = cadhost::db::readDwgText(&in);
    r.dxfName = cadhost::db::readDwgText(&in);
    r.appName = cadhost::db::readDwgText(&in);
    in.readUInt8(&r.flags);
    in.readInt32(&r.proxyFlags);
    in.readAcDbHandle(&r.handle);
    in.readAcDbHandle(&r.owner);
    if (r.flags & kExtensionDictionaryRecord) in.readAcDbHandle(&r.extensionDictionary);
    void* bytes = nullptr;
    uint32_t length = 0;
    in.readBinaryChunk(&bytes, &length);
    if (bytes) r.data.assign(static_cast<uint8_t*>(bytes), static_cast<uint8_t*>(bytes) + length);
    std::free(bytes);
    if (r.flags & kProxyRecord) {
        if (cadhost::db::readProxyGroups(&in, r.groups) != Acad::eOk) return Acad::eFilerError;
        in.readBool(&r.haveExtents);
        if (r.haveExtents) {
            in.readPoint3d(&r.low);
            in.readPoint3d(&r.high);
        }
    }
    return in.filerStatus();
}

// A proxy of the recorded kind: the common part read, every byte after it kept.
AcDbObject* DwgReader::makeProxy(const Record& r) {
    AcDbDwgMemoryFiler in(r.data.data(), r.data.size(), AcDb::kFileFiler, m_db);
    if (r.flags & kEntityRecord) {
        auto* p = new AcDbProxyEntity;
        p->internalSetDatabase(m_db);
        if (p->dwgInFields(&in) != Acad::eOk || in.filerStatus() != Acad::eOk) {
            delete p;
            return nullptr;
        }
        p->dwgData().assign(r.data.begin() + in.tell(), r.data.end());
        p->setOriginalNames(r.className.c_str(), r.dxfName.c_str(), r.appName.c_str());
        p->setProxyFlags(r.proxyFlags);
        p->dxfGroups() = r.groups;
        if (r.haveExtents) p->setKnownExtents(AcDbExtents(r.low, r.high));
        return p;
    }
    auto* q = new AcDbProxyObject;
    q->internalSetDatabase(m_db);
    if (q->dwgInFields(&in) != Acad::eOk || in.filerStatus() != Acad::eOk) {
        delete q;
        return nullptr;
    }
    q->dwgData().assign(r.data.begin() + in.tell(), r.data.end());
    q->setOriginalNames(r.className.c_str(), r.dxfName.c_str(), r.appName.c_str());
    q->setProxyFlags(r.proxyFlags);
    q->dxfGroups() = r.groups;
    return q;
}

// Through the class of that name when it is registered, made and read outside the database.
AcDbObject* DwgReader::make(const Record& r) {
    AcRxClass* cls = r.className.empty() ? nullptr : acrxFindClass(r.className.c_str());
    AcRxObject* made = cls ? cls->create() : nullptr;
    AcDbObject* obj = AcDbObject::cast(made);
    if (made && !obj) delete made;
    // A class that became an entity, or stopped being one, cannot read these bytes.
    if (obj && (AcDbEntity::cast(obj) != nullptr) != ((r.flags & kEntityRecord) != 0)) {
        delete obj;
        obj = nullptr;
        ++m_demoted;
    }
    if (obj) {
        obj->internalSetDatabase(m_db);
        Acad::ErrorStatus es;
        if ((r.flags & kProxyRecord) && !r.groups.isEmpty()) {
            es = readFromGroups(obj, r);
        } else {
            AcDbDwgMemoryFiler in(r.data.data(), r.data.size(), AcDb::kFileFiler, m_db);
            es = obj->dwgInFields(&in);
            if (es == Acad::eOk) es = in.filerStatus();
        }
        if (es == Acad::eOk) return obj;
        delete obj;
        ++m_demoted;
    }
    return makeProxy(r);
}

// The proxy's common data and its DXF groups, as a DXF file would give them to the class:
// the common part, the class's own groups, then the extended data and the reactors.
Acad::ErrorStatus DwgReader::readFromGroups(AcDbObject* obj, const Record& r) {
    std::unique_ptr<AcDbObject> proxy(makeProxy(r));
    if (!proxy) return Acad::eFilerError;
    AcDbDxfMemoryFiler groups(m_db, AcDb::kFileFiler);
    Acad::ErrorStatus es = proxy->dxfOutFields(&groups);
    if (es != Acad::eOk) return es;
    groups.rewind();
    es = obj->dxfInFields(&groups);
    if (es == Acad::eOk) es = groups.filerStatus();
    if (es != Acad::eOk) return es;
    if (resbuf* xdata = proxy->xData(nullptr)) {
        es = obj->setXData(xdata);
        acutRelRb(xdata);
        if (es != Acad::eOk) return es;
    }
    obj->internalSetOwner(proxy->ownerId());
    for (const AcDbObjectId& reactor : proxy->persistentReactors()) obj->addPersistentReactor(reactor);
    return Acad::eOk;
}

Acad::ErrorStatus DwgReader::join(AcDbObject* obj, const Record& r) {
    AcDbObjectId id;
    if (m_db->getAcDbObjectId(id, true, r.handle) != Acad::eOk || id.stub()->object) {
        delete obj;
        return damaged("handle " + r.handle.ascii() + " is given to two objects");
    }
    obj->internalSetId(id);
    AcDbObjectId added;
    if (m_db->addAcDbObject(added, obj) != Acad::eOk) {
        obj->internalSetId(AcDbObjectId::kNull);
        delete obj;
        return damaged("object " + r.handle.ascii() + " cannot join the drawing");
    }
    if (obj->ownerId().isNull() && !r.owner.isNull()) {
        AcDbObjectId owner;
        m_db->getAcDbObjectId(owner, true, r.owner);
        obj->internalSetOwner(owner);
    }
    if (!r.extensionDictionary.isNull()) {
        AcDbObjectId xdict;
        m_db->getAcDbObjectId(xdict, true, r.extensionDictionary);
        obj->internalSetExtensionDictionary(xdict);
    }
    id.stub()->erased = (r.flags & kErasedRecord) != 0;
    obj->close();
    return Acad::eOk;
}

Acad::ErrorStatus DwgReader::readObjects(AcDbDwgMemoryFiler& in) {
    char tag[16] = {};
    in.readBytes(tag, 16);
    if (in.filerStatus() != Acad::eOk || std::memcmp(tag, kObjectsTag, 16) != 0)
        return damaged("the object data does not start with its tag");
    AcDbHandle seed;
    in.readAcDbHandle(&seed);

    Adesk::Int32 count = 0;
    in.readInt32(&count);
    if (in.filerStatus() != Acad::eOk || count < 0 || size_t(count) > in.remaining() / 5)
        return damaged("the header variables cannot be read");
    std::vector<std::pair<std::string, AcDbHeaderValue>> header;
    for (Adesk::Int32 i = 0; i < count && in.filerStatus() == Acad::eOk; ++i) {
        std::string name = cadhost::db::readDwgText(&in);
        Adesk::UInt8 kind = 0;
        in.readUInt8(&kind);
        switch (kind) {
        case kIntValue: {
            Adesk::Int32 v = 0;
            in.readInt32(&v);
            header.emplace_back(name, int(v));
            break;
        }
        case kRealValue: {
            double v = 0;
            in.readDouble(&v);
            header.emplace_back(name, v);
            break;
        }
        case kTextValue: header.emplace_back(name, cadhost::db::readDwgText(&in)); break;
        case kPointValue: {
            AcGePoint3d p;
            in.readPoint3d(&p);
            header.emplace_back(name, p);
            break;
        }
        default: return damaged("header variable " + name + " has an unknown kind of value");
        }
    }
    AcDbHandle tables[kTableCount + 1];
    for (AcDbHandle& h : tables) in.readAcDbHandle(&h);
    in.readInt32(&count);
    if (in.filerStatus() != Acad::eOk || count < 0 || size_t(count) > in.remaining() / 16)
        return damaged("the object table cannot be read");

    for (Adesk::Int32 i = 0; i < count; ++i) {
        Record r;
        if (readRecord(in, r) != Acad::eOk) return damaged("object record " + std::to_string(i + 1) + " cannot be read");
        if (r.handle.isNull()) return damaged("object record " + std::to_string(i + 1) + " has no handle");
        AcDbObject* obj = make(r);
        if (!obj)
            return damaged((r.className.empty() ? std::string("object") : r.className) + " " + r.handle.ascii() +
                           ": its common data cannot be read");
        if (Acad::ErrorStatus es = join(obj, r); es != Acad::eOk) return es;
    }
    if (in.remaining() != 0) return damaged(std::to_string(in.remaining()) + " bytes follow the last object");

    for (int i = 0; i < kTableCount; ++i) {
        if (tables[i].isNull()) continue;
        AcDbObjectId id;
        AcDbObject* table = nullptr;
        if (m_db->getAcDbObjectId(id, false, tables[i]) == Acad::eOk) table = cadhost::db::peek(id);
        if (!table || !table->isKindOf(tableClass(i)))
            return damaged("the " + std::string(tableClass(i)->name()) + " (" + tables[i].ascii() + ") is missing");
        m_db->internalSetTableId(i, id);
    }
    if (!tables[kTableCount].isNull()) {
        AcDbObjectId id;
        if (m_db->getAcDbObjectId(id, false, tables[kTableCount]) == Acad::eOk && cadhost::db::peek(id))
            m_db->internalSetNamedObjectsId(id);
    }
    for (const auto& [name, value] : header) m_db->setHeaderValue(name, value);
    if (seed.value() > 1) m_db->internalBumpHandseed(AcDbHandle(seed.value() - 1));
    return Acad::eOk;
}

Acad::ErrorStatus DwgReader::run() {
    uint32_t objectsAt = 0, objectsSize = 0;
    if (Acad::ErrorStatus es = checkEnvelope(objectsAt, objectsSize); es != Acad::eOk) return es;
    AcDbDwgMemoryFiler in(m_file + objectsAt, objectsSize, AcDb::kFileFiler, m_db);
    return readObjects(in);
}

}  // namespace

Acad::ErrorStatus AcDbDatabase::readDwgFile(const char* fileName, int shareMode, bool, const char*) {
    if (!fileName || !*fileName) {
        m_lastError = "no file name";
        return Acad::eInvalidInput;
    }
    if (m_openCount != 0) {
        m_lastError = std::string(fileName) + ": the drawing has " + std::to_string(m_openCount) +
                      " open object(s); close them before reading a file into it";
        return Acad::eInvalidOpenState;
    }
    std::string data, error, path;
    if (!cadhostLinuxPath(fileName, path, &m_lastError)) return Acad::eFileNotFound;
    if (!cadhostShareAllowsRead(path, shareMode)) {
        m_lastError = std::string(fileName) + ": the file is open in another drawing";
        return Acad::eFileAccessErr;
    }
    Acad::ErrorStatus es = cadhost::dxf::readWholeFile(path.c_str(), data, error);
    if (es != Acad::eOk) {
        m_lastError = error;
        return es;
    }
    auto fresh = std::make_unique<AcDbDatabase>(false, true);
    DwgReader reader(fresh.get(), data);
    es = reader.run();
    if (es != Acad::eOk) {
        m_lastError = std::string(fileName) + ": " + reader.message();
        return es;
    }
    internalSwapContents(*fresh);
    m_fileName = fileName;
    m_lastError.clear();
    if (reader.demoted() > 0)
        m_lastError = std::string(fileName) + ": " + std::to_string(reader.demoted()) +
                      " object(s) could not be read by their class and are kept as proxies";
    return Acad::eOk;
}
