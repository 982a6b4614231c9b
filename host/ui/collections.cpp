#include "ui/collections.h"

CObject::~CObject() = default;

CPtrList::~CPtrList() { RemoveAll(); }

void*& CPtrList::GetHead() { return m_head->data; }
void* CPtrList::GetHead() const { return m_head ? m_head->data : nullptr; }
void*& CPtrList::GetTail() { return m_tail->data; }
void* CPtrList::GetTail() const { return m_tail ? m_tail->data : nullptr; }

void* CPtrList::RemoveHead() {
    if (!m_head) return nullptr;
    void* value = m_head->data;
    RemoveAt(reinterpret_cast<POSITION>(m_head));
    return value;
}

void* CPtrList::RemoveTail() {
    if (!m_tail) return nullptr;
    void* value = m_tail->data;
    RemoveAt(reinterpret_cast<POSITION>(m_tail));
    return value;
}

POSITION CPtrList::AddHead(void* value) {
    Node* n = new Node{m_head, nullptr, value};
    if (m_head) m_head->prev = n; else m_tail = n;
    m_head = n;
    ++m_count;
    return reinterpret_cast<POSITION>(n);
}

POSITION CPtrList::AddTail(void* value) {
    Node* n = new Node{nullptr, m_tail, value};
    if (m_tail) m_tail->next = n; else m_head = n;
    m_tail = n;
    ++m_count;
    return reinterpret_cast<POSITION>(n);
}

void CPtrList::AddTail(CPtrList* other) {
    if (!other || other == this) return;
    for (Node* n = other->m_head; n; n = n->next) AddTail(n->data);
}

void CPtrList::RemoveAll() {
    for (Node* n = m_head; n;) {
        Node* next = n->next;
        delete n;
        n = next;
    }
    m_head = m_tail = nullptr;
    m_count = 0;
}

void*& CPtrList::GetNext(POSITION& pos) {
    Node* n = node(pos);
    pos = reinterpret_cast<POSITION>(n->next);
    return n->data;
}

void* CPtrList::GetNext(POSITION& pos) const {
    Node* n = node(pos);
    pos = reinterpret_cast<POSITION>(n->next);
    return n->data;
}

void*& CPtrList::GetPrev(POSITION& pos) {
    Node* n = node(pos);
    pos = reinterpret_cast<POSITION>(n->prev);
    return n->data;
}

void* CPtrList::GetPrev(POSITION& pos) const {
    Node* n = node(pos);
    pos = reinterpret_cast<POSITION>(n->prev);
    return n->data;
}

void*& CPtrList::GetAt(POSITION pos) { return node(pos)->data; }
void* CPtrList::GetAt(POSITION pos) const { return node(pos)->data; }
void CPtrList::SetAt(POSITION pos, void* value) { node(pos)->data = value; }

void CPtrList::RemoveAt(POSITION pos) {
    Node* n = node(pos);
    if (!n) return;
    if (n->prev) n->prev->next = n->next; else m_head = n->next;
    if (n->next) n->next->prev = n->prev; else m_tail = n->prev;
    delete n;
    --m_count;
}

POSITION CPtrList::InsertBefore(POSITION pos, void* value) {
    Node* at = node(pos);
    if (!at) return AddHead(value);
    Node* n = new Node{at, at->prev, value};
    if (at->prev) at->prev->next = n; else m_head = n;
    at->prev = n;
    ++m_count;
    return reinterpret_cast<POSITION>(n);
}

POSITION CPtrList::InsertAfter(POSITION pos, void* value) {
    Node* at = node(pos);
    if (!at) return AddTail(value);
    Node* n = new Node{at->next, at, value};
    if (at->next) at->next->prev = n; else m_tail = n;
    at->next = n;
    ++m_count;
    return reinterpret_cast<POSITION>(n);
}

POSITION CPtrList::Find(void* value, POSITION startAfter) const {
    Node* n = startAfter ? node(startAfter)->next : m_head;
    for (; n; n = n->next)
        if (n->data == value) return reinterpret_cast<POSITION>(n);
    return nullptr;
}

POSITION CPtrList::FindIndex(int index) const {
    if (index < 0 || index >= m_count) return nullptr;
    Node* n = m_head;
    while (index-- > 0) n = n->next;
    return reinterpret_cast<POSITION>(n);
}
