#pragma once
// The intelligent block reference: shows a block definition holding grip points, works on a
// private copy of it once its grips reshape it, and owns its intelligent attributes.
#include "ZeftExport.h"
#include "db/blockref.h"
#include "db/idmapping.h"
#include "ge/arrays.h"
#include "ge/matrix.h"
#include "rx/acarray.h"
#include "ui/cstring.h"
#include "win/guiddef.h"

class AcDbBlockTableRecord;
class AcGiWorldDraw;
class AcGiViewportDraw;
class ZEFTGripPoint;

class ZEFT_API ZEFTBlockReference : public AcDbBlockReference {
public:
    ACRX_DECLARE_MEMBERS(ZEFTBlockReference);
    static const Adesk::UInt16 kCurrentVersionNumber;  // 2

    ZEFTBlockReference();
    // A reference showing the source's definition at its position, with its private definition
    // name, insertion base and entity properties (not its attributes, original name, scale,
    // rotation or normal).
    explicit ZEFTBlockReference(ZEFTBlockReference* source);
    ZEFTBlockReference(const ZEFTBlockReference& other);
    ZEFTBlockReference& operator=(const ZEFTBlockReference& other);
    // The attributes stay in the database.
    ~ZEFTBlockReference() override;

    AcGePoint3d insBase() const;
    Acad::ErrorStatus setInsBase(AcGePoint3d point);
    // The stored text itself (null when none); read it while the reference is open.
    const char* originalBlockName() const;
    Acad::ErrorStatus setOriginalBlockName(const char* name);
    // A strdup'd copy (null when none); the caller frees it.
    Acad::ErrorStatus internalBlockName(char*& name) const;
    Acad::ErrorStatus setInternalBlockName(const char* name);
    // Whether the reference shows a private definition of its own.
    bool hasPrivateDefinition() const;
    AcGePoint3d lastPosition() const;

    Acad::ErrorStatus appendAttribute(AcDbHardOwnershipId id);
    short attributeCount() const;
    // Null id for an index outside the list.
    AcDbObjectId getAttribute(int index) const;

    // Binds the reference to a definition, through a private copy when the definition holds
    // grip points; answers the definition now shown.
    AcDbObjectId setBlockTableRecordId(AcDbObjectId definition);
    void DrawAttributes(AcGiWorldDraw* world, AcGiViewportDraw* viewport);
    // The definition's entities under the block transform, grip points left out.
    Acad::ErrorStatus safeExplode(AcDbVoidPtrArray& entities) const;
    // Name of a block definition; empty when it cannot be read.
    static CString blockNameOf(AcDbObjectId id);

    // Grip list: the insertion point, the grips of the definition's grip points (last entity
    // first), then the attributes' grips.
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    void extractGripPoints(AcGePoint3dArray& points, AcDbObjectId definition, AcGeMatrix3d xform) const;
    // Distances controlled by grip points of types 4 (one) and 5 (two).
    int getDimensionCount() const;
    CString getDimensionName(int index) const;
    double getDimension(int index) const;

    // Grip drag engine (ZEFTBlockReferenceDrag.cpp).
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    bool moveGripPoints(const AcDbIntArray& indices, AcGeVector3d offset, AcDbObjectId definitionId,
                        bool isGripMove);
    bool CheckFormulaForStretch(const AcDbIntArray& indices, AcDbObjectId definitionId);
    // Child reshaping by grip type (ChildReshaping.cpp). The offset is in world coordinates.
    void modifyPoints2(ZEFTGripPoint* grip, AcGeVector3d offset, AcDbObjectId definitionId,
                       const AcGeMatrix3d& xform, bool isGripMove, int subPoint);
    // Reshapes one child open for write. Where it closes the child (a failed reopen, or the turn of
    // the whole reference) it sets `child` to null; the turn also closes `definition` and sets it
    // to null, which ends the reshaping of the move.
    void modifyPointsFinal(ZEFTGripPoint* grip, AcGeVector3d& offset, bool& isGripMove, AcDbEntity*& child,
                           AcDbBlockTableRecord*& definition, AcDbIntArray& indices, int list, int position,
                           AcGePoint3dArray& stretchPoints);
    void rotateRemainderChildObjects(ZEFTGripPoint* grip, AcGeVector3d offset, AcDbObjectId definitionId,
                                     const AcGeMatrix3d& xform, bool isGripMove, int subPoint);

    // Host protocol.
    AcRxObject* clone() const override;
    Acad::ErrorStatus copyFrom(const AcRxObject* other) override;
    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void viewportDraw(AcGiViewportDraw* mode) override;
    Acad::ErrorStatus subErase(bool erasing) override;
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus deepClone(AcDbObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                Adesk::Boolean isPrimary = true) const override;
    Acad::ErrorStatus wblockClone(AcRxObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                  Adesk::Boolean isPrimary = true) const override;
    void copied(const AcDbObject* source, const AcDbObject* copy) override;
    void erased(const AcDbObject* object, Adesk::Boolean erasing = true) override;
    void goodbye(const AcDbObject* object) override;
    Acad::ErrorStatus getClassID(CLSID* classId) const override;
    void list() const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const override;
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const override;
    bool cloneMeForDragging() override;
    Acad::ErrorStatus setPosition(const AcGePoint3d& position) override;
    Adesk::Boolean treatAsAcDbBlockRefForExplode() const override;

    // Grip engine state, transient (neither filed nor copied by the host).
    mutable bool stretchOnly = false;  // stretch points were asked for before any grips
    mutable bool gripsRequested = false;  // grips were enumerated since construction
    mutable int dimensionCountCache = -1;  // -1 until counted
    bool stretchFailureReported = false;  // the failed-stretch undo and message were given
    mutable int ownGripCount = 0;  // the insertion grip and the grip points' grips
    // 0 ordinary; bit 1 a drag clone, bit 2 a drag clone that has been moved.
    mutable int dragCloneState = 0;

private:
    // The block transform of the reshaping in progress and its inverse.
    struct ReshapeFrame {
        bool active = false;
        AcGeMatrix3d toWorld;
        AcGeMatrix3d toDefinition;
    };
    // Holds the frame for the length of one reshaping (ChildReshaping.cpp).
    class ReshapeScope;

    // The private copy on the first move of a grip other than the insertion grip.
    void makePrivateCopyIfDue(const AcDbIntArray& indices);
    // What the host's entity level does with a grip move: the insertion grip moves the
    // placement (the attributes are not touched).
    Acad::ErrorStatus hostGripMove(const AcDbIntArray& indices, const AcGeVector3d& offset);
    void translateAttributes(const AcGeVector3d& offset);
    void moveAttributeGrips(const AcGeVector3d& offset);
    const ReshapeFrame& reshapeFrame();

    void copyMembersFrom(const ZEFTBlockReference& other);
    static void replaceText(char*& slot, const char* text);
    // Gives this reference a private copy of the definition it shows.
    void makeOwnPrivateDefinition();

    AcArray<AcDbHardOwnershipId> m_attributeIds{0, 8};
    char* m_internalBlockName = nullptr;  // strdup'd, owned
    char* m_originalBlockName = nullptr;  // strdup'd, owned
    AcGePoint3d m_insBase;
    AcGePoint3d m_lastPosition;
    ReshapeFrame m_reshapeFrame;  // transient
};
