#pragma once
// The module's document-manager reactor: keeps each document's database reactor and refreshes
// the browser's block list when documents go away or become active.
#include "ed/docman.h"

class CBlockList;

class CAcadDocReactor : public AcApDocManagerReactor {
public:
    explicit CAcadDocReactor(CBlockList* list) : blockList(list) {}

    void documentCreated(AcApDocument* doc) override;
    void documentDestroyed(const char* fileName) override;
    void documentBecameCurrent(AcApDocument* doc) override;
    void documentActivated(AcApDocument* doc) override;

    CBlockList* blockList = nullptr;
};
