#pragma once
#include <map>
#include <string>
#include <vector>
#include "db/entity.h"

class AcDbSymbolTableIterator;
class AcDbBlockTableRecordIterator;

// A named record of a symbol table.
class CADHOST_API AcDbSymbolTableRecord : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbSymbolTableRecord);
    ~AcDbSymbolTableRecord() override;
    Acad::ErrorStatus getName(char*& name) const;        // heap copy, caller frees
    Acad::ErrorStatus getName(const char*& name) const;  // the record's own text
    const char* name() const { return m_name.c_str(); }
    Acad::ErrorStatus setName(const char* name);
    bool isDependent() const { return m_name.find('|') != std::string::npos; }
    bool isResolved() const { return true; }
    Adesk::Int16 flags() const { return m_flags; }
    void setFlags(Adesk::Int16 f) { m_flags = f; }
    // Unerasing fails with eDuplicateKey while another record has taken the name.
    Acad::ErrorStatus subErase(bool erasing) override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

protected:
    AcDbSymbolTableRecord();

private:
    std::string m_name;
    Adesk::Int16 m_flags = 0;
};

// A table of uniquely named records (names compare without regard to case).
class CADHOST_API AcDbSymbolTable : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbSymbolTable);
    ~AcDbSymbolTable() override;
    Acad::ErrorStatus getAt(const char* name, AcDbObjectId& id, bool getErased = false) const;
    Acad::ErrorStatus getAt(const char* name, AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                            bool openErased = false) const;
    template <class R>
    Acad::ErrorStatus getAt(const char* name, R*& record, AcDb::OpenMode mode, bool openErased = false) const {
        AcDbObjectId id;
        record = nullptr;
        Acad::ErrorStatus es = getAt(name, id, openErased);
        return es == Acad::eOk ? acdbOpenObject(record, id, mode, openErased) : es;
    }
    bool has(const char* name) const;
    bool has(AcDbObjectId id) const;
    // Adds a new record (opened for write by the caller, left open); the table must be open for write.
    Acad::ErrorStatus add(AcDbSymbolTableRecord* record);
    Acad::ErrorStatus add(AcDbObjectId& id, AcDbSymbolTableRecord* record);
    Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& iterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    // The record class this table holds, for readers that create records.
    virtual AcRxClass* recordClass() const = 0;
    int numRecords(bool countErased = false) const;
    const std::vector<AcDbObjectId>& recordIds() const { return m_order; }
    // Kept in step when a record is renamed.
    void internalRename(const std::string& oldName, const std::string& newName, AcDbObjectId id);
    void internalAppend(AcDbObjectId id, const std::string& name);
    // Host-internal lookup without the open check (the live record of that name, or null).
    AcDbObjectId internalLookup(const char* name, bool getErased = false) const;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

protected:
    AcDbSymbolTable();

private:
    static std::string key(const std::string& name);
    std::vector<AcDbObjectId> m_order;
    std::map<std::string, AcDbObjectId> m_byName;
};

class CADHOST_API AcDbSymbolTableIterator {
public:
    AcDbSymbolTableIterator(const AcDbSymbolTable* table, bool atBeginning, bool skipDeleted);
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
    Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& record, AcDb::OpenMode mode, bool openErased = false) const;
    template <class R>
    Acad::ErrorStatus getRecord(R*& record, AcDb::OpenMode mode, bool openErased = false) const {
        AcDbObjectId id;
        record = nullptr;
        Acad::ErrorStatus es = getRecordId(id);
        return es == Acad::eOk ? acdbOpenObject(record, id, mode, openErased) : es;
    }
    Acad::ErrorStatus seek(AcDbObjectId id);

private:
    void skip(bool forward, bool skipDeleted);
    const AcDbSymbolTable* m_table;
    long m_pos = 0;
};

#define CADHOST_DECLARE_TABLE(TABLE, RECORD)                                 \
    class RECORD;                                                            \
    class CADHOST_API TABLE : public AcDbSymbolTable {                       \
    public:                                                                  \
        ACRX_DECLARE_MEMBERS(TABLE);                                         \
        TABLE();                                                             \
        ~TABLE() override;                                                   \
        AcRxClass* recordClass() const override;                             \
    };

