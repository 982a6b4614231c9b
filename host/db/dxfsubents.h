// How the DXF file layer meets particular entity classes: MINSERT among INSERTs, the
// entities that follow others up to SEQEND (attributes, vertices), and proxies.
#pragma once
#include <set>
#include <string>
#include <vector>
#include "db/dxffiler.h"
#include "db/entity.h"

namespace cadhost::dxf {

// Whether the reader must see an entity's groups before it picks the class (INSERT may be a
// MINSERT); the groups are then in mem.
bool classNeedsGroups(const std::string& dxfName);
// The class to create for an entity whose groups are in mem (null when not buffered).
AcRxClass* adjustedClass(const std::string& dxfName, AcRxClass* cls, const AcDbDxfMemoryFiler* mem);

// Entities that come after parent in a file and belong to it (ATTRIB, VERTEX, SEQEND).
bool isSubEntityName(const AcDbObject* parent, const std::string& dxfName);
// Whether such an entity joins the database when it is read (SEQEND) or is handed to its
// parent outside it (attributes and vertices join through their parent).
bool subEntityJoinsFirst(const std::string& dxfName);
// Hands a sub-entity to its parent (both open for write; a joined child stays open, one that
// was not joined is owned by the parent on success).
Acad::ErrorStatus attachSubEntity(AcDbObject* parent, AcDbObject* child);
// After the last sub-entity: a parent whose file closed its sub-entities without SEQEND gets one.
void finishSubEntities(AcDbObject* parent);
// Whether entities of a class may have entities that follow them (references, polylines).
bool mayHaveSubEntities(const AcRxClass* cls);
// What follows an entity in a file: its sub-entities, and the SEQEND after them. False when
// nothing follows it.
bool subEntitiesOf(const AcDbObject* entity, std::vector<AcDbObjectId>& followers, AcDbObjectId& sequenceEnd);

// Proxies: a new proxy (entity or object) for an unknown DXF name, the DXF name a proxy is
// written under (null for other objects), and the CLASS entries of the proxies' classes.
AcDbObject* newProxy(bool entity, const std::string& dxfName, const std::string* className, const std::string* appName,
                     int proxyFlags);
const char* proxyDxfName(const AcDbObject* object);
void writeProxyClasses(TokenWriter& writer, AcDbDatabase* db, std::set<std::string>& written);

}  // namespace cadhost::dxf
