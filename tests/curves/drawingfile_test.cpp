// The curves in drawing files: through the host's DXF writer and reader, and read by ezdxf.
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include "curves_fixture.h"
#include "db/arc.h"
#include "db/circle.h"
#include "db/ellipse.h"
#include "db/line.h"
#include "db/point.h"
#include "db/polyline.h"
#include "db/polyline2d.h"
#include "db/ray.h"

namespace {
class CurveDrawingFile : public CurveDbTest {
protected:
    void SetUp() override {
        path = ::testing::TempDir() + "curves_" + std::to_string(::getpid()) + ".dxf";
        addToModel(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 5, 0)));
        addToModel(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d(0, 1, 1), 3.0));
        addToModel(new AcDbArc(AcGePoint3d(1, 2, 0), 4.0, kPi / 6, 3 * kPi / 4));
        addToModel(new AcDbEllipse(AcGePoint3d(20, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(5, 0, 0), 0.4, 0.0, kPi));
        auto* pl = new AcDbPolyline;
        pl->addVertexAt(0, AcGePoint2d(0, 0), 0.5);
        pl->addVertexAt(1, AcGePoint2d(10, 0));
        pl->addVertexAt(2, AcGePoint2d(10, 10), 0.0, 1.0, 2.0);
        pl->setClosed(true);
        addToModel(pl);
        AcGePoint3dArray pts{AcGePoint3d(0, 0, 0), AcGePoint3d(3, 0, 0), AcGePoint3d(3, 3, 0)};
        AcGeDoubleArray bulges{0.25, 0.0, 0.0};
        addToModel(new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 1.0, false, 0.0, 0.0, &bulges));
        addToModel(new AcDbPoint(AcGePoint3d(1, 2, 3)));
        auto* ray = new AcDbRay;
        ray->setBasePoint(AcGePoint3d(1, 1, 0));
        ray->setUnitDir(AcGeVector3d(0, 1, 0));
        addToModel(ray);
        ASSERT_EQ(db.dxfOut(path.c_str()), Acad::eOk) << db.lastError();
    }
    void TearDown() override { std::remove(path.c_str()); }

    // The entities of model space by class name, in order.
    static std::map<std::string, std::vector<AcDbObjectId>> byClass(AcDbDatabase& d) {
        std::map<std::string, std::vector<AcDbObjectId>> out;
        AcDbBlockTableRecord* space = nullptr;
        if (acdbOpenObject(space, d.modelSpaceId(), AcDb::kForRead) != Acad::eOk) return out;
        for (AcDbObjectId id : space->entityIds()) out[id.objectClass()->name()].push_back(id);
        space->close();
        return out;
    }
    std::string path;
};

template <class T, class F>
void with(AcDbObjectId id, F f) {
    T* obj = nullptr;
    ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eOk);
    f(obj);
    obj->close();
}
}  // namespace

TEST_F(CurveDrawingFile, HostReadsBackWhatItWrote) {
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDxfFile(path.c_str()), Acad::eOk) << back.lastError();
    auto ents = byClass(back);
    for (const char* name : {"AcDbLine", "AcDbCircle", "AcDbArc", "AcDbEllipse", "AcDbPolyline", "AcDb2dPolyline",
                             "AcDbPoint", "AcDbRay"})
        ASSERT_EQ(ents[name].size(), 1u) << name;
    with<AcDbCircle>(ents["AcDbCircle"][0], [](AcDbCircle* c) {
        expectPoint(c->center(), AcGePoint3d(5, 5, 0), 1e-12);
        expectVector(c->normal(), AcGeVector3d(0, 1, 1).normal(), 1e-15);
    });
    with<AcDbArc>(ents["AcDbArc"][0], [](AcDbArc* a) {
        EXPECT_NEAR(a->startAngle(), kPi / 6, 1e-12);
        EXPECT_NEAR(a->endAngle(), 3 * kPi / 4, 1e-12);
    });
    with<AcDbEllipse>(ents["AcDbEllipse"][0], [](AcDbEllipse* e) {
        EXPECT_NEAR(e->endParam(), kPi, 1e-12);
        EXPECT_NEAR(e->radiusRatio(), 0.4, 0.0);
    });
    with<AcDbPolyline>(ents["AcDbPolyline"][0], [](AcDbPolyline* p) {
        ASSERT_EQ(p->numVerts(), 3u);
        double b, sw, ew;
        p->getBulgeAt(0, b);
        p->getWidthsAt(2, sw, ew);
        EXPECT_EQ(b, 0.5);
        EXPECT_EQ(ew, 2.0);
        EXPECT_TRUE(p->isClosed());
    });
    with<AcDb2dPolyline>(ents["AcDb2dPolyline"][0], [](AcDb2dPolyline* p) {
        EXPECT_EQ(p->numVerts(), 3);
        EXPECT_EQ(p->internalVertexIds().size(), 3u);
        EXPECT_FALSE(p->sequenceEndId().isNull());
        AcGePoint3d mid;
        ASSERT_EQ(p->getPointAtParam(0.5, mid), Acad::eOk);
        EXPECT_NEAR(mid.y, -0.375, 1e-12);  // the sagitta is the bulge times half the chord
        EXPECT_NEAR(mid.z, 1.0, 0.0);
    });
}

