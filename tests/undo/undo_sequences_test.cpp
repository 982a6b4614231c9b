// Random sequences of commands, undos and redos against the snapshots they must come back to.
#include <random>
#include <vector>
#include "../enabler/zeft_blockref_support.h"
#include "db/circle.h"
#include "db/line.h"
#include "undo_support.h"

using namespace undotest;

namespace {
class Sequences {
public:
    explicit Sequences(unsigned seed) : m_random(seed) {}

    // One command of one to three changes.
    void command() {
        asCommand(db(), "STEP", [&] {
            const int changes = 1 + pick(3);
            for (int i = 0; i < changes; ++i) change();
        });
    }

    zefttest::Drawing d;

private:
    AcDbDatabase* db() { return &d.db; }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    double coordinate() { return std::uniform_real_distribution<double>(-100, 100)(m_random); }
    AcGePoint3d point() { return AcGePoint3d(coordinate(), coordinate(), 0); }
    std::vector<AcDbObjectId> live() {
        std::vector<AcDbObjectId> ids;
        for (const AcDbObjectId& id : d.entitiesOf(db()->modelSpaceId()))
            if (!id.isErased()) ids.push_back(id);
        return ids;
    }
    void change() {
        std::vector<AcDbObjectId> ids = live();
        switch (ids.empty() ? 0 : pick(6)) {
        case 0: d.append(new AcDbLine(point(), point())); break;
        case 1: {
            AcDbEntity* e = nullptr;
            ASSERT_EQ(acdbOpenObject(e, ids[static_cast<size_t>(pick(static_cast<int>(ids.size())))], AcDb::kForWrite),
                      Acad::eOk);
            e->transformBy(AcGeMatrix3d::rotation(coordinate() / 50, AcGeVector3d::kZAxis, point()));
            e->close();
            break;
        }
        case 2: {
            AcDbEntity* e = nullptr;
            ASSERT_EQ(acdbOpenObject(e, ids[static_cast<size_t>(pick(static_cast<int>(ids.size())))], AcDb::kForWrite),
                      Acad::eOk);
            e->erase();
            e->close();
            break;
        }
        case 3: {
            const std::string name = "B" + std::to_string(m_blocks++);
            d.block(name.c_str(), {new AcDbCircle(point(), AcGeVector3d::kZAxis, 1 + pick(5))});
            break;
        }
        case 4: db()->setHeaderValue("TEXTSIZE", 1.0 + pick(10)); break;
        default: d.append(new AcDbCircle(point(), AcGeVector3d::kZAxis, 2)); break;
        }
    }

    std::mt19937 m_random;
    int m_blocks = 0;
};
}  // namespace

TEST(UndoSequences, EveryUndoAndRedoLandsOnTheDrawingOfThatStep) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        Sequences s(seed);
        AcDbDatabase* db = &s.d.db;
        std::mt19937 actions(seed * 7919);
        std::vector<std::string> done{drawingText(db)};  // the drawing after each step kept
        std::vector<std::string> redoable;               // what the last undo took, in redo order
        for (int step = 0; step < 120; ++step) {
            const int action = std::uniform_int_distribution<int>(0, 9)(actions);
            if (action < 6) {
                s.command();
                done.push_back(drawingText(db));
                redoable.clear();
            } else if (action < 9) {
                const int count = 1 + action % 2;
                const std::vector<std::string> names = db->internalUndoLog().undo(count);
                std::vector<std::string> taken;
                for (int i = 0; i < count && done.size() > 1; ++i) {
                    taken.insert(taken.begin(), done.back());
                    done.pop_back();
                }
                ASSERT_EQ(names.size(), taken.size());
                if (!taken.empty()) redoable = taken;
                ASSERT_EQ(firstDifference(drawingText(db), done.back()), "") << "seed " << seed << " step " << step;
            } else {
                db->internalUndoLog().redo();
                for (const std::string& text : redoable) done.push_back(text);
                redoable.clear();
                ASSERT_EQ(firstDifference(drawingText(db), done.back()), "") << "seed " << seed << " step " << step;
            }
            ASSERT_EQ(acdbHostOpenObjectCount(), 0);
        }
    }
}
