#include <gtest/gtest.h>
#include <deque>
#include <random>
#include <unordered_map>
#include "db/database.h"
#include "db/handletable.h"
#include "testentities.h"

using cadhost::db::HandleTable;

namespace {

// Stubs to point at; only their addresses matter.
struct Stubs {
    AcDbStub* operator[](uint64_t handle) {
        auto it = made.find(handle);
        if (it != made.end()) return it->second;
        AcDbStub* s = &store.emplace_back();
        made[handle] = s;
        return s;
    }
    std::deque<AcDbStub> store;
    std::unordered_map<uint64_t, AcDbStub*> made;
};

// Every handle the model holds is found, with its stub; every other one of the set is not.
void expectSame(const HandleTable& table, const std::unordered_map<uint64_t, AcDbStub*>& model,
                const std::vector<uint64_t>& handles) {
    ASSERT_EQ(table.size(), model.size());
    for (uint64_t h : handles) {
        auto it = model.find(h);
        ASSERT_EQ(table.find(h), it == model.end() ? nullptr : it->second) << std::hex << h;
    }
}

// Dense runs (whose pages, arriving out of order, are first scattered and then gathered),
// strides of high powers of two (which crowd one region of a plain modulo table) and the far
// ends of the 64-bit range, entered and removed in random order.
TEST(HandleTable, AgreesWithAMapThroughInsertsAndRemovals) {
    std::vector<uint64_t> handles;
    for (uint64_t h = 1; h <= 20000; ++h) handles.push_back(h);
    for (uint64_t k = 1; k <= 1000; ++k) handles.push_back(k << 32);
    for (uint64_t k = 1; k <= 500; ++k) handles.push_back(UINT64_MAX - k * 4096);
    std::mt19937_64 random(7);
    Stubs stubs;
    HandleTable table;
    std::unordered_map<uint64_t, AcDbStub*> model;
    for (int round = 0; round < 3; ++round) {
        std::shuffle(handles.begin(), handles.end(), random);
        for (size_t i = 0; i < handles.size(); ++i) {
            const uint64_t h = handles[i];
            if (random() % 3 == 0) {
                const bool present = model.count(h) != 0;
                EXPECT_EQ(table.erase(h, stubs[h]), present);
                model.erase(h);
            } else {
                table.insert(h, stubs[h]);
                model[h] = stubs[h];
            }
        }
        expectSame(table, model, handles);
    }
    // Removing everything leaves an empty table that still takes entries.
    for (uint64_t h : handles) table.erase(h, stubs[h]);
    model.clear();
    expectSame(table, model, handles);
    table.insert(42, stubs[42]);
    EXPECT_EQ(table.find(42), stubs[42]);
}

TEST(HandleTable, RemovesOnlyTheStubItHolds) {
    Stubs stubs;
    HandleTable table;
    EXPECT_EQ(table.find(5), nullptr);
    EXPECT_FALSE(table.erase(5, stubs[5]));
    table.insert(5, stubs[5]);
    table.insert(0, stubs[0]);  // the null handle is never entered
    EXPECT_EQ(table.size(), 1u);
    EXPECT_FALSE(table.erase(5, stubs[6]));
    EXPECT_EQ(table.find(5), stubs[5]);
    table.insert(5, stubs[6]);  // replaces
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(table.find(5), stubs[6]);
    table.reserve(100000);
    EXPECT_EQ(table.find(5), stubs[6]);
    table.clear();
    EXPECT_EQ(table.find(5), nullptr);
    EXPECT_EQ(table.size(), 0u);
}

// A drawing's handles through undo of appends: a handle taken out and put back is found again,
// and the handle seed passes over handles still in use.
TEST(HandleTable, DatabaseFindsHandlesAfterUnappendAndReappend) {
    AcDbDatabase db(true, true);
    AcDbObjectId far;
    ASSERT_EQ(db.getAcDbObjectId(far, true, AcDbHandle(uint64_t(1) << 40)), Acad::eOk);
    std::vector<AcDbObjectId> ids;
    for (int i = 0; i < 2000; ++i) {
        AcDbObjectId id;
        auto* object = new DbTestPersistentReactor();
        ASSERT_EQ(db.addAcDbObject(id, object), Acad::eOk);
        object->close();
        ids.push_back(id);
    }
    for (size_t i = 0; i < ids.size(); i += 2) db.internalUnappend(ids[i].stub());
    for (size_t i = 0; i < ids.size(); ++i) {
        AcDbObjectId found;
        EXPECT_EQ(db.getAcDbObjectId(found, false, ids[i].handle()), i % 2 ? Acad::eOk : Acad::eUnknownHandle);
        if (i % 2) {
            EXPECT_EQ(found, ids[i]);
        }
    }
    for (size_t i = 0; i < ids.size(); i += 2) db.internalReappend(ids[i].stub());
    for (const AcDbObjectId& id : ids) {
        AcDbObjectId found;
        ASSERT_EQ(db.getAcDbObjectId(found, false, id.handle()), Acad::eOk);
        EXPECT_EQ(found, id);
    }
    AcDbObjectId found;
    ASSERT_EQ(db.getAcDbObjectId(found, false, far.handle()), Acad::eOk);
    EXPECT_EQ(found, far);
    EXPECT_EQ(db.numOpenObjects(), 0);
}

}  // namespace
