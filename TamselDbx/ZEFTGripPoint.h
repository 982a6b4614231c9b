#pragma once
// The grip-point entity an author places inside a block definition to make it intelligent.
#include "CondFormula.h"
#include "SmartGripData.h"
#include "Variable.h"
#include "ZeftExport.h"
#include "db/entity.h"
#include "db/idmapping.h"
#include "ge/arrays.h"
#include "ui/collections.h"
#include "ui/cstring.h"
#include "win/guiddef.h"

class AcGiWorldDraw;
class AcGiViewportDraw;

class ZEFT_API ZEFTGripPoint : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(ZEFTGripPoint);
    static const Adesk::UInt16 kCurrentVersionNumber;  // 11

    ZEFTGripPoint();
    ~ZEFTGripPoint() override;

    // Accessors.
    AcGePoint3d position() const;
    Acad::ErrorStatus setPosition(AcGePoint3d point);
    AcGePoint3d centerOfRadius() const;
    Acad::ErrorStatus setCenterOfRadius(AcGePoint3d point);
    AcGePoint3d insBase() const;
    Acad::ErrorStatus setInsBase(AcGePoint3d point);
    short gripType() const;
    Acad::ErrorStatus setGripType(short type);
    int leftRight() const;
    Acad::ErrorStatus setLeftRight(int value);
    int topBottom() const;
    Acad::ErrorStatus setTopBottom(int value);
    AcGeVector3d lastOffset() const;
    Acad::ErrorStatus setLastOffset(AcGeVector3d offset);

    // Dimensional settings. The reader hands out a malloc'd copy of the name (null for none);
    // index == count answers eInvalidIndex. The writer appends a setting when index == count.
    Acad::ErrorStatus dimensionalSettings(int index, char*& text) const;
    Acad::ErrorStatus setDimensionalSettings(int index, const char* text);
    // Releases every setting's name once and empties the settings.
    void clearDimensionalSettings();

    // Child-entity lists 0 and 1; the first four read list 1 for list 2 when gripType is 5.
    int childEntityCount(int list) const;
    AcDbObjectId getChildEntityId(int index, int list) const;
    AcDbIntArray& getChildStretchPointIds(int index, int list);
    const AcDbIntArray& getChildStretchPointIds(int index, int list) const;
    void clearChildEntities(int list);
    Acad::ErrorStatus appendChildEntity(AcDbObjectId& id, int list);
    Acad::ErrorStatus setChildStretchPointIds(AcArray<int>& ids, int list);
    bool hasChildEntity(AcDbObjectId& id, int list) const;

    // Formula statements (owned).
    void AddFormula(CCondFormula* formula);
    CCondFormula* GetFormula(int index);
    // Deletes every statement, then every named variable.
    void ClearFormula();

    // Formula interpreter (Interpreter.cpp).
    bool CheckFormulaForStretch();
    CVariable* DoFormula(int& statementIndex, POSITION& position);
    int FindElseStatment(int& statementIndex, bool afterBlock);
    CVariable* GetVar(CString& name);
    bool hasVar(CVariable* value);
    void AddVariableToTemps(CVariable* value);
    void AddVariablesToTemps(CVariableList& values);
    void CleanUpArgs();

    // Drawing: glyphs only, from viewportDraw, while m_TabIndex is 2 or more.
    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void viewportDraw(AcGiViewportDraw* draw) override;
    void saveAs(AcGiWorldDraw* mode, AcDb::SaveType type);
    void DrawGrip(AcGiViewportDraw* draw, AcGePoint3d& point, double& s);
    void DrawUpDownArrows(AcGiViewportDraw* draw, double& s, AcGePoint3d& point);
    void DrawLeftRightArrows(AcGiViewportDraw* draw, double& s, AcGePoint3d& point);
    void DrawMultiDirectionArrows(AcGiViewportDraw* draw, double& s, AcGePoint3d& point);
    void DrawSingleArrow(AcGiViewportDraw* draw, double& s, AcGePoint3d& tip, double angle);
    void DrawDirectionalArrows(AcGiViewportDraw* draw, double& s, AcGePoint3d& from, AcGePoint3d& at);
    void DrawRotatingArrow(AcGiViewportDraw* draw, double& s, AcGePoint3d& point);
    void DrawRadiusRotatingArrow(AcGiViewportDraw* draw, double& s, AcGePoint3d& point);
    void DrawStretchCrossing(AcGiViewportDraw* draw, double& s, int list);
    void DrawDashedLine(AcGiViewportDraw* draw, double& s, AcGePoint3d& start, AcGePoint3d& end);

    // Cloning.
    Acad::ErrorStatus deepClone(AcDbObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                Adesk::Boolean isPrimary = true) const override;
    Acad::ErrorStatus wblockClone(AcRxObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                  Adesk::Boolean isPrimary = true) const override;

    Acad::ErrorStatus getClassID(CLSID* classId) const override;
    bool isPlanar() const override;
    Acad::ErrorStatus getPlane(AcGePlane& plane, AcDb::Planarity& type) const override;

    // The grip point as an entity of its own.
    Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark, const AcGePoint3d& pickPoint,
                                     const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                     AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void list() const override;

    // Filing.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
    // Embedded dimension-setting record; the reader follows the owner's record version.
    static Acad::ErrorStatus dwgOutSmartGripData(AcDbDwgFiler* filer, const CSmartGripData& data);
    static Acad::ErrorStatus dwgInSmartGripData(AcDbDwgFiler* filer, CSmartGripData& data,
                                                Adesk::UInt16 version);

    // Data the grip engine, the binding and the formula functions work on directly.
    AcGePoint3dArray pointLists[2];  // closed outlines per child list
    AcGePoint3dArray subPoints;  // sub-point grips of grip types 4 and 5
    AcArray<CSmartGripData> smartGripData;  // names owned here
    CCondFormulaList formulas;  // owned
    CVariableList variables;  // owned, filed
    CVariableList temporaries;  // values of one formula run; released by CleanUpArgs
    AcArray<AcDbSoftPointerId> childIds[2];
    AcArray<AcDbIntArray> childStretchIds[2];  // per child, the stretch-point indices moved

private:
    AcGeVector3d m_lastOffset{0, 0, 0};
    int m_topBottom = 0;
    int m_leftRight = 0;
    Adesk::Int16 m_gripType = 0;
    AcGePoint3d m_insBase;
    AcGePoint3d m_centerOfRadius;
    AcGePoint3d m_position;

public:
    // Transient, neither filed nor copied.
    int firstGripIndex = 0;  // this grip point's first grip in the owning reference's list
    bool subPointMoved = false;  // the moved sub-point was displaced in this grip move

private:
    int mappedList(int list) const { return (list == 2 && m_gripType == 5) ? 1 : list; }
    void clearStatementsAndVariables();
};
