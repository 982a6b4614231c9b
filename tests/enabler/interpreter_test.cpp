#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>
#include "FormulaContext.h"
#include "ZEFTGripPoint.h"
#include "db/database.h"
#include "ed/docman.h"
#include "ed/prompts.h"
#include "rx/print.h"
#include "theFunctions.h"

namespace {

// One statement from words: keyword texts and ")" are function tokens ("else_if", "else_do"
// and "#N" name indices), numbers, "quoted" texts, "{" and "}", "&N" entity tokens, other
// words variable names.
CCondFormula* statement(const std::string& source) {
    auto* s = new CCondFormula;
    std::istringstream words(source);
    for (std::string w; words >> w;) {
        auto* t = new CFormulaObject;
        t->text = w.c_str();
        t->value = 0.0;
        int index = -1;
        bool keyword = w[0] == '#';
        if (w == "else_if") index = kKeywordElseIf;
        else if (w == "else_do") index = kKeywordElseDo;
        else if (keyword) index = std::atoi(w.c_str() + 1);
        for (int i = 0; index < 0 && !keyword && i < kFormulaKeywordCount; ++i)
            if (w == formulaKeyword(i)) index = i;
        keyword = keyword || index >= 0;
        char* end = nullptr;
        const double number = std::strtod(w.c_str(), &end);
        if (keyword) {
            t->type = 3;
            t->value = index;
            if (index >= 0 && index < kFormulaKeywordCount) t->text = formulaKeyword(index);
        } else if (w == "{" || w == "}") {
            t->type = 1;
        } else if (w[0] == '"') {
            t->type = 5;
        } else if (w[0] == '&') {
            t->type = 6;
            t->value = std::atof(w.c_str() + 1);
        } else if (end && *end == '\0') {
            t->type = 1;
            t->value = number;
        } else {
            t->type = 4;
        }
        s->tokens.AddTail(t);
    }
    return s;
}

class Interpreter : public ::testing::Test {
protected:
    void SetUp() override {
        acutSetPrintSink(&Interpreter::capture);
        acedAlert("");
        printed().clear();
    }
    void TearDown() override { acutSetPrintSink(nullptr); }
    static std::string& printed() {
        static std::string text;
        return text;
    }
    static void capture(const char* text) { printed() += text; }
    static int alerts() {
        int n = 0;
        for (size_t at = printed().find("** An error"); at != std::string::npos; at = printed().find("** An error", at + 1))
            ++n;
        return n;
    }

