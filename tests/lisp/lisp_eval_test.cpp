#include <gtest/gtest.h>
#include <string>
#include "ed/lisp.h"

namespace {
class LispEval : public ::testing::Test {
protected:
    void SetUp() override {
        ev.setPrintSink([this](const std::string& s) { printed += s; });
    }
    LispValue ok(const std::string& text) {
        LispResult r = ev.evaluate(text);
        EXPECT_TRUE(r.ok) << text << ": " << r.error;
        return r.value;
    }
    std::string error(const std::string& text) {
        LispResult r = ev.evaluate(text);
        EXPECT_FALSE(r.ok) << text << " gave " << r.value.toString();
        return r.error;
    }
    LispEvaluator ev;
    std::string printed;
};
}  // namespace

TEST_F(LispEval, ArithmeticAndNesting) {
    EXPECT_EQ(ok("(+ 1 (* 2 3) (- 10 4))"), LispValue::integer(13));
    EXPECT_EQ(ok("(- 5)"), LispValue::integer(-5));
    EXPECT_EQ(ok("(+)"), LispValue::integer(0));
    EXPECT_EQ(ok("(*)"), LispValue::integer(1));
    EXPECT_EQ(ok("(/ 7 2)"), LispValue::integer(3));
    EXPECT_EQ(ok("(/ -7 2)"), LispValue::integer(-3));
    EXPECT_EQ(ok("(/ 7 2.0)"), LispValue::real(3.5));
    EXPECT_EQ(ok("(/ 7 2 1.0)"), LispValue::real(3.0));  // integer division first
    EXPECT_EQ(ok("(+ 1 0.5)"), LispValue::real(1.5));
    EXPECT_EQ(ok("(* 2 (+ 1.5 (/ 9 3)))"), LispValue::real(9.0));
    // 32-bit integers wrap around.
    EXPECT_EQ(ok("(+ 2147483647 1)"), LispValue::integer(-2147483647 - 1));
    EXPECT_EQ(ok("(* 65536 65536)"), LispValue::integer(0));
    EXPECT_EQ(ok("(/ -2147483648 -1)"), LispValue::integer(-2147483647 - 1));
    EXPECT_EQ(ok("(- -2147483648)"), LispValue::integer(-2147483647 - 1));

    EXPECT_EQ(error("(/ 1 0)"), "divide by zero");
    EXPECT_EQ(error("(/ 1.0 0)"), "divide by zero");
    EXPECT_EQ(error("(+ 1 \"2\")"), "bad argument type: numberp: \"2\"");
}

TEST_F(LispEval, VariablesAndSpecialForms) {
    EXPECT_EQ(ok("(setq a 2 b (+ a 3))"), LispValue::integer(5));
    EXPECT_EQ(ev.variable("A"), LispValue::integer(2));
    EXPECT_EQ(ok("B"), LispValue::integer(5));
    EXPECT_TRUE(ok("unbound").isNil());
    EXPECT_EQ(ok("(if a \"yes\" \"no\")"), LispValue::string("yes"));
    EXPECT_EQ(ok("(if nil \"yes\" \"no\")"), LispValue::string("no"));
    EXPECT_TRUE(ok("(if nil 1)").isNil());
    EXPECT_EQ(ok("(progn (setq c 1) (setq c (+ c 1)) c)"), LispValue::integer(2));
    EXPECT_TRUE(ok("(progn)").isNil());
    EXPECT_EQ(ok("'(a 1)").toString(), "(A 1)");
    EXPECT_EQ(ok("(quote (list 1))").toString(), "(LIST 1)");
    EXPECT_EQ(ok("(list 1 \"x\" (list 2.5) nil)").toString(), "(1 \"x\" (2.5) nil)");
    EXPECT_TRUE(ok("(list)").isNil());
    EXPECT_EQ(ok("(strcat \"DO\" \"OR\" \"\")"), LispValue::string("DOOR"));
    EXPECT_EQ(ok("(setq a nil)"), LispValue());
    EXPECT_TRUE(ev.variable("a").isNil());

    EXPECT_EQ(error("(setq a)"), "too few arguments");
    EXPECT_EQ(error("(setq 1 2)"), "bad argument type: symbolp 1");
    EXPECT_NE(error("(setq t 2)").find("constant"), std::string::npos);
    EXPECT_EQ(error("(if t)"), "too few arguments");
    EXPECT_EQ(error("(quote 1 2)"), "too many arguments");
    EXPECT_EQ(error("(strcat \"a\" 1)"), "bad argument type: stringp 1");
    EXPECT_EQ(error("(nosuch 1)"), "no function definition: NOSUCH");
    EXPECT_EQ(error("(1 2)"), "bad function: 1");
}

