#pragma once
// One dimensional setting of a grip point.
#include "ZeftExport.h"
#include "rx/acarray.h"

// Copies share the name pointer: the grip point holding the settings owns every name and
// frees each once through releaseName before it removes the setting.
class ZEFT_API CSmartGripData {
public:
    CSmartGripData();
    CSmartGripData(const CSmartGripData& source);
    CSmartGripData& operator=(const CSmartGripData& source);
    virtual ~CSmartGripData();  // destroys values only, never the name

    // Frees the name (C runtime heap) and clears the pointer.
    virtual void releaseName();

    char* name = nullptr;
    double minimum = 0.0;  // 0: no lower limit
    double maximum = 0.0;  // 0: no upper limit
    // One value: the snap increment; several: the only allowed distances.
    AcArray<double> values = AcArray<double>(0, 8);
};
