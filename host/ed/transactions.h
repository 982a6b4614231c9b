#pragma once
// Transactions: objects opened through a transaction stay open until the outermost transaction
// ends, which closes them; aborting a transaction puts back what changed in the drawings it
// touched while it was open (through the drawings' undo, db/undolog.h), opened through it or
// not, and closes what it opened.
//
// Transactions nest. An object is open once for all of them: asked for again, it is handed out
// as it is (upgraded to write when asked for write). Ending an inner transaction hands its
// objects and its changes to the enclosing one; aborting it puts back its changes, also in
// objects that enclosing transactions hold, and closes the objects it opened itself.
// Objects asked for notify are opened for read.
//
// Graphics: queueForGraphicsFlush queues the entities changed through the transactions so far;
// flushGraphics redraws those queued and those changed through the transactions now (see
// ed/display.h); the end of the outermost transaction flushes what is queued.
#include <map>
#include <memory>
#include <vector>
#include "db/object.h"

class AcDbTransactionManager;

class CADHOST_API AcTransaction : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcTransaction);
    ~AcTransaction() override;
    // Opens an object into this transaction (see AcDbTransactionManager::getObject).
    Acad::ErrorStatus getObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                bool openErasedObject = false);
    // Objects this transaction holds (opened through it or handed over by inner ones).
    int numOpenedObjects() const;

private:
    friend class AcDbTransactionManager;
    explicit AcTransaction(AcDbTransactionManager* manager) : m_manager(manager) {}
    AcDbTransactionManager* m_manager;
};

class CADHOST_API AcDbTransactionManager : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbTransactionManager);
    ~AcDbTransactionManager() override;

    AcTransaction* startTransaction();
    // eNoActiveTransactions when none is open.
    Acad::ErrorStatus endTransaction();
    Acad::ErrorStatus abortTransaction();
    int numActiveTransactions() const { return static_cast<int>(m_active.size()); }
    AcTransaction* topTransaction() const { return m_active.empty() ? nullptr : m_active.back().get(); }
    // Opens an object into the top transaction.
    Acad::ErrorStatus getObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                bool openErasedObject = false);
    // Hands an object just appended (and still open for write) to the top transaction, which
    // closes it at its end; with add false, takes it back out (the caller closes it then).
    Acad::ErrorStatus addNewlyCreatedDBRObject(AcDbObject* object, bool add = true);

    virtual Acad::ErrorStatus queueForGraphicsFlush() = 0;
    virtual Acad::ErrorStatus flushGraphics() = 0;

protected:
    AcDbTransactionManager() = default;
    // Entities open for write through the transactions that changed since they were opened.
    std::vector<AcDbObjectId> changedEntities() const;
    void queue(const std::vector<AcDbObjectId>& ids);
    std::vector<AcDbObjectId> takeQueue();

private:
    friend class AcTransaction;
    struct Held {
        AcDbObject* object = nullptr;
        AcTransaction* owner = nullptr;
        AcDbDatabase* database = nullptr;  // objects of a drawing destroyed meanwhile are let go
    };
    Acad::ErrorStatus open(AcTransaction* into, AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                           bool openErased);
    // Gives the database a nested undo record for every active transaction.
    void join(AcDbDatabase* db);
    void closeHeldBy(const AcTransaction* owner);
    virtual void flushQueue() = 0;

    std::vector<std::unique_ptr<AcTransaction>> m_active;  // outermost first
    std::map<AcDbObjectId, Held> m_held;
    std::vector<AcDbDatabase*> m_databases;  // each with one nested record per active transaction
    std::vector<AcDbObjectId> m_queue;
};

// The editor's transaction manager: its graphics go to the documents' displays.
class CADHOST_API AcTransactionManager : public AcDbTransactionManager {
public:
    ACRX_DECLARE_MEMBERS(AcTransactionManager);
    Acad::ErrorStatus queueForGraphicsFlush() override;
    Acad::ErrorStatus flushGraphics() override;

private:
    void flushQueue() override;
};

// The one transaction manager of the process.
CADHOST_API AcTransactionManager* acapTransactionManagerPtr();
CADHOST_API AcDbTransactionManager* acdbTransactionManagerPtr();
#define actrTransactionManager acapTransactionManagerPtr()
#define acdbTransactionManager acdbTransactionManagerPtr()
