// AcDbDatabase::saveAs: DXF by the extension ".dxf", otherwise the host's drawing file (the
// layout is in dwglayout.h). The whole file is made in memory first; it goes to a new file
// beside the target that replaces the target only once all of it is on disk, so a failed save
// leaves the old file as it was.
#include <algorithm>
#include <cctype>
#include <cstring>
#include "db/blockpreview.h"
#include "db/dwglayout.h"
#include "db/dwgmemfiler.h"
#include "db/dxffile.h"
#include "db/filereplace.h"
#include "db/proxyentity.h"
#include "db/proxyobject.h"
#include "rx/rxclass.h"
#include "win/drives.h"

using namespace cadhost::dwg;

namespace {

// Names and flags a record is written under: a proxy keeps those of the class it stands for.
struct RecordHead {
    std::string className, dxfName, appName;
    uint8_t flags = 0;
    int proxyFlags = 0;
};

RecordHead headOf(const AcDbObject* obj) {
    RecordHead h;
    if (const auto* p = AcDbProxyEntity::cast(obj)) {
        h.className = p->originalClassName();
        h.dxfName = p->originalDxfName();
        h.appName = p->applicationDescription();
        h.proxyFlags = p->proxyFlags();
        h.flags = kProxyRecord;
    } else if (const auto* q = AcDbProxyObject::cast(obj)) {
        h.className = q->originalClassName();
        h.dxfName = q->originalDxfName();
        h.appName = q->applicationDescription();
        h.proxyFlags = q->proxyFlags();
        h.flags = kProxyRecord;
    } else if (AcRxClass* cls = obj->isA()) {
        h.className = cls->name();
        h.dxfName = cls->dxfName();
        h.appName = cls->appName();
        h.proxyFlags = cls->proxyFlags();
    }
    if (AcDbEntity::cast(obj)) h.flags |= kEntityRecord;
    if (!obj->extensionDictionary().isNull()) h.flags |= kExtensionDictionaryRecord;
    if (obj->isErased()) h.flags |= kErasedRecord;
    return h;
}

// What a proxy holds beyond its bytes: the groups it was read with from DXF, and an entity's
// extents.
void writeProxyExtras(AcDbDwgMemoryFiler& out, const AcDbObject* obj) {
    const auto* p = AcDbProxyEntity::cast(obj);
    if (!p) {
        const auto* q = AcDbProxyObject::cast(obj);
        cadhost::db::writeProxyGroups(&out, q ? q->dxfGroups() : AcArray<AcDbProxyObject::DxfGroup>());
        out.writeBool(false);
        return;
    }
    cadhost::db::writeProxyGroups(&out, p->dxfGroups());
    AcDbExtents ext;
    const bool known = p->getGeomExtents(ext) == Acad::eOk;
    out.writeBool(known);
    if (known) {
        out.writePoint3d(ext.minPoint());
        out.writePoint3d(ext.maxPoint());
    }
}

void writeHeader(AcDbDwgMemoryFiler& out, const AcDbDatabase* db) {
    const auto& values = db->headerValues();
    out.writeInt32(static_cast<Adesk::Int32>(values.size()));
    for (const auto& [name, value] : values) {
        out.writeString(name.c_str());
        out.writeUInt8(static_cast<Adesk::UInt8>(value.index()));
        switch (value.index()) {
        case kIntValue: out.writeInt32(std::get<int>(value)); break;
        case kRealValue: out.writeDouble(std::get<double>(value)); break;
        case kTextValue: out.writeString(std::get<std::string>(value).c_str()); break;
        default: out.writePoint3d(std::get<AcGePoint3d>(value)); break;
        }
    }
}

class DwgWriter {
public:
    explicit DwgWriter(AcDbDatabase* db) : m_db(db), m_out(AcDb::kFileFiler, db) {}
    Acad::ErrorStatus run(std::vector<uint8_t>& file);
    const std::string& error() const { return m_error; }

private:
    Acad::ErrorStatus fail(Acad::ErrorStatus es, const std::string& message) {
        m_error = message;
        return es;
    }
    Acad::ErrorStatus writeObjects();
    Acad::ErrorStatus writeObject(AcDbObjectId id);
    std::vector<uint8_t> preview();

