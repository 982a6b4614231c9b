#pragma once
#include "rx/export.h"

// Tolerance of geometric comparisons: points are equal within equalPoint, vectors within equalVector.
class CADHOST_API AcGeTol {
public:
    constexpr AcGeTol() = default;
    double equalPoint() const { return m_point; }
    double equalVector() const { return m_vector; }
    void setEqualPoint(double value) { m_point = value; }
    void setEqualVector(double value) { m_vector = value; }

private:
    double m_point = 1e-10;
    double m_vector = 1e-12;
};

struct CADHOST_API AcGeContext {
    static AcGeTol gTol;  // the global tolerance
};
