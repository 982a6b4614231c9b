#pragma once
#include "ge/matrix.h"

// Scale factors along the three axes (block references file them as a vector).
class CADHOST_API AcGeScale3d {
public:
    AcGeScale3d() = default;
    explicit AcGeScale3d(double factor) : sx(factor), sy(factor), sz(factor) {}
    AcGeScale3d(double x, double y, double z) : sx(x), sy(y), sz(z) {}
    static const AcGeScale3d kIdentity;

    double operator[](int i) const { return i == 0 ? sx : i == 1 ? sy : sz; }
    double& operator[](int i) { return i == 0 ? sx : i == 1 ? sy : sz; }
    AcGeScale3d operator*(const AcGeScale3d& o) const { return {sx * o.sx, sy * o.sy, sz * o.sz}; }
    AcGeScale3d operator*(double f) const { return {sx * f, sy * f, sz * f}; }
    AcGeScale3d& operator*=(const AcGeScale3d& o) { sx *= o.sx; sy *= o.sy; sz *= o.sz; return *this; }
    AcGeScale3d& operator*=(double f) { sx *= f; sy *= f; sz *= f; return *this; }
    AcGeScale3d& set(double x, double y, double z) { sx = x; sy = y; sz = z; return *this; }
    AcGeScale3d inverse() const { return {1.0 / sx, 1.0 / sy, 1.0 / sz}; }
    AcGeScale3d& invert() { return *this = inverse(); }

    // The diagonal matrix of the factors.
    AcGeMatrix3d& getMatrix(AcGeMatrix3d& m) const;
    operator AcGeMatrix3d() const { AcGeMatrix3d m; return getMatrix(m); }
    // Lengths of the matrix's three columns (the factors of an unsheared matrix, signs lost).
    AcGeScale3d& extractScale(const AcGeMatrix3d& m);
    AcGeVector3d asVector() const { return {sx, sy, sz}; }
    static AcGeScale3d fromVector(const AcGeVector3d& v) { return {v.x, v.y, v.z}; }

    bool isProportional(const AcGeTol& tol = AcGeContext::gTol) const;
    bool isEqualTo(const AcGeScale3d& o, const AcGeTol& tol = AcGeContext::gTol) const;
    bool operator==(const AcGeScale3d& o) const { return isEqualTo(o); }
    bool operator!=(const AcGeScale3d& o) const { return !isEqualTo(o); }

    double sx = 1.0, sy = 1.0, sz = 1.0;
};
