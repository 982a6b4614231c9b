#include "browser/AcadDocReactor.h"
#include "blocks/DocData.h"
#include "browser/BlockList.h"

void CAcadDocReactor::documentCreated(AcApDocument* doc) {
    if (doc) currentDocData().attachDatabaseReactor();
}

// The closed document's record has taken its reactor away with it.
void CAcadDocReactor::documentDestroyed(const char*) {
    if (blockList) blockList->refresh();
}

void CAcadDocReactor::documentBecameCurrent(AcApDocument*) {}

void CAcadDocReactor::documentActivated(AcApDocument* doc) {
    if (doc && blockList) blockList->refresh();
}
