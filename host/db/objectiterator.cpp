#include "db/objectiterator.h"
#include "db/hostinternal.h"

AcDbObjectIterator::AcDbObjectIterator(std::vector<AcDbObjectId> ids) : m_ids(std::move(ids)) { start(); }
AcDbObjectIterator::AcDbObjectIterator(std::vector<AcDbObjectId> ids, std::vector<AcDbEntity*> entities)
    : m_ids(std::move(ids)), m_entities(std::move(entities)) {
    m_entities.resize(m_ids.size(), nullptr);
    start();
}

AcDbObjectIterator::~AcDbObjectIterator() = default;

void AcDbObjectIterator::start(bool atEnd) {
    m_pos = atEnd ? static_cast<long>(m_ids.size()) - 1 : 0;
    skipErased(atEnd);
}

bool AcDbObjectIterator::done() const { return m_pos < 0 || m_pos >= static_cast<long>(m_ids.size()); }

void AcDbObjectIterator::step(bool backwards, bool skip) {
    if (done()) return;
    m_pos += backwards ? -1 : 1;
    if (skip) skipErased(backwards);
}

void AcDbObjectIterator::skipErased(bool backwards) {
    while (!done() && m_ids[static_cast<size_t>(m_pos)].isErased()) m_pos += backwards ? -1 : 1;
}

Acad::ErrorStatus AcDbObjectIterator::seek(AcDbObjectId id) {
    for (size_t i = 0; i < m_ids.size(); ++i)
        if (m_ids[i] == id) {
            m_pos = static_cast<long>(i);
            return Acad::eOk;
        }
    return Acad::eInvalidInput;
}

AcDbObjectId AcDbObjectIterator::objectId() const {
    return done() ? AcDbObjectId::kNull : m_ids[static_cast<size_t>(m_pos)];
}

AcDbEntity* AcDbObjectIterator::entity() const {
    if (!done() && static_cast<size_t>(m_pos) < m_entities.size() && m_entities[static_cast<size_t>(m_pos)])
        return m_entities[static_cast<size_t>(m_pos)];
    return cadhost::db::peekAs<AcDbEntity>(objectId());
}
