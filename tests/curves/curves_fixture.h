// Shared helpers of the curve tests: comparisons and a drawing to put entities in.
#pragma once
#include <gtest/gtest.h>
#include <cmath>
#include "db/database.h"

constexpr double kPi = 3.14159265358979323846;

inline void expectPoint(const AcGePoint3d& actual, const AcGePoint3d& expected, double tol = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tol);
    EXPECT_NEAR(actual.y, expected.y, tol);
    EXPECT_NEAR(actual.z, expected.z, tol);
}

inline void expectVector(const AcGeVector3d& actual, const AcGeVector3d& expected, double tol = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tol);
    EXPECT_NEAR(actual.y, expected.y, tol);
    EXPECT_NEAR(actual.z, expected.z, tol);
}

class CurveDbTest : public ::testing::Test {
protected:
    // Appends an entity to model space and closes it.
    AcDbObjectId addToModel(AcDbEntity* entity) {
        AcDbBlockTableRecord* space = nullptr;
        AcDbObjectId id;
        EXPECT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        if (!space) {
            delete entity;
            return id;
        }
        if (space->appendAcDbEntity(id, entity) == Acad::eOk)
            entity->close();
        else
            delete entity;
        space->close();
        return id;
    }
    AcDbDatabase db{true, true};
};
