#include <gtest/gtest.h>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>
#include "ed/lisp.h"
#include "ed/lispfuncs.h"
#include "rx/dynlinker.h"

namespace {
// Result-buffer chain as text, e.g. "LB SHORT:1 STR:a LE".
std::string describe(const resbuf* rb) {
    std::string out;
    for (; rb; rb = rb->rbnext) {
        if (!out.empty()) out += ' ';
        char buf[128];
        switch (rb->restype) {
        case RTLB: out += "LB"; break;
        case RTLE: out += "LE"; break;
        case RTDOTE: out += "DOTE"; break;
        case RTNIL: out += "NIL"; break;
        case RTT: out += "T"; break;
        case RTSHORT: out += "SHORT:" + std::to_string(rb->resval.rint); break;
        case RTLONG: out += "LONG:" + std::to_string(rb->resval.rlong); break;
        case RTREAL: std::snprintf(buf, sizeof buf, "REAL:%g", rb->resval.rreal); out += buf; break;
        case RTSTR: out += std::string("STR:") + rb->resval.rstring; break;
        case RTPOINT:
            std::snprintf(buf, sizeof buf, "POINT:%g,%g", rb->resval.rpoint[0], rb->resval.rpoint[1]);
            out += buf;
            break;
        case RT3DPOINT:
            std::snprintf(buf, sizeof buf, "3DPOINT:%g,%g,%g", rb->resval.rpoint[0], rb->resval.rpoint[1],
                          rb->resval.rpoint[2]);
            out += buf;
            break;
        default: out += "TYPE:" + std::to_string(rb->restype);
        }
    }
    return out;
}

// The running call's arguments; the copy acedGetArgs hands out is the caller's to free.
std::string describeArgs() {
    resbuf* args = acedGetArgs();
    std::string text = describe(args);
    acutRelRb(args);
    return text;
}

int moduleA = 0, moduleB = 0;  // addresses stand for loaded modules

struct Call {
    void* module;
    int code;
    int funCode;
    std::string args;
};

class LispFuncs : public ::testing::Test {
protected:
    void SetUp() override {
        acedHostUndefAll();
        acedHostSetDispatcher([this](void* module, int code) {
            calls.push_back({module, code, acedGetFunCode(), describeArgs()});
            return reply ? reply(code) : static_cast<int>(RSRSLT);
        });
        ev.setPrintSink([](const std::string&) {});
    }
    void TearDown() override {
        acedHostUndefAll();
        acedHostSetDispatcher(nullptr);
        EXPECT_EQ(acedHostCurrentModule(), nullptr);
        EXPECT_EQ(acedGetFunCode(), RTERROR);
    }
    void defineIn(void* module, const char* name, int code) {
        AcedModuleScope scope(module);
        ASSERT_EQ(acedDefun(name, code), RTNORM);
    }
    LispResult run(const std::string& text) { return ev.evaluate(text); }

    LispEvaluator ev;
    std::vector<Call> calls;
    std::function<int(int)> reply;
};

std::vector<std::string>* g_log = nullptr;
int directHandler() {
    if (g_log) g_log->push_back("direct:" + describeArgs());
    acedRetStr("from handler");
    return RSRSLT;
}
}  // namespace

TEST_F(LispFuncs, CommandReceivesStringAndPoint) {
    defineIn(&moduleA, "c:_binsert", 7);
    reply = [](int) { return acedRetT(); };
    LispResult r = run(R"((c:_bInsert "DOOR" (list 1.00000000 2.00000000 0.00000000)))");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.value.kind(), LispValue::Kind::T);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].module, &moduleA);
    EXPECT_EQ(calls[0].code, 7);
    EXPECT_EQ(calls[0].funCode, 7);
    EXPECT_EQ(calls[0].args, "STR:DOOR 3DPOINT:1,2,0");

    // The program runs the same function as a command.
    AcedDefunInfo info;
    ASSERT_TRUE(acedHostFindDefun("C:_BINSERT", &info));
    EXPECT_EQ(info.name, "c:_binsert");
    EXPECT_EQ(info.module, &moduleA);
    r = ev.invoke("C:_bInsert", {LispValue::string("WINDOW")});
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(calls.back().args, "STR:WINDOW");
}

TEST_F(LispFuncs, ArgumentShapes) {
    defineIn(&moduleA, "probe", 1);
    ASSERT_TRUE(run("(probe)").ok);
    EXPECT_EQ(calls.back().args, "");
    ASSERT_TRUE(run("(probe 1 -32768 70000 2.5 nil t '(3 4))").ok);
    EXPECT_EQ(calls.back().args, "SHORT:1 SHORT:-32768 LONG:70000 REAL:2.5 NIL T POINT:3,4");
    ASSERT_TRUE(run("(probe '(1 2 3 4) '((0 . \"LINE\") (1 \"a\")) '(\"a\" (1 2)))").ok);
    EXPECT_EQ(calls.back().args,
              "LB SHORT:1 SHORT:2 SHORT:3 SHORT:4 LE "
              "LB LB SHORT:0 DOTE STR:LINE LE LB SHORT:1 STR:a LE LE "
              "LB STR:a POINT:1,2 LE");
    // A symbol cannot be handed to a module: the call does not happen.
    const size_t before = calls.size();
    LispResult r = run("(probe 'door)");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(calls.size(), before);
}