    CVariable* var(const char* name, double value = 0.0) {
        auto* v = new CVariable;
        v->name = name;
        v->kind = RTREAL;
        v->realValue = value;
        grip.variables.AddTail(v);
        return v;
    }
    bool run(const std::vector<std::string>& program) {
        for (const std::string& s : program) grip.AddFormula(s.empty() ? nullptr : statement(s));
        return grip.CheckFormulaForStretch();
    }
    ZEFTGripPoint grip;
};

TEST_F(Interpreter, EmptyProgramSucceedsAndLeavesNothing) {
    EXPECT_TRUE(grip.CheckFormulaForStretch());
    EXPECT_TRUE(grip.temporaries.IsEmpty());
}

TEST_F(Interpreter, VariablesKeepTheirValuesBetweenRuns) {
    CVariable* a = var("a", 1.0);
    EXPECT_TRUE(run({"setVar( a (+ a 1 ) )"}));
    EXPECT_DOUBLE_EQ(a->GetReal(), 2.0);
    EXPECT_TRUE(grip.temporaries.IsEmpty());
    EXPECT_TRUE(grip.CheckFormulaForStretch());
    EXPECT_DOUBLE_EQ(a->GetReal(), 3.0);
    EXPECT_EQ(grip.variables.GetCount(), 1);
}

// The items of lists go with the values that hold them (the leak checker sees the rest).
TEST_F(Interpreter, ListItemsLiveAsLongAsTheirList) {
    CVariable* kept = var("kept");
    EXPECT_TRUE(run({"setVar( kept getEnts( 1 2 ) )", "getEnts( 3 4 5 )"}));
    ASSERT_EQ(kept->items.GetCount(), 2);
    EXPECT_EQ(kept->items.GetTail()->GetLong(), 2);
    EXPECT_TRUE(grip.temporaries.IsEmpty());
    EXPECT_TRUE(run({}));  // the same statements again: the items are appended
    EXPECT_EQ(kept->items.GetCount(), 4);
    CVariable copy(*kept);
    EXPECT_EQ(copy.items.GetCount(), 4);
    EXPECT_NE(copy.items.GetHead(), kept->items.GetHead());
}

TEST_F(Interpreter, EvaluatesEveryCallOfAStatementAndEveryTokenKind) {
    CVariable* a = var("a");
    CVariable* b = var("b");
    CVariable* s = var("s");
    CVariable* p = var("p");
    CVariable* e = var("e");
    CVariable* n = var("n", 5.0);
    EXPECT_TRUE(run({"setVar( a 1 ) setVar( b (* 2 pi ) ) )", "setVar( s \"abc\" ) setVar( e &42 ) setVar( n nosuch )",
                     "setVar( p (- 10 2 3 ) )"}));
    EXPECT_DOUBLE_EQ(a->GetReal(), 1.0);
    EXPECT_NEAR(b->GetReal(), 2 * 3.1415926535898, 1e-12);  // a constant needs its own ")"
    EXPECT_EQ(s->kind, RTSTR);
    EXPECT_STREQ(s->stringValue, "abc");
    EXPECT_EQ(e->kind, RTENAME);
    EXPECT_EQ(e->longValue, 42);
    EXPECT_EQ(n->kind, RTNIL);  // a name of no variable is a null argument
    EXPECT_DOUBLE_EQ(p->GetReal(), 5.0);
}

TEST_F(Interpreter, ClosingWithNothingPendingReturnsTheLastValue) {
    grip.AddFormula(statement("7 ) 8"));
    int index = 0;
    POSITION position = nullptr;
    CVariable* v = grip.DoFormula(index, position);
    ASSERT_NE(v, nullptr);
    EXPECT_DOUBLE_EQ(v->GetReal(), 7.0);
    ASSERT_NE(position, nullptr);
    EXPECT_DOUBLE_EQ(grip.formulas.GetHead()->tokens.GetAt(position)->value, 8.0);
    EXPECT_EQ(grip.temporaries.GetCount(), 1);
    grip.CleanUpArgs();
    EXPECT_TRUE(grip.temporaries.IsEmpty());
}

TEST_F(Interpreter, PointAndEntityTokensCarryTheirIds) {
    AcDbDatabase db(true, true);
    AcDbObjectId id = db.modelSpaceId();
    auto* s = new CCondFormula;
    for (int16_t type : {7, 7, 6, 6}) {
        auto* t = new CFormulaObject;
        t->type = type;
        t->value = 3.7;
        t->point = AcGePoint3d(1, 2, 3);
        if (s->tokens.GetCount() % 2) t->AddObjectId(id);
        s->tokens.AddTail(t);
    }
    grip.AddFormula(s);
    grip.AddFormula(statement(")"));
    int index = 0;
    POSITION position = nullptr;
    CVariable* last = grip.DoFormula(index, position);  // the ")" on the next statement ends it
    EXPECT_EQ(index, 1);
    ASSERT_EQ(grip.temporaries.GetCount(), 4);
    std::vector<CVariable*> made;
    for (POSITION p = grip.temporaries.GetHeadPosition(); p;) made.push_back(grip.temporaries.GetNext(p));
    EXPECT_EQ(last, made[3]);
    EXPECT_EQ(made[0]->kind, RTPOINT);
    EXPECT_EQ(made[0]->sourceToken, nullptr);
    EXPECT_DOUBLE_EQ(made[0]->point[2], 3.0);
    EXPECT_EQ(made[1]->kind, RTLB);
    EXPECT_EQ(made[1]->sourceToken, s->tokens.GetAt(s->tokens.FindIndex(1)));
    EXPECT_EQ(made[2]->kind, RTENAME);
    EXPECT_TRUE(made[2]->objectId.isNull());  // no ids: the null id
    EXPECT_EQ(made[2]->longValue, 3);
    EXPECT_EQ(made[3]->objectId, id);
    grip.CleanUpArgs();
}

TEST_F(Interpreter, IfRunsOrSkipsItsOneStatementBranch) {
    CVariable* a = var("a");
    CVariable* b = var("b");
    EXPECT_TRUE(run({"if (= 1 2 )", "setVar( a 1 )", "setVar( b 2 )"}));
    EXPECT_DOUBLE_EQ(a->GetReal(), 0.0);
    EXPECT_DOUBLE_EQ(b->GetReal(), 2.0);
    grip.ClearFormula();
    a = var("a");
    EXPECT_TRUE(run({"if (= 1 1 )", "setVar( a 1 )", "if (+ )", "setVar( a 5 )"}));  // no value: not held
    EXPECT_DOUBLE_EQ(a->GetReal(), 1.0);
}

TEST_F(Interpreter, ElseBranchesRunOnlyWhenNothingBeforeThemHeld) {
    const std::vector<std::string> program = {"if (= x 1 )", "setVar( r 1 )", "else_if (= x 2 )",
                                              "setVar( r 2 )", "else_do", "{", "setVar( r 3 )", "}",
                                              "setVar( after 1 )"};
    for (double x : {1.0, 2.0, 3.0}) {
        grip.ClearFormula();
        var("x", x);
        CVariable* r = var("r");
        CVariable* after = var("after");
        EXPECT_TRUE(run(program));
        EXPECT_DOUBLE_EQ(r->GetReal(), x) << x;
        EXPECT_DOUBLE_EQ(after->GetReal(), 1.0) << x;
    }
}

TEST_F(Interpreter, BlocksRunTheirStatementsAndArePassedWhenNotTaken) {
    CVariable* a = var("a");
    CVariable* b = var("b");
    CVariable* c = var("c");
    EXPECT_TRUE(run({"if (= 1 1 )", "{", "setVar( a 1 ) setVar( b 1 )", "}", "setVar( c 1 )"}));
    EXPECT_DOUBLE_EQ(a->GetReal() + b->GetReal() + c->GetReal(), 3.0);
    grip.ClearFormula();
    a = var("a");
    b = var("b");
    c = var("c");
    EXPECT_TRUE(run({"if (= 1 2 )", "{", "setVar( a 1 )", "}", "setVar( b 1 )", "setVar( c 1 )"}));
    EXPECT_DOUBLE_EQ(a->GetReal(), 0.0);
    EXPECT_DOUBLE_EQ(b->GetReal(), 0.0);  // the statement the search stopped at
    EXPECT_DOUBLE_EQ(c->GetReal(), 1.0);
    grip.ClearFormula();
    EXPECT_FALSE(run({"if (= 1 2 )", "{", "setVar( a 1 )", "}"}));  // the index ran to the end
}

TEST_F(Interpreter, CancelEndsTheRunAndQueuesOneUndo) {
    AcApDocument* doc = acDocManager->newDocument();
    ASSERT_NE(doc, nullptr);
    CVariable* a = var("a");
    CVariable* b = var("b");
    EXPECT_FALSE(run({"setVar( a 1 )", "cancel( \"stopped\" )", "setVar( b 1 )"}));
    EXPECT_TRUE(formulaCancelled);
    EXPECT_DOUBLE_EQ(a->GetReal(), 1.0);
    EXPECT_DOUBLE_EQ(b->GetReal(), 0.0);
    ASSERT_EQ(doc->pendingInput().size(), 1u);
    EXPECT_EQ(doc->pendingInput().front().text, "_u ");
    EXPECT_NE(printed().find("\nstopped"), std::string::npos);
    doc->pendingInput().clear();
    EXPECT_TRUE(grip.temporaries.IsEmpty());
    // A cancel inside an argument ends the run before the enclosing call.
    grip.ClearFormula();
    a = var("a", 4.0);
    EXPECT_FALSE(run({"setVar( a cancel( ) )"}));
    EXPECT_DOUBLE_EQ(a->GetReal(), 4.0);
    doc->pendingInput().clear();
    EXPECT_TRUE(grip.CheckFormulaForStretch() == false && formulaCancelled);
    grip.ClearFormula();
    EXPECT_TRUE(grip.CheckFormulaForStretch());
    EXPECT_FALSE(formulaCancelled);
    doc->pendingInput().clear();
    EXPECT_EQ(acDocManager->closeDocument(doc), Acad::eOk);
}

TEST_F(Interpreter, AFailingFunctionIsReportedWithItsKeywordAndTheRunGoesOn) {
    const FormulaFunction saved = FormulaKeywordTable[10].function;
    FormulaKeywordTable[10].function = []() -> CVariable* { throw std::runtime_error("boom"); };
    CVariable* a = var("a", 3.0);
    CVariable* b = var("b");
    EXPECT_TRUE(run({"setVar( a (/ 1 0 ) )", "setVar( b 2 )"}));
    FormulaKeywordTable[10].function = []() -> CVariable* { throw 42; };
    EXPECT_TRUE(grip.CheckFormulaForStretch());
    FormulaKeywordTable[10].function = saved;
    EXPECT_EQ(acedHostLastAlert(), "An error occured in the function: (/");
    EXPECT_EQ(alerts(), 2);
    EXPECT_EQ(a->kind, RTNIL);
    EXPECT_DOUBLE_EQ(b->GetReal(), 2.0);
}

TEST_F(Interpreter, TemporariesAreKeptOnceAndDeletedOnce) {
    CVariable* a = var("a");
    // incDef answers one of its arguments: that value reaches the list twice.
    EXPECT_TRUE(run({"setVar( a incDef( 7 5 10 ) )", "incDef( 7 a 10 )"}));
    EXPECT_DOUBLE_EQ(a->GetReal(), 5.0);
    auto* t = new CVariable;
    grip.AddVariableToTemps(t);
    grip.AddVariableToTemps(t);
    grip.AddVariableToTemps(nullptr);
    auto* same = new CVariable;
    same->serial = t->serial;
    grip.AddVariableToTemps(same);
    EXPECT_EQ(grip.temporaries.GetCount(), 1);
    delete same;
    // A named variable's serial is from an earlier run and hides no new value.
    a->serial = t->serial + 1;
    grip.AddVariableToTemps(a);
    auto* fresh = new CVariable;
    fresh->serial = a->serial;
    CVariableList more;
    more.AddTail(fresh);
    more.AddTail(t);
    grip.AddVariablesToTemps(more);
    EXPECT_EQ(grip.temporaries.GetCount(), 3);
    grip.CleanUpArgs();
    EXPECT_TRUE(grip.hasVar(a));
    EXPECT_FALSE(grip.hasVar(nullptr));
    CString name = "a";
    EXPECT_EQ(grip.GetVar(name), a);
}

TEST_F(Interpreter, FindElseStatmentStopsAtTheFirstFunctionStatement) {
    for (const char* s : {"if (= 1 1 )", "7", "{", "setVar( a 1 )", "}", "else_do", "setVar( a 2 )"})
        grip.AddFormula(statement(s));
    int index = 0;
    EXPECT_EQ(grip.FindElseStatment(index, false), 5);  // past the number and the block
    EXPECT_EQ(index, 5);
    index = 3;
    EXPECT_EQ(grip.FindElseStatment(index, false), -1);  // the brace closes nothing opened here
    EXPECT_EQ(index, 3);
    index = 2;
    EXPECT_EQ(grip.FindElseStatment(index, false), -1);  // stops at the branch of the block
    EXPECT_EQ(index, 3);
    index = 0;
    EXPECT_EQ(grip.FindElseStatment(index, true), 0);
    index = 6;
    EXPECT_EQ(grip.FindElseStatment(index, false), -1);
}

// Statement lists no author would write still end, without a crash.
TEST_F(Interpreter, EveryRunEnds) {
    CVariable* a = var("a");
    EXPECT_TRUE(run({"{", "setVar( a 1 )", "}", "}", "{ setVar( a 9 )", "", "} }"}));
    EXPECT_DOUBLE_EQ(a->GetReal(), 1.0);
    const std::vector<std::vector<std::string>> programs = {
        {"if"},
        {"if", "if"},
        {"if (= 1 1 )"},
        {"if (= 1 1 )", "{", "setVar( a 2 )"},
        {"if (= 1 1 )", "{", "}", "else_do"},
        {"if (= 1 1 )", "{", "{", "}", "else_if", "{"},
        {"setVar( a if (= 1 2 ) (- 3 ) )", "{", "}"},
        {"(+ 1 2", "", "if"},
        {"move( 1 ) ) )", "fix( a )", "#0 #14 #50 #500 #-7 ) )"},
        {"else_do setVar( a 3 ) )", "else_if", ")", ") ) )"},
        {"getThisPoint() getOffset() queryThisPt() ) )"},
        {"if if if if if if"},
        {"{ if", "} if (= 1 1 )", "{ }"},
    };
    for (const auto& program : programs) {
        grip.ClearFormula();
        var("a");
        run(program);
        EXPECT_TRUE(grip.temporaries.IsEmpty());
    }
}

TEST_F(Interpreter, DeeplyNestedCallsEndTheRunCleanly) {
    CVariable* a = var("a", 1.0);
    std::string nested = "setVar( a";
    for (int i = 0; i < 5000; ++i) nested += " (+";
    nested += " 1";
    for (int i = 0; i < 5001; ++i) nested += " )";
    EXPECT_FALSE(run({nested, "setVar( a 2 )"}));
    EXPECT_DOUBLE_EQ(a->GetReal(), 1.0);
    EXPECT_EQ(acedHostLastAlert(), "An error occured in the function: (+");
    EXPECT_EQ(alerts(), 1);
    EXPECT_TRUE(grip.temporaries.IsEmpty());
    // The bound resets with the next run.
    grip.ClearFormula();
    a = var("a", 1.0);
    EXPECT_TRUE(run({"setVar( a (+ (+ (+ a 1 ) 1 ) 1 ) )"}));
    EXPECT_DOUBLE_EQ(a->GetReal(), 4.0);
}

}  // namespace
