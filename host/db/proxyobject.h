#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "db/object.h"

// An object (not an entity) of a class the host does not know, kept as a drawing file held it
// so that it is written back unchanged; entities of such classes are AcDbProxyEntity.
//
// The DWG reader fills dwgData() with the object's own data after the common object data; a
// file filer gets those bytes back as they are. Copies (clone, undo) keep names, flags and
// bytes. It has no DXF form of its own: the DXF writer leaves it out.
class CADHOST_API AcDbProxyObject : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbProxyObject);
    AcDbProxyObject();
    ~AcDbProxyObject() override;

    Acad::ErrorStatus setOriginalNames(const char* className, const char* dxfName, const char* appName);
    const char* originalClassName() const;
    const char* originalDxfName() const;
    const char* applicationDescription() const;
    int proxyFlags() const;
    Acad::ErrorStatus setProxyFlags(int flags);
    // The kept bytes; the non-const form is for changing them (open for write).
    std::vector<uint8_t>& dwgData();
    const std::vector<uint8_t>& dwgData() const;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

private:
    std::string m_className, m_dxfName, m_appName;
    int m_proxyFlags = 0;
    std::vector<uint8_t> m_dwg;
};