TEST_F(LispFuncs, ResultKinds) {
    defineIn(&moduleA, "answer", 2);
    auto answerWith = [this](std::function<void()> ret) {
        reply = [ret](int) {
            ret();
            return static_cast<int>(RSRSLT);
        };
        return run("(answer)");
    };
    EXPECT_EQ(answerWith([] { acedRetReal(2.5); }).value, LispValue::real(2.5));
    EXPECT_EQ(answerWith([] { acedRetInt(70000); }).value, LispValue::integer(70000));
    EXPECT_EQ(answerWith([] { acedRetStr("text"); }).value, LispValue::string("text"));
    EXPECT_TRUE(answerWith([] { acedRetNil(); }).value.isNil());
    EXPECT_TRUE(answerWith([] {}).value.isNil());
    LispResult v = answerWith([] { acedRetVoid(); });
    EXPECT_TRUE(v.ok && v.quiet && v.value.isNil());
    ads_point p = {1, 2, 3};
    EXPECT_EQ(answerWith([&p] { acedRetPoint(p); }).value.toString(), "(1.0 2.0 3.0)");

    auto retList = [&](resbuf* chain) {
        LispResult r = answerWith([chain] { EXPECT_EQ(acedRetList(chain), RTNORM); });
        acutRelRb(chain);
        EXPECT_TRUE(r.ok) << r.error;
        return r.value.toString();
    };
    EXPECT_EQ(retList(acutBuildList(RTSHORT, 1, RTSTR, "a", 0)), "(1 \"a\")");
    EXPECT_EQ(retList(acutBuildList(RTLB, RTSHORT, 1, RTSHORT, 2, RTLE, 0)), "(1 2)");
    EXPECT_EQ(retList(acutBuildList(RTLB, RTSHORT, 1, RTLE, RTLB, RTSHORT, 2, RTLE, 0)), "((1) (2))");
    EXPECT_EQ(retList(acutBuildList(RTLB, RTSHORT, 0, RTDOTE, RTSTR, "LINE", RTLE, 0)), "(0 . \"LINE\")");
    EXPECT_EQ(retList(acutBuildList(RTSHORT, 1, RTDOTE, RTLONG, 2, 0)), "(1 . 2)");
    EXPECT_EQ(retList(acutBuildList(RTLB, RTLE, 0)), "nil");
    EXPECT_EQ(retList(nullptr), "nil");

    // Malformed chains are refused and leave no result.
    reply = [](int) {
        resbuf* bad = acutBuildList(RTLB, RTSHORT, 1, 0);
        EXPECT_EQ(acedRetList(bad), RTERROR);
        acutRelRb(bad);
        bad = acutBuildList(RTSHORT, 1, RTDOTE, RTSHORT, 2, RTSHORT, 3, 0);
        EXPECT_EQ(acedRetList(bad), RTERROR);
        acutRelRb(bad);
        return static_cast<int>(RSRSLT);
    };
    EXPECT_TRUE(run("(answer)").value.isNil());
    // Outside a call there is nothing to answer to.
    EXPECT_EQ(acedRetReal(1.0), RTERROR);
    EXPECT_EQ(acedGetArgs(), nullptr);
}

TEST_F(LispFuncs, FailuresBecomeErrors) {
    defineIn(&moduleA, "c:fails", 3);
    reply = [](int) {
        acedRetT();
        acdbFail("block DOOR not found");
        return static_cast<int>(RSRSLT);
    };
    LispResult r = run("(setq x (c:fails)) (setq y 1)");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "block DOOR not found");
    EXPECT_TRUE(ev.variable("x").isNil());
    EXPECT_TRUE(ev.variable("y").isNil());

    reply = [](int) { return static_cast<int>(RTERROR); };
    r = run("(c:fails)");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "C:FAILS failed");

    reply = [](int) -> int { throw std::runtime_error("boom"); };
    r = run("(c:fails)");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("boom"), std::string::npos);

    reply = [](int) { return static_cast<int>(AcRx::kRetOK); };
    EXPECT_TRUE(run("(c:fails)").ok);
    acedHostSetDispatcher(nullptr);
    EXPECT_FALSE(run("(c:fails)").ok);
}

