#pragma once
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include "db/handletable.h"
#include "db/idmapping.h"
#include "db/symtab.h"

class AcDbDatabaseReactor;
class AcDbDictionary;
class AcDbUndoLog;

// What the database keeps per object id.
struct AcDbStub {
    AcDbDatabase* database = nullptr;
    AcDbObject* object = nullptr;  // owned by the database; null for an unresolved handle
    AcDbHandle handle;
    int readers = 0;
    bool writer = false;
    int notifiers = 0;
    bool erased = false;
    bool unappended = false;  // created by a command that was undone: out of the drawing
};

// A header variable of a drawing: integer, real, text or point.
using AcDbHeaderValue = std::variant<int, double, std::string, AcGePoint3d>;

// A drawing held in memory: objects by id, symbol tables, header variables.
class CADHOST_API AcDbDatabase : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDatabase);
    // With buildDefaultDrawing the tables and their standard records exist (layer "0",
    // linetypes ByBlock/ByLayer/Continuous, style "Standard", model and paper space, ...).
    explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
    ~AcDbDatabase() override;
    AcDbDatabase(const AcDbDatabase&) = delete;
    AcDbDatabase& operator=(const AcDbDatabase&) = delete;

    // Tables.
    Acad::ErrorStatus getBlockTable(AcDbBlockTable*& table, AcDb::OpenMode mode) const;
    Acad::ErrorStatus getLayerTable(AcDbLayerTable*& table, AcDb::OpenMode mode) const;
    Acad::ErrorStatus getLinetypeTable(AcDbLinetypeTable*& table, AcDb::OpenMode mode) const;
    Acad::ErrorStatus getTextStyleTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode) const;
    Acad::ErrorStatus getViewTable(AcDbViewTable*& table, AcDb::OpenMode mode) const;
    Acad::ErrorStatus getUCSTable(AcDbUCSTable*& table, AcDb::OpenMode mode) const;
    Acad::ErrorStatus getViewportTable(AcDbViewportTable*& table, AcDb::OpenMode mode) const;
    Acad::ErrorStatus getRegAppTable(AcDbRegAppTable*& table, AcDb::OpenMode mode) const;
    Acad::ErrorStatus getDimStyleTable(AcDbDimStyleTable*& table, AcDb::OpenMode mode) const;
    Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& t, AcDb::OpenMode m) const { return getBlockTable(t, m); }
    Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& t, AcDb::OpenMode m) const { return getLayerTable(t, m); }
    AcDbObjectId blockTableId() const { return m_tables[0]; }
    AcDbObjectId layerTableId() const { return m_tables[1]; }
    AcDbObjectId linetypeTableId() const { return m_tables[2]; }
    AcDbObjectId textStyleTableId() const { return m_tables[3]; }
    AcDbObjectId viewTableId() const { return m_tables[4]; }
    AcDbObjectId UCSTableId() const { return m_tables[5]; }
    AcDbObjectId viewportTableId() const { return m_tables[6]; }
    AcDbObjectId regAppTableId() const { return m_tables[7]; }
    AcDbObjectId dimStyleTableId() const { return m_tables[8]; }
    AcDbObjectId namedObjectsDictionaryId() const { return m_namedObjects; }
    AcDbObjectId modelSpaceId() const;
    AcDbObjectId paperSpaceId() const;
    // Model space while TILEMODE is 1, else paper space.
    AcDbObjectId currentSpaceId() const;
    AcDbObjectId byLayerLinetype() const;
    AcDbObjectId byBlockLinetype() const;
    AcDbObjectId continuousLinetype() const;
    AcDbObjectId layerZero() const;

    // Objects.
    Acad::ErrorStatus addAcDbObject(AcDbObjectId& id, AcDbObject* object);
    Acad::ErrorStatus addAcDbObject(AcDbObject* object) { AcDbObjectId id; return addAcDbObject(id, object); }
    // Finds the id of a handle; with createIfNotFound an unresolved id is made for it.
    Acad::ErrorStatus getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound, const AcDbHandle& handle);
    AcDbHandle handseed() const { return m_handseed; }
    int numOpenObjects() const { return m_openCount; }
    size_t numObjects() const { return m_stubs.size(); }
    // Every id of the database in handle order (tables, records, entities, objects).
    std::vector<AcDbObjectId> allIds() const;

    // Cloning.
    Acad::ErrorStatus deepCloneObjects(AcDbObjectIdArray& ids, AcDbObjectId owner, AcDbIdMapping& idMap,
                                       bool deferXlation = false);
    Acad::ErrorStatus wblockCloneObjects(AcDbObjectIdArray& ids, AcDbObjectId owner, AcDbIdMapping& idMap,
                                         AcDb::DuplicateRecordCloning drc, bool deferXlation = false);
    // A new database holding the whole drawing, the entities of one block, or some entities.
    Acad::ErrorStatus wblock(AcDbDatabase*& output);
    Acad::ErrorStatus wblock(AcDbDatabase*& output, AcDbObjectId blockId);
    Acad::ErrorStatus wblock(AcDbDatabase*& output, const AcDbObjectIdArray& entities, const AcGePoint3d& basePoint);
    // Inserts a whole drawing as a new block definition.
    Acad::ErrorStatus insert(AcDbObjectId& blockId, const char* blockName, AcDbDatabase* source,
                             bool preserveSourceDatabase = true);
    // Translates the ids inside every clone of the map (done at the end of cloning).
    Acad::ErrorStatus translateIds(AcDbIdMapping& idMap);
    Acad::ErrorStatus purge(AcDbObjectIdArray& ids);

    // Files. Paths are Linux paths here; the win layer converts drive paths.
    Acad::ErrorStatus readDxfFile(const char* fileName);
    Acad::ErrorStatus dxfOut(const char* fileName, int precision = 16);
    // The share mode is that of the platform (_SH_DENYWR: nobody may be writing the file, which
    // a document holding it is); the code-page switch and the password are not used here.
    Acad::ErrorStatus readDwgFile(const char* fileName, int shareMode = 0x20, bool allowCPConversion = false,
                                  const char* password = nullptr);
    Acad::ErrorStatus saveAs(const char* fileName);
    const char* filename() const { return m_fileName.c_str(); }
    void setFilename(const std::string& name) { m_fileName = name; }
    // Text of the last failed read or write.
    const std::string& lastError() const { return m_lastError; }
    void setLastError(const std::string& message) { m_lastError = message; }

    // Header variables (upper-case names without '$').
    AcDbHeaderValue headerValue(const std::string& name) const;
    bool hasHeaderValue(const std::string& name) const;
    void setHeaderValue(const std::string& name, const AcDbHeaderValue& value);
    const std::map<std::string, AcDbHeaderValue>& headerValues() const { return m_header; }
    int headerInt(const std::string& name, int fallback = 0) const;
    double headerReal(const std::string& name, double fallback = 0.0) const;
    AcGePoint3d headerPoint(const std::string& name) const;
    bool tilemode() const { return headerInt("TILEMODE", 1) != 0; }
    Acad::ErrorStatus setTilemode(bool on) { setHeaderValue("TILEMODE", on ? 1 : 0); return Acad::eOk; }
    AcGePoint3d insbase() const { return headerPoint("INSBASE"); }
    // Attribute values asked for by a dialog (ATTDIA) and asked for at all (ATTREQ).
    bool attdia() const { return headerInt("ATTDIA", 0) != 0; }
    Acad::ErrorStatus setAttdia(bool on) { setHeaderValue("ATTDIA", on ? 1 : 0); return Acad::eOk; }
    bool attreq() const { return headerInt("ATTREQ", 1) != 0; }
    Acad::ErrorStatus setAttreq(bool on) { setHeaderValue("ATTREQ", on ? 1 : 0); return Acad::eOk; }
    Acad::ErrorStatus setInsbase(const AcGePoint3d& p) { setHeaderValue("INSBASE", p); return Acad::eOk; }
    AcDbObjectId clayer() const;
    Acad::ErrorStatus setClayer(AcDbObjectId layer);
    AcDbObjectId celtype() const;
    Acad::ErrorStatus setCeltype(AcDbObjectId linetype);
    AcCmColor cecolor() const;
    Acad::ErrorStatus setCecolor(const AcCmColor& color);
    double celtscale() const { return headerReal("CELTSCALE", 1.0); }
    AcDb::LineWeight celweight() const { return static_cast<AcDb::LineWeight>(headerInt("CELWEIGHT", -1)); }
    AcDbObjectId textstyle() const;
    Acad::ErrorStatus setTextstyle(AcDbObjectId style);
    double textsize() const { return headerReal("TEXTSIZE", 2.5); }
    int lunits() const { return headerInt("LUNITS", 2); }
    int luprec() const { return headerInt("LUPREC", 4); }
    int aunits() const { return headerInt("AUNITS", 0); }
    int auprec() const { return headerInt("AUPREC", 0); }
    int dimzin() const { return headerInt("DIMZIN", 0); }
    int attmode() const { return headerInt("ATTMODE", 1); }
    // Extents of model space, computed from the entities.
    AcDbExtents computeExtents(AcDbObjectId space = AcDbObjectId::kNull) const;

    // Undo recording switch; while it is off nothing is recorded (see db/undolog.h).
    bool undoRecording() const { return m_undoRecording; }
    void disableUndoRecording(bool disable) { m_undoRecording = !disable; }
    // The drawing's undo, once a command group was opened in it (null before).
    AcDbUndoLog* undoLog() const { return m_undoLog.get(); }
    AcDbUndoLog& internalUndoLog();
    bool isUndoing() const;

    // Reactors.
    void addReactor(AcDbDatabaseReactor* reactor);
    void removeReactor(AcDbDatabaseReactor* reactor);
    bool internalHasReactors() const { return !m_reactors.isEmpty(); }
    void fireObjectAppended(const AcDbObject* object);
    void fireObjectModified(const AcDbObject* object);
    void fireObjectErased(const AcDbObject* object, bool erased);
    void fireObjectOpenedForModify(const AcDbObject* object);
    void fireObjectUnAppended(const AcDbObject* object);
    void fireObjectReAppended(const AcDbObject* object);

    // Host-internal: open-state bookkeeping for acdbOpenObject and close.
    void internalOpened() { ++m_openCount; }
    void internalClosed() { --m_openCount; }
    AcDbStub* internalNewStub(AcDbHandle handle);
    void internalSetTableId(int index, AcDbObjectId id) { m_tables[index] = id; }
    void internalSetNamedObjectsId(AcDbObjectId id) { m_namedObjects = id; }
    void internalBumpHandseed(AcDbHandle handle);
    // Empties the database (used before a read replaces the drawing).
    void internalClear();
    void internalBuildDefaults();
    // Exchanges the drawing's contents (objects, tables, header) with another database; the
    // file readers read into a new database and swap only on success.
    void internalSwapContents(AcDbDatabase& other);
    // Room for that many objects by handle (readers that know about how many come).
    void internalReserve(size_t objects);
    // Undo: takes a created object out of the handle map (it stays, erased) and puts it back.
    void internalUnappend(AcDbStub* stub);
    void internalReappend(AcDbStub* stub);
    bool internalHandleInUse(AcDbHandle handle) const { return m_byHandle.contains(handle.value()); }
    void internalSetHandseed(AcDbHandle handle) { m_handseed = handle; }
    std::map<std::string, AcDbHeaderValue>& internalHeader() { return m_header; }
    // Objects of the class or of classes derived from it, erased and undone ones too.
    int internalCountObjectsOf(const AcRxClass* cls) const;