CADHOST_DECLARE_TABLE(AcDbBlockTable, AcDbBlockTableRecord)
using AcDbBlockTableIterator = AcDbSymbolTableIterator;
CADHOST_DECLARE_TABLE(AcDbLayerTable, AcDbLayerTableRecord)
CADHOST_DECLARE_TABLE(AcDbLinetypeTable, AcDbLinetypeTableRecord)
CADHOST_DECLARE_TABLE(AcDbTextStyleTable, AcDbTextStyleTableRecord)
CADHOST_DECLARE_TABLE(AcDbViewTable, AcDbViewTableRecord)
CADHOST_DECLARE_TABLE(AcDbUCSTable, AcDbUCSTableRecord)
CADHOST_DECLARE_TABLE(AcDbViewportTable, AcDbViewportTableRecord)
CADHOST_DECLARE_TABLE(AcDbRegAppTable, AcDbRegAppTableRecord)
CADHOST_DECLARE_TABLE(AcDbDimStyleTable, AcDbDimStyleTableRecord)

#define ACDB_MODEL_SPACE "*Model_Space"
#define ACDB_PAPER_SPACE "*Paper_Space"

// A block definition: an ordered list of entities with an origin.
class CADHOST_API AcDbBlockTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockTableRecord);
    AcDbBlockTableRecord();
    ~AcDbBlockTableRecord() override;

    // The record must be open for write and in a database; the entity is left open for write.
    Acad::ErrorStatus appendAcDbEntity(AcDbEntity* entity);
    Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity);
    Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& iterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    AcGePoint3d origin() const { return m_origin; }
    Acad::ErrorStatus setOrigin(const AcGePoint3d& origin);
    bool isAnonymous() const { return name()[0] == '*' && !isLayout(); }
    bool isLayout() const;
    bool hasAttributeDefinitions() const;
    bool hasPreviewIcon() const { return !m_preview.isEmpty(); }
    // The preview is a packed device-independent bitmap (header, palette, pixels).
    Acad::ErrorStatus getPreviewIcon(AcArray<Adesk::UInt8>& icon) const;
    Acad::ErrorStatus setPreviewIcon(const AcArray<Adesk::UInt8>& icon);
    const char* comments() const { return m_comments.c_str(); }
    Acad::ErrorStatus setComments(const char* text);
    const char* pathName() const { return m_path.c_str(); }
    Acad::ErrorStatus setPathName(const char* path);
    bool isFromExternalReference() const { return !m_path.empty(); }
    Acad::ErrorStatus getBlockReferenceIds(AcDbObjectIdArray& ids, bool directOnly = true) const;
    const std::vector<AcDbObjectId>& entityIds() const { return m_entities; }
    // Host-internal: entity order maintenance used by readers and cloning.
    void internalAppendId(AcDbObjectId id) { m_entities.push_back(id); }
    void internalRemoveId(AcDbObjectId id);
    void internalSetIds(std::vector<AcDbObjectId> ids) { m_entities = std::move(ids); }
    AcDbObjectId internalEndBlockId() const { return m_endBlock; }
    AcDbObjectId internalBeginBlockId() const { return m_beginBlock; }

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus deepClone(AcDbObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                Adesk::Boolean isPrimary = true) const override;

private:
    std::vector<AcDbObjectId> m_entities;
    AcGePoint3d m_origin;
    AcArray<Adesk::UInt8> m_preview;
    std::string m_comments, m_path;
    AcDbObjectId m_beginBlock, m_endBlock;
};

class CADHOST_API AcDbBlockTableRecordIterator {
public:
    AcDbBlockTableRecordIterator(const AcDbBlockTableRecord* record, bool atBeginning, bool skipDeleted);
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getEntityId(AcDbObjectId& id) const;
    Acad::ErrorStatus getEntity(AcDbEntity*& entity, AcDb::OpenMode mode, bool openErased = false) const;
    Acad::ErrorStatus seek(AcDbObjectId id);
    Acad::ErrorStatus seek(const AcDbEntity* entity) { return seek(entity->objectId()); }

private:
    void skip(bool forward, bool skipDeleted);
    AcDbObjectId m_record;
    const AcDbBlockTableRecord* m_rec;
    long m_pos = 0;
};

class CADHOST_API AcDbLayerTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbLayerTableRecord);
    AcDbLayerTableRecord();
    ~AcDbLayerTableRecord() override;
    AcCmColor color() const { return m_color; }
    void setColor(const AcCmColor& c) { assertWriteEnabled(); m_color = c; }
    bool isOff() const { return m_off; }
    void setIsOff(bool off) { assertWriteEnabled(); m_off = off; }
    bool isFrozen() const { return flags() & 1; }
    Acad::ErrorStatus setIsFrozen(bool frozen);
    bool isLocked() const { return flags() & 4; }
    void setIsLocked(bool locked);
    AcDbObjectId linetypeObjectId() const { return m_linetype; }
    void setLinetypeObjectId(AcDbObjectId id) { assertWriteEnabled(); m_linetype = id; }
    AcDb::LineWeight lineWeight() const { return m_weight; }
    Acad::ErrorStatus setLineWeight(AcDb::LineWeight w) { assertWriteEnabled(); m_weight = w; return Acad::eOk; }
    bool isPlottable() const { return m_plot; }
    void setIsPlottable(bool p) { assertWriteEnabled(); m_plot = p; }

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

