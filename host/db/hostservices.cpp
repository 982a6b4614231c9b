#include "db/database.h"

AcDbHostApplicationServices::~AcDbHostApplicationServices() = default;

AcDbHostApplicationServices* acdbHostApplicationServices() {
    static AcDbHostApplicationServices* services = new AcDbHostApplicationServices;
    return services;
}

AcDbDatabase* acdbCurDwg() { return acdbHostApplicationServices()->workingDatabase(); }