TEST_F(CurveDrawingFile, AnIndependentReaderSeesTheSameGeometry) {
    if (::access("/usr/bin/python3", X_OK) != 0) GTEST_SKIP() << "no python3";
    std::string script = path + ".py";
    {
        std::ofstream py(script);
        py << "import sys\n"
              "try:\n    import ezdxf\nexcept ImportError:\n    sys.exit(3)\n"
              "doc = ezdxf.readfile(sys.argv[1])\n"
              "for e in doc.modelspace():\n"
              "    t = e.dxftype()\n"
              "    if t == 'CIRCLE':\n        c = e.ocs().to_wcs(e.dxf.center); print(t, c.x, c.y, c.z, e.dxf.radius)\n"
              "    elif t == 'ARC':\n        print(t, e.dxf.start_angle, e.dxf.end_angle)\n"
              "    elif t == 'ELLIPSE':\n        print(t, e.dxf.ratio, e.dxf.end_param)\n"
              "    elif t == 'LWPOLYLINE':\n        print(t, len(e), e.closed, e.get_points()[0][4])\n"
              "    elif t == 'POLYLINE':\n        print(t, len(e.vertices), e.vertices[0].dxf.bulge)\n"
              "    elif t == 'RAY':\n        print(t, e.dxf.unit_vector.y)\n"
              "    else:\n        print(t)\n";
    }
    std::string cmd = "/usr/bin/python3 " + script + " " + path + " 2>&1";
    FILE* pipe = ::popen(cmd.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buf[256];
    while (std::fgets(buf, sizeof buf, pipe)) out += buf;
    int status = ::pclose(pipe);
    std::remove(script.c_str());
    if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "ezdxf is not installed";
    ASSERT_EQ(status, 0) << out;
    std::map<std::string, std::string> lines;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);) lines[l.substr(0, l.find(' '))] = l;
    std::istringstream circle(lines["CIRCLE"]), arc(lines["ARC"]), ellipse(lines["ELLIPSE"]),
        lw(lines["LWPOLYLINE"]), poly(lines["POLYLINE"]), ray(lines["RAY"]);
    std::string tag;
    double x, y, z, r;
    circle >> tag >> x >> y >> z >> r;
    EXPECT_NEAR(x, 5, 1e-9);
    EXPECT_NEAR(y, 5, 1e-9);
    EXPECT_NEAR(z, 0, 1e-9);
    EXPECT_EQ(r, 3.0);
    double a0, a1;
    arc >> tag >> a0 >> a1;
    EXPECT_NEAR(a0, 30.0, 1e-9);
    EXPECT_NEAR(a1, 135.0, 1e-9);
    double ratio, end;
    ellipse >> tag >> ratio >> end;
    EXPECT_EQ(ratio, 0.4);
    EXPECT_NEAR(end, kPi, 1e-12);
    int n;
    std::string closed;
    double bulge;
    lw >> tag >> n >> closed >> bulge;
    EXPECT_EQ(n, 3);
    EXPECT_EQ(closed, "True");
    EXPECT_EQ(bulge, 0.5);
    poly >> tag >> n >> bulge;
    EXPECT_EQ(n, 3);
    EXPECT_EQ(bulge, 0.25);
    ray >> tag >> y;
    EXPECT_EQ(y, 1.0);
    EXPECT_NE(lines.find("LINE"), lines.end());
    EXPECT_NE(lines.find("POINT"), lines.end());
}