private:
    AcCmColor m_color = AcCmColor::fromIndex(7);
    bool m_off = false, m_plot = true;
    AcDbObjectId m_linetype;
    AcDb::LineWeight m_weight = AcDb::kLnWtByLwDefault;
};

class CADHOST_API AcDbLinetypeTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbLinetypeTableRecord);
    AcDbLinetypeTableRecord();
    ~AcDbLinetypeTableRecord() override;
    const char* comments() const { return m_comments.c_str(); }
    Acad::ErrorStatus setComments(const char* text);
    double patternLength() const;
    int numDashes() const { return m_dashes.length(); }
    double dashLengthAt(int i) const { return m_dashes[i]; }
    void setNumDashes(int n) { assertWriteEnabled(); m_dashes.setLogicalLength(n); }
    void setDashLengthAt(int i, double len) { assertWriteEnabled(); m_dashes[i] = len; }

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

private:
    std::string m_comments;
    AcDbDoubleArray m_dashes;
};

class CADHOST_API AcDbTextStyleTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbTextStyleTableRecord);
    AcDbTextStyleTableRecord();
    ~AcDbTextStyleTableRecord() override;
    double textSize() const { return m_size; }
    void setTextSize(double s) { assertWriteEnabled(); m_size = s; }
    double xScale() const { return m_xScale; }
    void setXScale(double s) { assertWriteEnabled(); m_xScale = s; }
    double obliquingAngle() const { return m_oblique; }
    void setObliquingAngle(double a) { assertWriteEnabled(); m_oblique = a; }
    double priorSize() const { return m_prior; }
    void setPriorSize(double s) { assertWriteEnabled(); m_prior = s; }
    Adesk::UInt8 flagBits() const { return m_flagBits; }
    void setFlagBits(Adesk::UInt8 b) { assertWriteEnabled(); m_flagBits = b; }
    Acad::ErrorStatus fileName(const char*& name) const { name = m_file.c_str(); return Acad::eOk; }
    Acad::ErrorStatus setFileName(const char* name);
    Acad::ErrorStatus bigFontFileName(const char*& name) const { name = m_bigFont.c_str(); return Acad::eOk; }
    Acad::ErrorStatus setBigFontFileName(const char* name);
    bool isShapeFile() const { return flags() & 1; }
    bool isVertical() const { return flags() & 4; }

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

private:
    double m_size = 0.0, m_xScale = 1.0, m_oblique = 0.0, m_prior = 0.2;
    Adesk::UInt8 m_flagBits = 0;
    std::string m_file = "txt", m_bigFont;
};

// Records without data of their own beyond what the generic record keeps.
#define CADHOST_DECLARE_PLAIN_RECORD(RECORD)                                 \
    class CADHOST_API RECORD : public AcDbSymbolTableRecord {                \
    public:                                                                  \
        ACRX_DECLARE_MEMBERS(RECORD);                                        \
        RECORD();                                                            \
        ~RECORD() override;                                                  \
    };
CADHOST_DECLARE_PLAIN_RECORD(AcDbRegAppTableRecord)
CADHOST_DECLARE_PLAIN_RECORD(AcDbUCSTableRecord)
CADHOST_DECLARE_PLAIN_RECORD(AcDbViewTableRecord)
CADHOST_DECLARE_PLAIN_RECORD(AcDbDimStyleTableRecord)

class CADHOST_API AcDbViewportTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbViewportTableRecord);
    AcDbViewportTableRecord();
    ~AcDbViewportTableRecord() override;
    AcGePoint2d centerPoint() const { return m_center; }
    void setCenterPoint(const AcGePoint2d& p) { assertWriteEnabled(); m_center = p; }
    double height() const { return m_height; }
    void setHeight(double h) { assertWriteEnabled(); m_height = h; }
    double width() const { return m_width; }
    void setWidth(double w) { assertWriteEnabled(); m_width = w; }
    AcGeVector3d viewDirection() const { return m_direction; }
    void setViewDirection(const AcGeVector3d& v) { assertWriteEnabled(); m_direction = v; }

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

private:
    AcGePoint2d m_center;
    double m_height = 9.0, m_width = 12.0;
    AcGeVector3d m_direction{0, 0, 1};
};