private:
    std::deque<AcDbStub> m_stubs;
    cadhost::db::HandleTable m_byHandle;
    AcDbHandle m_handseed{1};
    int m_openCount = 0;
    AcDbObjectId m_tables[9];
    AcDbObjectId m_namedObjects;
    std::map<std::string, AcDbHeaderValue> m_header;
    std::string m_fileName, m_lastError;
    bool m_undoRecording = true;
    std::unique_ptr<AcDbUndoLog> m_undoLog;
    AcArray<AcDbDatabaseReactor*> m_reactors;
};

class CADHOST_API AcDbDatabaseReactor : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDatabaseReactor);
    virtual void objectAppended(const AcDbDatabase* db, const AcDbObject* object) { (void)db; (void)object; }
    virtual void objectUnAppended(const AcDbDatabase* db, const AcDbObject* object) { (void)db; (void)object; }
    virtual void objectReAppended(const AcDbDatabase* db, const AcDbObject* object) { (void)db; (void)object; }
    virtual void objectOpenedForModify(const AcDbDatabase* db, const AcDbObject* object) { (void)db; (void)object; }
    virtual void objectModified(const AcDbDatabase* db, const AcDbObject* object) { (void)db; (void)object; }
    virtual void objectErased(const AcDbDatabase* db, const AcDbObject* object, Adesk::Boolean erased = true) {
        (void)db; (void)object; (void)erased;
    }
    virtual void goodbye(const AcDbDatabase* db) { (void)db; }
};

// Services of the host application to the database layer.
class CADHOST_API AcDbHostApplicationServices {
public:
    virtual ~AcDbHostApplicationServices();
    AcDbDatabase* workingDatabase() const { return m_working; }
    void setWorkingDatabase(AcDbDatabase* db) { m_working = db; }

private:
    AcDbDatabase* m_working = nullptr;
};
CADHOST_API AcDbHostApplicationServices* acdbHostApplicationServices();
CADHOST_API AcDbDatabase* acdbCurDwg();
