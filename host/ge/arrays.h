#pragma once
#include "rx/acarray.h"
#include "ge/vector.h"

using AcGePoint3dArray = AcArray<AcGePoint3d>;
using AcGePoint2dArray = AcArray<AcGePoint2d>;
using AcGeVector3dArray = AcArray<AcGeVector3d>;
using AcGeIntArray = AcArray<int>;
using AcGeDoubleArray = AcArray<double>;
