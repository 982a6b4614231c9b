#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include "db/entity.h"
#include "db/proxygroups.h"

// An entity of a class the host does not know, kept as it was read so that it is written
// back unchanged. It draws nothing (or the outline of its extents when they are known),
// cannot be transformed or exploded, and can be erased.
//
// How readers use it:
// - DXF: create it (new AcDbProxyEntity), setOriginalNames(class, DXF name, application)
//   from the CLASSES entry (the class name may stay empty), then call dxfInFields: after the
//   common entity part every group up to the end of the entity (extended data excepted) is
//   kept in dxfGroups(), subclass markers and unknown groups included, values as text
//   (numbers in the shortest form that reads back the same, a point as its 3 groups).
//   A reader that has the file's groups at hand may fill dxfGroups() itself instead.
//   dxfOutFields writes the common part, then every kept group with its text as it is; the
//   writer puts originalDxfName() in group 0.
// - DWG: the reader fills dwgData() with the object's own data after the common entity
//   data; a file filer gets those bytes back as they are. Copies (clone, undo) keep
//   everything: names, flags, groups, bytes and extents.
class CADHOST_API AcDbProxyEntity : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbProxyEntity);
    // What the application allowed for its entities (proxy flags of the class).
    enum AllowedOperationBit {
        kNoOperation = 0,
        kEraseAllowed = 0x1,
        kTransformAllowed = 0x2,
        kColorChangeAllowed = 0x4,
        kLayerChangeAllowed = 0x8,
        kLinetypeChangeAllowed = 0x10,
        kLinetypeScaleChangeAllowed = 0x20,
        kVisibilityChangeAllowed = 0x40,
        kCloningAllowed = 0x80,
        kLineWeightChangeAllowed = 0x100,
        kPlotStyleNameChangeAllowed = 0x200,
    };
    using DxfGroup = cadhost::db::ProxyDxfGroup;

    AcDbProxyEntity();
    ~AcDbProxyEntity() override;

    Acad::ErrorStatus setOriginalNames(const char* className, const char* dxfName, const char* appName);
    const char* originalClassName() const;
    const char* originalDxfName() const;
    const char* applicationDescription() const;
    int proxyFlags() const;
    Acad::ErrorStatus setProxyFlags(int flags);

    // The kept data. The non-const forms are for changing it (open for write); read it
    // through a const pointer when the entity is open for read.
    AcArray<DxfGroup>& dxfGroups();
    const AcArray<DxfGroup>& dxfGroups() const;
    std::vector<uint8_t>& dwgData();
    const std::vector<uint8_t>& dwgData() const;
    // Extents the entity had where it was made, when a reader knows them.
    Acad::ErrorStatus setKnownExtents(const AcDbExtents& extents);

    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void list() const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const override;
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    std::string m_className, m_dxfName, m_appName;
    int m_proxyFlags = 0;
    AcArray<DxfGroup> m_groups;
    std::vector<uint8_t> m_dwg;
    AcDbExtents m_extents;  // empty when not known
};
