// Header variables of a drawing and the current settings kept in them.
//
// The current layer, linetype, text style and dimension style are kept by name (CLAYER,
// CELTYPE, TEXTSTYLE, DIMSTYLE), as a drawing file stores them; a rename of the record keeps
// the name in step, and a name that no longer resolves answers the standard record.
#include <cctype>
#include <cmath>
#include "db/database.h"
#include "db/undolog.h"
#include "db/hostinternal.h"
#include "db/units.h"

using namespace cadhost::db;

namespace {
AcDbUnitSettings workingUnits() {
    AcDbUnitSettings s;
    if (AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase()) {
        s.lunits = db->lunits();
        s.luprec = db->luprec();
        s.aunits = db->aunits();
        s.auprec = db->auprec();
        s.dimzin = db->dimzin();
    }
    return s;
}
const bool g_unitsInstalled = (acdbSetUnitSettingsProvider(&workingUnits), true);

AcDbObjectId recordByName(AcDbObjectId tableId, const std::string& name) {
    auto* table = peekAs<AcDbSymbolTable>(tableId);
    return table && !name.empty() ? table->internalLookup(name.c_str()) : AcDbObjectId::kNull;
}

std::string headerText(const AcDbDatabase* db, const char* name) {
    AcDbHeaderValue v = db->headerValue(name);
    if (const std::string* s = std::get_if<std::string>(&v)) return *s;
    return {};
}

// The record must be a live one of this database's table.
Acad::ErrorStatus setCurrent(AcDbDatabase* db, AcDbObjectId tableId, AcDbObjectId id, const char* var) {
    if (id.isNull()) return Acad::eNullObjectId;
    if (id.database() != db) return Acad::eWrongDatabase;
    if (id.isErased()) return Acad::eWasErased;
    auto* record = peekAs<AcDbSymbolTableRecord>(id);
    if (!record) return Acad::eUnknownHandle;
    if (record->ownerId() != tableId) return Acad::eWrongObjectType;
    db->setHeaderValue(var, std::string(record->name()));
    return Acad::eOk;
}
}  // namespace

namespace cadhost::db {
std::string headerName(const std::string& name) {
    std::string n = !name.empty() && name[0] == '$' ? name.substr(1) : name;
    for (char& c : n) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return n;
}

void setDefaultHeader(AcDbDatabase* db) {
    (void)g_unitsInstalled;
    db->setHeaderValue("ACADVER", std::string("AC1015"));
    db->setHeaderValue("INSBASE", AcGePoint3d::kOrigin);
    db->setHeaderValue("EXTMIN", AcGePoint3d(1e20, 1e20, 1e20));
    db->setHeaderValue("EXTMAX", AcGePoint3d(-1e20, -1e20, -1e20));
    db->setHeaderValue("LIMMIN", AcGePoint3d::kOrigin);
    db->setHeaderValue("LIMMAX", AcGePoint3d(420.0, 297.0, 0.0));
    db->setHeaderValue("TILEMODE", 1);
    db->setHeaderValue("LUNITS", 2);
    db->setHeaderValue("LUPREC", 4);
    db->setHeaderValue("AUNITS", 0);
    db->setHeaderValue("AUPREC", 0);
    db->setHeaderValue("DIMZIN", 0);
    db->setHeaderValue("ATTMODE", 1);
    db->setHeaderValue("ATTREQ", 1);
    db->setHeaderValue("ATTDIA", 0);
    db->setHeaderValue("TEXTSIZE", 2.5);
    db->setHeaderValue("LTSCALE", 1.0);
    db->setHeaderValue("CELTSCALE", 1.0);
    db->setHeaderValue("CECOLOR", 256);
    db->setHeaderValue("CELWEIGHT", -1);
    db->setHeaderValue("CLAYER", std::string("0"));
    db->setHeaderValue("CELTYPE", std::string("ByLayer"));
    db->setHeaderValue("TEXTSTYLE", std::string("Standard"));
    db->setHeaderValue("DIMSTYLE", std::string("Standard"));
    db->setHeaderValue("ANGBASE", 0.0);
    db->setHeaderValue("ANGDIR", 0);
    db->setHeaderValue("PDMODE", 0);
    db->setHeaderValue("PDSIZE", 0.0);
    db->setHeaderValue("FILLMODE", 1);
    db->setHeaderValue("MIRRTEXT", 0);
    db->setHeaderValue("MEASUREMENT", 1);
    db->setHeaderValue("INSUNITS", 4);
}

void recordRenamed(AcDbDatabase* db, const AcDbObject* record, const std::string& oldName,
                   const std::string& newName) {
    if (!db || !record) return;
    struct { AcDbObjectId table; const char* var; } vars[] = {
        {db->layerTableId(), "CLAYER"},
        {db->linetypeTableId(), "CELTYPE"},
        {db->textStyleTableId(), "TEXTSTYLE"},
        {db->dimStyleTableId(), "DIMSTYLE"},
    };
    for (const auto& v : vars)
        if (record->ownerId() == v.table && symbolKey(headerText(db, v.var).c_str()) == symbolKey(oldName.c_str()))
            db->setHeaderValue(v.var, newName);
}
}  // namespace cadhost::db