    AcDbDatabase* m_db;
    AcDbDwgMemoryFiler m_out;  // the object data
    std::string m_error;
};

Acad::ErrorStatus DwgWriter::writeObject(AcDbObjectId id) {
    AcDbObject* obj = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(obj, id, AcDb::kForRead, true);
    if (es != Acad::eOk)
        return fail(es, "object " + id.handle().ascii() + " cannot be opened (status " + std::to_string(es) + ")");
    const RecordHead head = headOf(obj);
    AcDbDwgMemoryFiler data(AcDb::kFileFiler, m_db);
    es = obj->dwgOutFields(&data);
    if (es == Acad::eOk) es = data.filerStatus();
    if (es == Acad::eOk) {
        m_out.writeString(head.className.c_str());
        m_out.writeString(head.dxfName.c_str());
        m_out.writeString(head.appName.c_str());
        m_out.writeUInt8(head.flags);
        m_out.writeInt32(head.proxyFlags);
        m_out.writeAcDbHandle(id.handle());
        const AcDbObjectId owner = obj->ownerId();
        m_out.writeAcDbHandle(owner.isNull() || owner.database() != m_db ? AcDbHandle() : owner.handle());
        if (head.flags & kExtensionDictionaryRecord) m_out.writeAcDbHandle(obj->extensionDictionary().handle());
        m_out.writeBinaryChunk(data.data(), static_cast<uint32_t>(data.size()));
        if (head.flags & kProxyRecord) writeProxyExtras(m_out, obj);
    }
    const std::string what = std::string(obj->isA() ? obj->isA()->name() : "object") + " " + id.handle().ascii();
    obj->close();
    if (es != Acad::eOk) return fail(es, what + ": its data could not be written (status " + std::to_string(es) + ")");
    if (m_out.filerStatus() != Acad::eOk) return fail(m_out.filerStatus(), "the object data could not be assembled");
    return Acad::eOk;
}

Acad::ErrorStatus DwgWriter::writeObjects() {
    const std::vector<AcDbObjectId> ids = m_db->allIds();
    for (const AcDbObjectId& id : ids)
        if (id.stub()->writer)
            return fail(Acad::eWasOpenForWrite, "object " + id.handle().ascii() + " is open for write; close it before saving");
    m_out.writeBytes(kObjectsTag, 16);
    m_out.writeAcDbHandle(m_db->handseed());
    writeHeader(m_out, m_db);
    const AcDbObjectId tables[] = {m_db->blockTableId(),    m_db->layerTableId(),  m_db->linetypeTableId(),
                                   m_db->textStyleTableId(), m_db->viewTableId(),   m_db->UCSTableId(),
                                   m_db->viewportTableId(),  m_db->regAppTableId(), m_db->dimStyleTableId(),
                                   m_db->namedObjectsDictionaryId()};
    for (const AcDbObjectId& t : tables) m_out.writeAcDbHandle(t.isNull() ? AcDbHandle() : t.handle());
    m_out.writeInt32(static_cast<Adesk::Int32>(ids.size()));
    for (const AcDbObjectId& id : ids)
        if (Acad::ErrorStatus es = writeObject(id); es != Acad::eOk) return es;
    return m_out.filerStatus();
}

// Model space drawn small; a black image when there is nothing to draw or drawing fails.
std::vector<uint8_t> DwgWriter::preview() {
    AcArray<Adesk::UInt8> dib;
    if (acdbHostRenderBlockPreview(m_db, m_db->modelSpaceId(), kPreviewWidth, kPreviewHeight, dib) != Acad::eOk)
        dib.removeAll();
    return std::vector<uint8_t>(dib.begin(), dib.end());
}

Acad::ErrorStatus DwgWriter::run(std::vector<uint8_t>& file) {
    if (Acad::ErrorStatus es = writeObjects(); es != Acad::eOk) return es;
    const std::vector<uint8_t> dib = preview();

    file.assign(kFileHeaderSize, 0);
    std::memcpy(file.data(), kVersion, 6);
    file[0x0C] = 1;
    file[kCodePageAt] = 30;  // ANSI 1252
    put32(file.data() + 0x28, 0x80);
    std::memcpy(file.data() + kTagAt, kFileTag, 16);
    put32(file.data() + kLayoutVersionAt, kLayoutVersion);
    put32(file.data() + kPreviewAddressAt, static_cast<uint32_t>(file.size()));
    appendPreviewBlock(file, dib);
    const size_t objectsAt = file.size();
    const uint64_t total = uint64_t(objectsAt) + m_out.size() + 4;
    if (total > 0x7FFFFFFFu) return fail(Acad::eOutOfMemory, "the drawing is too large for a drawing file (2 GB at most)");
    file.insert(file.end(), m_out.data(), m_out.data() + m_out.size());
    put32(file.data() + kObjectsAddressAt, static_cast<uint32_t>(objectsAt));
    put32(file.data() + kObjectsSizeAt, static_cast<uint32_t>(m_out.size()));
    put32(file.data() + kFileSizeAt, static_cast<uint32_t>(total));
    const uint32_t crc = crc32(file.data(), file.size());
    file.resize(file.size() + 4);
    put32(file.data() + file.size() - 4, crc);
    return Acad::eOk;
}

bool hasDxfExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".dxf";
}

}  // namespace

Acad::ErrorStatus AcDbDatabase::saveAs(const char* fileName) {
    if (!fileName || !*fileName) {
        m_lastError = "no file name";
        return Acad::eInvalidInput;
    }
    if (hasDxfExtension(fileName)) {
        Acad::ErrorStatus es = dxfOut(fileName);
        if (es == Acad::eOk) m_fileName = fileName;
        return es;
    }
    std::vector<uint8_t> file;
    DwgWriter writer(this);
    Acad::ErrorStatus es = writer.run(file);
    if (es != Acad::eOk) {
        m_lastError = std::string(fileName) + ": " + writer.error();
        return es;
    }
    std::string error, path;
    if (!cadhostLinuxPath(fileName, path, &m_lastError)) return Acad::eFileAccessErr;
    es = cadhost::db::replaceFile(path.c_str(),
                                           std::string_view(reinterpret_cast<const char*>(file.data()), file.size()), error);
    if (es != Acad::eOk) {
        m_lastError = error;
        return es;
    }
    m_fileName = fileName;
    m_lastError.clear();
    return Acad::eOk;
}