TEST_F(LispFuncs, DefinitionsBelongToModules) {
    defineIn(&moduleA, "c:_bInsertFile", 1);
    defineIn(&moduleA, "a_helper", 2);
    defineIn(&moduleB, "c:other", 1);
    EXPECT_TRUE(run("(C:_BINSERTFILE \"x\")").ok);
    EXPECT_EQ(calls.back().module, &moduleA);
    EXPECT_TRUE(run("(c:Other)").ok);
    EXPECT_EQ(calls.back().module, &moduleB);
    EXPECT_EQ(calls.back().code, 1);

    {
        AcedModuleScope scope(&moduleB);
        EXPECT_EQ(acedUndef("a_helper", 2), RTERROR);  // not B's
        EXPECT_EQ(acedUndef("c:other", 9), RTERROR);   // wrong code
    }
    {
        AcedModuleScope scope(&moduleA);
        EXPECT_EQ(acedUndef("A_HELPER", 2), RTNORM);
    }
    LispResult r = run("(a_helper)");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "no function definition: A_HELPER");

    acedHostUndefModule(&moduleA);
    EXPECT_FALSE(acedHostFindDefun("c:_binsertfile"));
    EXPECT_FALSE(run("(c:_bInsertFile)").ok);
    EXPECT_TRUE(acedHostFindDefun("c:other"));
    EXPECT_TRUE(run("(c:other)").ok);

    // A later definition of a name replaces the earlier one.
    defineIn(&moduleA, "C:OTHER", 5);
    EXPECT_TRUE(run("(c:other)").ok);
    EXPECT_EQ(calls.back().module, &moduleA);
    EXPECT_EQ(calls.back().code, 5);

    AcedModuleScope scope(&moduleA);
    EXPECT_EQ(acedDefun("", 1), RTERROR);
    EXPECT_EQ(acedDefun("has space", 1), RTERROR);
    EXPECT_EQ(acedDefun(nullptr, 1), RTERROR);
}

TEST_F(LispFuncs, RegisteredHandlersAndNestedCalls) {
    std::vector<std::string> log;
    g_log = &log;
    {
        AcedModuleScope scope(&moduleA);
        ASSERT_EQ(acedDefun("direct", 4), RTNORM);
        ASSERT_EQ(acedRegFunc(directHandler, 4), RTNORM);
        ASSERT_EQ(acedDefun("outer", 5), RTNORM);
    }
    LispResult r = run("(direct 1)");
    EXPECT_EQ(r.value, LispValue::string("from handler"));
    EXPECT_EQ(log, std::vector<std::string>{"direct:SHORT:1"});
    EXPECT_TRUE(calls.empty());  // the dispatcher was not used

    // The outer function evaluates LISP that calls another function; its own state survives.
    reply = [this](int code) {
        if (code != 5) return static_cast<int>(RSRSLT);
        EXPECT_EQ(acedHostCurrentModule(), &moduleA);
        LispResult inner = ev.evaluate("(direct \"in\")");
        EXPECT_TRUE(inner.ok) << inner.error;
        EXPECT_EQ(acedGetFunCode(), 5);
        EXPECT_EQ(describeArgs(), "REAL:2.5");
        return acedRetInt(42);
    };
    r = run("(outer 2.5)");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.value, LispValue::integer(42));
    EXPECT_EQ(log.back(), "direct:STR:in");

    {
        AcedModuleScope scope(&moduleA);
        ASSERT_EQ(acedRegFunc(nullptr, 4), RTNORM);
    }
    reply = nullptr;
    EXPECT_TRUE(run("(direct)").ok);
    EXPECT_EQ(calls.back().code, 4);
    g_log = nullptr;
}

TEST(LispResbuf, ChainsToValues) {
    std::vector<LispValue> values;
    resbuf* chain = acutBuildList(RTSHORT, 3, RTLB, RTREAL, 1.5, RTSTR, "s", RTLE, RTT, 0);
    ASSERT_TRUE(lispFromResbuf(chain, values));
    acutRelRb(chain);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0], LispValue::integer(3));
    EXPECT_EQ(values[1].toString(), "(1.5 \"s\")");
    EXPECT_EQ(values[2].kind(), LispValue::Kind::T);

    // Entity-data groups become (code . value) pairs, points (code x y z).
    const double pt[3] = {1, 2, 3};
    chain = acutBuildList(RTLB, RTDXF0, "LINE", 8, "0", 10, pt, 40, 2.5, 70, 1, RTLE, 0);
    ASSERT_TRUE(lispFromResbuf(chain, values));
    acutRelRb(chain);
    EXPECT_EQ(values.at(0).toString(), "((0 . \"LINE\") (8 . \"0\") (10 1.0 2.0 3.0) (40 . 2.5) (70 . 1))");

    std::string error;
    for (resbuf* bad : {acutBuildList(RTLE, 0), acutBuildList(RTLB, RTSHORT, 1, 0),
                        acutBuildList(RTSHORT, 1, RTDOTE, RTSHORT, 2, 0),
                        acutBuildList(RTLB, RTDOTE, RTSHORT, 2, RTLE, 0),
                        acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTLE, 0)}) {
        error.clear();
        EXPECT_FALSE(lispFromResbuf(bad, values, &error)) << describe(bad);
        EXPECT_FALSE(error.empty());
        acutRelRb(bad);
    }

    // Values to chains and back keep what the chain can tell.
    LispValue v = LispReader::read(R"((1 "a" (2 . 3) (4 5 6 7)))").forms.at(0);
    chain = lispToResbuf(v);
    ASSERT_TRUE(lispFromResbuf(chain, values));
    acutRelRb(chain);
    EXPECT_EQ(values.at(0), v);
}
