#pragma once
#include <cstddef>
#include "rx/export.h"

struct __POSITION {};
typedef __POSITION* POSITION;

// Root of the framework's object classes.
class CADHOST_API CObject {
public:
    virtual ~CObject();

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// Doubly linked list of untyped pointers with the framework's POSITION interface.
class CADHOST_API CPtrList : public CObject {
public:
    CPtrList() = default;
    ~CPtrList() override;
    CPtrList(const CPtrList&) = delete;
    CPtrList& operator=(const CPtrList&) = delete;

    int GetCount() const { return m_count; }
    int GetSize() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    void*& GetHead();
    void* GetHead() const;
    void*& GetTail();
    void* GetTail() const;
    void* RemoveHead();
    void* RemoveTail();
    POSITION AddHead(void* value);
    POSITION AddTail(void* value);
    void AddTail(CPtrList* other);
    void RemoveAll();
    POSITION GetHeadPosition() const { return reinterpret_cast<POSITION>(m_head); }
    POSITION GetTailPosition() const { return reinterpret_cast<POSITION>(m_tail); }
    void*& GetNext(POSITION& pos);
    void* GetNext(POSITION& pos) const;
    void*& GetPrev(POSITION& pos);
    void* GetPrev(POSITION& pos) const;
    void*& GetAt(POSITION pos);
    void* GetAt(POSITION pos) const;
    void SetAt(POSITION pos, void* value);
    void RemoveAt(POSITION pos);
    POSITION InsertBefore(POSITION pos, void* value);
    POSITION InsertAfter(POSITION pos, void* value);
    POSITION Find(void* value, POSITION startAfter = nullptr) const;
    POSITION FindIndex(int index) const;

private:
    struct Node {
        Node* next;
        Node* prev;
        void* data;
    };
    static Node* node(POSITION pos) { return reinterpret_cast<Node*>(pos); }
    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    int m_count = 0;
};

class CADHOST_API CObList : public CPtrList {};

// Typed view of a pointer list; the list never owns what its pointers point to.
template <class BASE, class TYPE>
class CTypedPtrList : public BASE {
public:
    TYPE& GetHead() { return reinterpret_cast<TYPE&>(BASE::GetHead()); }
    TYPE GetHead() const { return static_cast<TYPE>(BASE::GetHead()); }
    TYPE& GetTail() { return reinterpret_cast<TYPE&>(BASE::GetTail()); }
    TYPE GetTail() const { return static_cast<TYPE>(BASE::GetTail()); }
    TYPE RemoveHead() { return static_cast<TYPE>(BASE::RemoveHead()); }
    TYPE RemoveTail() { return static_cast<TYPE>(BASE::RemoveTail()); }
    POSITION AddHead(TYPE value) { return BASE::AddHead(value); }
    POSITION AddTail(TYPE value) { return BASE::AddTail(value); }
    TYPE& GetNext(POSITION& pos) { return reinterpret_cast<TYPE&>(BASE::GetNext(pos)); }
    TYPE GetNext(POSITION& pos) const { return static_cast<TYPE>(BASE::GetNext(pos)); }
    TYPE& GetPrev(POSITION& pos) { return reinterpret_cast<TYPE&>(BASE::GetPrev(pos)); }
    TYPE GetPrev(POSITION& pos) const { return static_cast<TYPE>(BASE::GetPrev(pos)); }
    TYPE& GetAt(POSITION pos) { return reinterpret_cast<TYPE&>(BASE::GetAt(pos)); }
    TYPE GetAt(POSITION pos) const { return static_cast<TYPE>(BASE::GetAt(pos)); }
    void SetAt(POSITION pos, TYPE value) { BASE::SetAt(pos, value); }
    POSITION InsertBefore(POSITION pos, TYPE value) { return BASE::InsertBefore(pos, value); }
    POSITION InsertAfter(POSITION pos, TYPE value) { return BASE::InsertAfter(pos, value); }
};
