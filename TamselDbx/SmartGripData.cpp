#include "SmartGripData.h"
#include <cstdlib>

CSmartGripData::CSmartGripData() = default;

CSmartGripData::CSmartGripData(const CSmartGripData& source)
    : name(source.name), minimum(source.minimum), maximum(source.maximum), values(source.values) {}

CSmartGripData& CSmartGripData::operator=(const CSmartGripData& source) {
    name = source.name;
    minimum = source.minimum;
    maximum = source.maximum;
    values = source.values;
    return *this;
}

CSmartGripData::~CSmartGripData() = default;

void CSmartGripData::releaseName() {
    std::free(name);
    name = nullptr;
}
