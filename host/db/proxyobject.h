#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "db/object.h"
#include "db/proxygroups.h"

// An object (not an entity) of a class the host does not know, kept as a drawing file held it
// so that it is written back unchanged; entities of such classes are AcDbProxyEntity.
//
// - DXF: the reader keeps every group after the common object part (handle, reactors,
//   extension dictionary, owner) up to extended data in dxfGroups(), subclass markers and
//   handles of other objects included; dxfOutFields writes them back (as they are to a file,
//   typed to other filers) and the writer puts originalDxfName() in group 0.
// - DWG: the reader fills dwgData() with the object's own data after the common object data;
//   a file filer gets those bytes back as they are.
// Copies (clone, undo) keep names, flags, groups and bytes.
class CADHOST_API AcDbProxyObject : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbProxyObject);
    using DxfGroup = cadhost::db::ProxyDxfGroup;
    AcDbProxyObject();
    ~AcDbProxyObject() override;

    Acad::ErrorStatus setOriginalNames(const char* className, const char* dxfName, const char* appName);
    const char* originalClassName() const;
    const char* originalDxfName() const;
    const char* applicationDescription() const;
    int proxyFlags() const;
    Acad::ErrorStatus setProxyFlags(int flags);
    // The kept data; the non-const forms are for changing it (open for write).
    AcArray<DxfGroup>& dxfGroups();
    const AcArray<DxfGroup>& dxfGroups() const;
    std::vector<uint8_t>& dwgData();
    const std::vector<uint8_t>& dwgData() const;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    std::string m_className, m_dxfName, m_appName;
    int m_proxyFlags = 0;
    AcArray<DxfGroup> m_groups;
    std::vector<uint8_t> m_dwg;
};
