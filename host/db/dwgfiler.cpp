// Runtime class of the binary filer interface; the memory filer is in dwgmemfiler.cpp.
#include "db/filer.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbDwgFiler, AcRxObject, "", ACRX_NO_CONS)

AcDbDwgFiler::~AcDbDwgFiler() = default;
