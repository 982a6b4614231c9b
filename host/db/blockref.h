#pragma once
#include <string>
#include <vector>
#include "db/entity.h"
#include "ge/scale3d.h"

class AcDbAttribute;
class AcDbObjectIterator;
class AcDbSequenceEnd;

// An insertion of a block definition (INSERT): position, scale, rotation about the normal.
// Its attributes are owned by it (hard ownership) and end with a sequence end object.
//
// DXF readers: an INSERT whose groups name the AcDbMInsertBlock subclass (or give more than
// one row or column) is an AcDbMInsertBlock. The ATTRIB entities after an INSERT with 66 = 1
// are added with internalAppendAttribute (the reference in the database and open for write);
// the SEQEND that closes them is handed over with internalSetSequenceEnd, or made with
// internalEnsureSequenceEnd when the file has none.
class CADHOST_API AcDbBlockReference : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockReference);
    AcDbBlockReference();
    AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRecord);
    ~AcDbBlockReference() override;

    AcDbObjectId blockTableRecord() const;
    virtual Acad::ErrorStatus setBlockTableRecord(AcDbObjectId blockTableRecord);
    AcGePoint3d position() const;
    virtual Acad::ErrorStatus setPosition(const AcGePoint3d& position);
    AcGeScale3d scaleFactors() const;
    virtual Acad::ErrorStatus setScaleFactors(const AcGeScale3d& scale);  // no factor may be 0
    double rotation() const;
    virtual Acad::ErrorStatus setRotation(double angle);
    AcGeVector3d normal() const;
    virtual Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    // translation(position) x planeToWorld(normal) x rotation x scale x translation(-block origin)
    virtual AcGeMatrix3d blockTransform() const;
    // Takes position, normal, rotation and scale from a transform of that form.
    virtual Acad::ErrorStatus setBlockTransform(const AcGeMatrix3d& xform);

    // The attribute joins the database, owned by this reference, and is left open for write.
    // The reference must be in a database and open for write.
    Acad::ErrorStatus appendAttribute(AcDbAttribute* attribute);
    Acad::ErrorStatus appendAttribute(AcDbObjectId& id, AcDbAttribute* attribute);
    // Iterator over the attributes; the caller deletes it.
    AcDbObjectIterator* attributeIterator() const;
    Acad::ErrorStatus openSequenceEnd(AcDbSequenceEnd*& sequenceEnd, AcDb::OpenMode mode);
    AcDbObjectId sequenceEndId() const;
    // Host-internal: appendAttribute without making the SEQEND; the SEQEND of attributes that
    // have none (nothing when there are no attributes or the reference is not open for write).
    Acad::ErrorStatus internalAppendAttribute(AcDbObjectId& id, AcDbAttribute* attribute);
    void internalEnsureSequenceEnd();
    // Host-internal: readers hand over the SEQEND of the file (one made before is erased).
    Acad::ErrorStatus internalSetSequenceEnd(AcDbObjectId sequenceEnd);
    const std::vector<AcDbObjectId>& internalAttributeIds() const { return m_attributes; }

    // Custom references answer true to be exploded like a plain block reference.
    virtual Adesk::Boolean treatAsAcDbBlockRefForExplode() const;

    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void list() const override;
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark, const AcGePoint3d& pickPoint,
                                     const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                     AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const override;
    // Transformations the reference can hold (rotation, reflection, uniform scale, and scales
    // along its own axes); the attributes move with it.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    // Others answer eExplodeBeforeTransform.
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const override;
    // The definition's entities under the block transform (attribute definitions left out, but
    // constant visible ones as texts), and the visible attributes as texts.
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    // The outlines of the block's entities under the block transform, and of the attributes.
    void getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const override;
    Acad::ErrorStatus subErase(bool erasing) override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

protected:
    // The transforms of the copies drawn: one for a reference, a grid for MINSERT.
    virtual void copyTransforms(AcArray<AcGeMatrix3d>& xforms) const;
    // Subclass marker of the DXF part, and the array groups MINSERT adds before 210.
    virtual const char* dxfSubclassName() const { return "AcDbBlockReference"; }
    virtual Acad::ErrorStatus dxfOutArrayFields(AcDbDxfFiler* filer) const;
    virtual bool dxfInArrayGroup(const resbuf& rb);
    // The entities of the block and the attributes as texts, for one set of copy transforms.
    Acad::ErrorStatus explodeCopies(const AcArray<AcGeMatrix3d>& xforms, AcDbVoidPtrArray& entities) const;

private:
    AcGePoint3d blockOrigin() const;
    bool decompose(const AcGeMatrix3d& xform, AcGePoint3d& position, AcGeVector3d& normal, double& rotation,
                   AcGeScale3d& scale) const;

    mutable AcDbObjectId m_block;
    mutable std::string m_blockName;  // a block name read that was not yet defined
    AcGePoint3d m_position;
    AcGeScale3d m_scale;
    double m_rotation = 0;
    AcGeVector3d m_normal{0, 0, 1};
    std::vector<AcDbObjectId> m_attributes;
    AcDbObjectId m_sequenceEnd;
};
