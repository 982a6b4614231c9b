// libFuzzer target for the formula interpreter: random statement lists run on a grip point.
//
// Input: byte 0 picks the named variables; then each byte chooses a token (most take the next
// byte as their argument): statement breaks, null statements, keywords by index (some outside
// the table), ")", numbers, variable names, texts, braces, entity and point tokens (bound to the
// entities of a small working drawing or to none) and tokens of kinds the language does not
// know. The list runs twice, as two grip drags would.
//
// Build: tests/fuzz_sources/build.sh (clang, with the module sources compiled in).
#include <cstddef>
#include <cstdint>
#include <vector>
#include "FormulaContext.h"
#include "ZEFTGripPoint.h"
#include "db/arc.h"
#include "db/circle.h"
#include "db/database.h"
#include "db/line.h"
#include "db/text.h"
#include "rx/print.h"
#include "theFunctions.h"

namespace {

const char* const kNames[] = {"a", "b", "c", "d", "nosuch"};
const char* const kTexts[] = {"\"abc\"", "\"\"", "\"", "\"a\\ib\"", "\"12.5\""};

void quiet(const char*) {}

// Entities the entity tokens name: a circle, an arc, a text and a line in the model space of a
// drawing that stays the working one.
const std::vector<AcDbObjectId>& drawingEntities() {
    static std::vector<AcDbObjectId> ids = [] {
        auto* db = new AcDbDatabase(true, true);
        acdbHostApplicationServices()->setWorkingDatabase(db);
        std::vector<AcDbObjectId> made;
        AcDbBlockTableRecord* space = nullptr;
        if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return made;
        AcDbEntity* entities[] = {new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 2.0),
                                  new AcDbArc(AcGePoint3d(0, 0, 0), 3.0, 0.0, 1.0),
                                  new AcDbText(AcGePoint3d(0, 0, 0), "t", AcDbObjectId::kNull, 1.0, 0.0),
                                  new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0))};
        for (AcDbEntity* entity : entities) {
            AcDbObjectId id;
            if (space->appendAcDbEntity(id, entity) == Acad::eOk) made.push_back(id);
            entity->close();
        }
        space->close();
        return made;
    }();
    return ids;
}

// Binds a token to one of the drawing's entities (or to none, for some bytes), with a stretch
// index list for point tokens.
void bindEntity(CFormulaObject* t, uint8_t b) {
    const std::vector<AcDbObjectId>& ids = drawingEntities();
    if (ids.empty() || b % 5 == 4) return;
    t->ids.append(ids[b % 5 % ids.size()]);
    AcDbIntArray indices;
    indices.append(static_cast<int>(b / 5) % 4 - 1);
    t->stretchIds.append(indices);
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool done() const { return m_pos >= m_size; }
    uint8_t next() { return m_pos < m_size ? m_data[m_pos++] : 0; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

CFormulaObject* token(int16_t type, const char* text, double value) {
    auto* t = new CFormulaObject;
    t->type = type;
    t->text = text;
    t->value = value;
    return t;
}

CFormulaObject* keyword(int index) {
    return token(3, index >= 0 && index < kFormulaKeywordCount ? formulaKeyword(index) : "?", index);
}

void build(ZEFTGripPoint& grip, Reader& in) {
    const uint8_t variables = in.next();
    for (int i = 0; i < 4; ++i) {
        if (!(variables & (1 << i))) continue;
        auto* v = new CVariable;
        v->name = kNames[i];
        v->kind = (variables & 0x80) ? RTSTR : RTREAL;
        v->realValue = i;
        v->stringValue = "xyz";
        grip.variables.AddTail(v);
    }
    auto* statement = new CCondFormula;
    while (!in.done()) {
        const uint8_t op = in.next();
        switch (op % 20) {
        case 0:
            grip.AddFormula(statement);
            statement = new CCondFormula;
            break;
        case 1:
            grip.AddFormula(nullptr);
            break;
        case 2: case 3: case 4: case 5: case 6:
            statement->tokens.AddTail(keyword(in.next() % 124 - 2));
            break;
        case 7: {
            // The keywords of control flow, often.
            static const int flow[] = {1, 3, 4, 5, 64, 51, 69, 70};
            statement->tokens.AddTail(keyword(flow[in.next() % 8]));
            break;
        }
        case 8: case 9:
            statement->tokens.AddTail(token(3, ")", 2.0));
            break;
        case 10:
            statement->tokens.AddTail(token(1, "n", static_cast<int8_t>(in.next()) / 4.0));
            break;
        case 11: case 12:
            statement->tokens.AddTail(token(4, kNames[in.next() % 5], 0.0));
            break;
        case 13:
            statement->tokens.AddTail(token(5, kTexts[in.next() % 5], 0.0));
            break;
        case 14:
            statement->tokens.AddTail(token(1, "{", 0.0));
            break;
        case 15:
            statement->tokens.AddTail(token(1, "}", 0.0));
            break;
        case 16: {
            CFormulaObject* e = token(6, "e", in.next());
            bindEntity(e, in.next());
            statement->tokens.AddTail(e);
            break;
        }
        case 17: {
            CFormulaObject* p = token(7, "p", 0.0);
            p->point.set(in.next(), in.next(), 0.0);
            const uint8_t b = in.next();
            if (b & 1) bindEntity(p, b >> 1);
            statement->tokens.AddTail(p);
            break;
        }
        case 18: {
            // Kinds the language does not know, odd values, a brace as a keyword.
            const uint8_t b = in.next();
            statement->tokens.AddTail(token(static_cast<int16_t>(b % 11) - 1, (b & 1) ? "{x" : "}", b * 1e9));
            break;
        }
        default:
            statement->tokens.AddTail(nullptr);
            break;
        }
    }
    grip.AddFormula(statement);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    acutSetPrintSink(&quiet);
    ZEFTGripPoint grip;
    Reader in(data, size);
    build(grip, in);
    grip.CheckFormulaForStretch();
    grip.CheckFormulaForStretch();
    // A run started part-way, as the public entry allows.
    int index = static_cast<int>(size % 5);
    POSITION position = nullptr;
    grip.DoFormula(index, position);
    grip.CleanUpArgs();
    index = static_cast<int>(size % 3);
    grip.FindElseStatment(index, size & 1);
    return 0;
}
