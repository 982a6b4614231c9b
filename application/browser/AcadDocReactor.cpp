#include "browser/AcadDocReactor.h"
#include "blocks/DocData.h"
#include "browser/BlockList.h"

void CAcadDocReactor::documentCreated(AcApDocument* doc) {
    if (doc) currentDocData().attachDatabaseReactor();
}

void CAcadDocReactor::documentDestroyed(const char*) {
    currentDocData().detachDatabaseReactor();
    if (blockList) blockList->refresh();
}

void CAcadDocReactor::documentBecameCurrent(AcApDocument*) {}

void CAcadDocReactor::documentActivated(AcApDocument* doc) {
    if (doc && blockList) blockList->refresh();
}