TEST_F(LispEval, PrintingThroughTheSink) {
    LispResult r = ev.evaluate("(princ \"a\\tb\") (prompt \"\\nready\") (princ 1.5) (princ '(\"s\" 2))");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(printed, "a\tb\nready1.5(s 2)");
    EXPECT_FALSE(r.quiet);
    r = ev.evaluate("(princ)");
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.quiet);
    EXPECT_TRUE(ev.evaluate("(progn (princ \"x\") (princ))").quiet);
    EXPECT_FALSE(ev.evaluate("(setq q (princ))").quiet);
    EXPECT_EQ(error("(prompt 1)"), "bad argument type: stringp 1");
    EXPECT_EQ(error("(princ 1 2)"), "bad argument type: filep 2");
}

TEST_F(LispEval, MalformedTextChangesNothing) {
    std::string e = error("(setq a 1) (princ \"x\") (setq b (list 2)");
    EXPECT_NE(e.find("malformed list"), std::string::npos) << e;
    EXPECT_TRUE(ev.variable("a").isNil());
    EXPECT_EQ(printed, "");
    error("(setq a \"unterminated)");
    EXPECT_TRUE(ev.variable("a").isNil());
    // An evaluation error stops at the failing form; what ran before stays done.
    error("(setq a 1) (/ a 0) (setq b 2)");
    EXPECT_EQ(ev.variable("a"), LispValue::integer(1));
    EXPECT_TRUE(ev.variable("b").isNil());
}

TEST_F(LispEval, ProgramBuiltinsAndInvoke) {
    int calls = 0;
    ev.defineBuiltin("Twice", [&calls](LispEvaluator&, const std::vector<LispValue>& args) {
        ++calls;
        if (args.size() != 1 || !args[0].isNumber()) return LispResult::failure("bad twice");
        return LispResult::success(LispValue::real(args[0].number() * 2));
    });
    EXPECT_TRUE(ev.isFunction("TWICE"));
    EXPECT_EQ(ok("(twice (+ 1 2))"), LispValue::real(6.0));
    LispResult r = ev.invoke("twice", {LispValue::integer(4)});
    EXPECT_EQ(r.value, LispValue::real(8.0));
    // invoke does not evaluate its arguments.
    r = ev.invoke("list", {LispValue::symbol("a")});
    EXPECT_EQ(r.value.toString(), "(A)");
    EXPECT_FALSE(ev.invoke("nosuch", {}).ok);
    EXPECT_EQ(calls, 2);
    ev.defineBuiltin("twice", nullptr);
    EXPECT_FALSE(ev.isFunction("twice"));
}

TEST_F(LispEval, NestingLimits) {
    const int depth = LispReader::kMaxDepth - 1;
    std::string text;
    for (int i = 0; i < depth; ++i) text += "(list ";
    text += "1";
    text += std::string(depth, ')');
    LispValue v = ok(text);
    for (int i = 0; i < depth; ++i) {
        ASSERT_TRUE(v.isList());
        LispValue inner = v.items().front();
        v = inner;
    }
    EXPECT_EQ(v, LispValue::integer(1));

    // Forms built by the program are bounded too.
    LispValue form = LispValue::integer(1);
    for (int i = 0; i < LispEvaluator::kMaxDepth + 10; ++i)
        form = LispValue::list({LispValue::symbol("progn"), form});
    LispResult r = ev.eval(form);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "expression nested too deeply");
}
