#pragma once
// Per-document data of a module: one T per document, made on first access and dropped when
// the document is about to be destroyed.
#include <map>
#include "ed/docman.h"

template <class T>
class AcApDataManager : public AcApDocManagerReactor {
public:
    AcApDataManager() { acDocManager->addReactor(this); }
    ~AcApDataManager() override { acDocManager->removeReactor(this); }
    AcApDataManager(const AcApDataManager&) = delete;
    AcApDataManager& operator=(const AcApDataManager&) = delete;

    void documentToBeDestroyed(AcApDocument* doc) override { m_data.erase(doc); }

    T& docData(AcApDocument* doc) { return m_data[doc]; }
    // The current document's entry.
    T& docData() { return docData(acDocManager->curDocument()); }
    bool hasData(AcApDocument* doc) const { return m_data.count(doc) != 0; }
    int numData() const { return static_cast<int>(m_data.size()); }

private:
    std::map<AcApDocument*, T> m_data;
};