AcDbHeaderValue AcDbDatabase::headerValue(const std::string& name) const {
    auto it = m_header.find(headerName(name));
    return it == m_header.end() ? AcDbHeaderValue{} : it->second;
}

bool AcDbDatabase::hasHeaderValue(const std::string& name) const { return m_header.count(headerName(name)) != 0; }

void AcDbDatabase::setHeaderValue(const std::string& name, const AcDbHeaderValue& value) {
    std::string key = headerName(name);
    if (key.empty()) return;
    if (m_undoLog) {
        auto it = m_header.find(key);
        if (it == m_header.end() || !(it->second == value)) m_undoLog->headerWillChange();
    }
    m_header[key] = value;
}

int AcDbDatabase::headerInt(const std::string& name, int fallback) const {
    auto it = m_header.find(headerName(name));
    if (it == m_header.end()) return fallback;
    if (const int* i = std::get_if<int>(&it->second)) return *i;
    if (const double* d = std::get_if<double>(&it->second))
        if (std::isfinite(*d) && std::fabs(*d) < 2e9) return static_cast<int>(std::lround(*d));
    return fallback;
}

double AcDbDatabase::headerReal(const std::string& name, double fallback) const {
    auto it = m_header.find(headerName(name));
    if (it == m_header.end()) return fallback;
    if (const double* d = std::get_if<double>(&it->second)) return *d;
    if (const int* i = std::get_if<int>(&it->second)) return *i;
    return fallback;
}

AcGePoint3d AcDbDatabase::headerPoint(const std::string& name) const {
    auto it = m_header.find(headerName(name));
    if (it != m_header.end())
        if (const AcGePoint3d* p = std::get_if<AcGePoint3d>(&it->second)) return *p;
    return AcGePoint3d::kOrigin;
}

AcDbObjectId AcDbDatabase::clayer() const {
    AcDbObjectId id = recordByName(layerTableId(), headerText(this, "CLAYER"));
    return id.isNull() ? layerZero() : id;
}
Acad::ErrorStatus AcDbDatabase::setClayer(AcDbObjectId layer) { return setCurrent(this, layerTableId(), layer, "CLAYER"); }

AcDbObjectId AcDbDatabase::celtype() const {
    AcDbObjectId id = recordByName(linetypeTableId(), headerText(this, "CELTYPE"));
    return id.isNull() ? byLayerLinetype() : id;
}
Acad::ErrorStatus AcDbDatabase::setCeltype(AcDbObjectId linetype) {
    return setCurrent(this, linetypeTableId(), linetype, "CELTYPE");
}

AcDbObjectId AcDbDatabase::textstyle() const {
    AcDbObjectId id = recordByName(textStyleTableId(), headerText(this, "TEXTSTYLE"));
    return id.isNull() ? recordByName(textStyleTableId(), "Standard") : id;
}
Acad::ErrorStatus AcDbDatabase::setTextstyle(AcDbObjectId style) {
    return setCurrent(this, textStyleTableId(), style, "TEXTSTYLE");
}

AcCmColor AcDbDatabase::cecolor() const {
    int index = headerInt("CECOLOR", 256);
    return AcCmColor::fromIndex(static_cast<Adesk::UInt16>(index >= 0 && index <= 256 ? index : 256));
}
Acad::ErrorStatus AcDbDatabase::setCecolor(const AcCmColor& color) {
    setHeaderValue("CECOLOR", static_cast<int>(color.colorIndex()));
    return Acad::eOk;
}

AcDbObjectId AcDbDatabase::modelSpaceId() const { return recordByName(blockTableId(), ACDB_MODEL_SPACE); }
AcDbObjectId AcDbDatabase::paperSpaceId() const { return recordByName(blockTableId(), ACDB_PAPER_SPACE); }
AcDbObjectId AcDbDatabase::currentSpaceId() const { return tilemode() ? modelSpaceId() : paperSpaceId(); }
AcDbObjectId AcDbDatabase::byLayerLinetype() const { return recordByName(linetypeTableId(), "ByLayer"); }
AcDbObjectId AcDbDatabase::byBlockLinetype() const { return recordByName(linetypeTableId(), "ByBlock"); }
AcDbObjectId AcDbDatabase::continuousLinetype() const { return recordByName(linetypeTableId(), "Continuous"); }
AcDbObjectId AcDbDatabase::layerZero() const { return recordByName(layerTableId(), "0"); }
