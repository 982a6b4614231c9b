#pragma once
// Small entities and reactors the database core tests work with.
#include <string>
#include <vector>
#include "db/database.h"

// A point with a position, filed in DWG.
class DbTestPoint : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(DbTestPoint);
    DbTestPoint() = default;
    explicit DbTestPoint(const AcGePoint3d& p) : m_pos(p) {}
    AcGePoint3d position() const { assertReadEnabled(); return m_pos; }
    void setPosition(const AcGePoint3d& p) { assertWriteEnabled(); m_pos = p; }
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& m) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& ext) const override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;

private:
    AcGePoint3d m_pos;
};

// A straight segment as a curve with parameters [0, 1]; only the point protocol is its own.
class DbTestSegment : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(DbTestSegment);
    DbTestSegment() = default;
    DbTestSegment(const AcGePoint3d& a, const AcGePoint3d& b) : m_a(a), m_b(b) {}
    Acad::ErrorStatus getStartParam(double& t) const override { t = 0; return Acad::eOk; }
    Acad::ErrorStatus getEndParam(double& t) const override { t = 1; return Acad::eOk; }
    Acad::ErrorStatus getPointAtParam(double t, AcGePoint3d& p) const override {
        p = m_a + (m_b - m_a) * t;
        return Acad::eOk;
    }
    Acad::ErrorStatus getGeomExtents(AcDbExtents& ext) const override;

private:
    AcGePoint3d m_a, m_b;
};

// A circle of radius r about the origin in the XY plane, parameters [0, 2 pi].
class DbTestCircle : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(DbTestCircle);
    explicit DbTestCircle(double r = 1.0) : m_r(r) {}
    bool isClosed() const override { return true; }
    Acad::ErrorStatus getStartParam(double& t) const override { t = 0; return Acad::eOk; }
    Acad::ErrorStatus getEndParam(double& t) const override;
    Acad::ErrorStatus getPointAtParam(double t, AcGePoint3d& p) const override;

private:
    double m_r;
};

// Records every notice it gets, as "event:handle" lines.
struct EventLog {
    std::vector<std::string> events;
    void add(const std::string& what, const AcDbObject* obj);
    bool contains(const std::string& e) const;
};

class DbTestObjectReactor : public AcDbObjectReactor {
public:
    explicit DbTestObjectReactor(EventLog& log, std::string name = "obj") : m_log(log), m_name(std::move(name)) {}
    void modified(const AcDbObject* o) override { m_log.add(m_name + ".modified", o); }
    void erased(const AcDbObject* o, Adesk::Boolean e) override { m_log.add(m_name + (e ? ".erased" : ".unerased"), o); }
    void goodbye(const AcDbObject* o) override { m_log.add(m_name + ".goodbye", o); }
    void openedForModify(const AcDbObject* o) override { m_log.add(m_name + ".openedForModify", o); }

private:
    EventLog& m_log;
    std::string m_name;
};

class DbTestDatabaseReactor : public AcDbDatabaseReactor {
public:
    explicit DbTestDatabaseReactor(EventLog& log) : m_log(log) {}
    void objectAppended(const AcDbDatabase*, const AcDbObject* o) override { m_log.add("db.appended", o); }
    void objectModified(const AcDbDatabase*, const AcDbObject* o) override { m_log.add("db.modified", o); }
    void objectErased(const AcDbDatabase*, const AcDbObject* o, Adesk::Boolean e) override {
        m_log.add(e ? "db.erased" : "db.unerased", o);
    }
    void objectOpenedForModify(const AcDbDatabase*, const AcDbObject* o) override { m_log.add("db.openedForModify", o); }
    void goodbye(const AcDbDatabase*) override { m_log.events.push_back("db.goodbye"); }

private:
    EventLog& m_log;
};

// An object that, as a persistent reactor, logs what its notifier tells it.
class DbTestPersistentReactor : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(DbTestPersistentReactor);
    static EventLog* log;
    void modified(const AcDbObject* o) override { if (log) log->add("persistent.modified", o); }
    void erased(const AcDbObject* o, Adesk::Boolean e) override {
        if (log) log->add(e ? "persistent.erased" : "persistent.unerased", o);
    }
};

// Appends an entity to model space and closes it; answers its id.
AcDbObjectId addToModelSpace(AcDbDatabase* db, AcDbEntity* entity);
// Adds a layer of that name (and colour) and answers its id.
AcDbObjectId addLayer(AcDbDatabase* db, const char* name, Adesk::UInt16 color = 7);
