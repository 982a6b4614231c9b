#include <gtest/gtest.h>
#include <string>
#include "ed/lisp.h"

namespace {
LispValue nested(int depth, LispValue inner) {
    for (int i = 0; i < depth; ++i) inner = LispValue::list({inner});
    return inner;
}

// A list whose two items are the same list, depth times over: 2^depth leaves in few cells.
LispValue doubled(int depth, LispValue leaf) {
    for (int i = 0; i < depth; ++i) leaf = LispValue::list({leaf, leaf});
    return leaf;
}

LispValue evaluated(LispEvaluator& ev, const std::string& text) {
    LispResult r = ev.evaluate(text);
    EXPECT_TRUE(r.ok) << text << ": " << r.error;
    return r.value;
}
}  // namespace

TEST(LispValue, ListsShareTheirCells) {
    LispEvaluator ev;
    // Each step refers to the whole value built so far.
    const LispValue step = LispReader::read("(setq a (list a))").forms.at(0);
    for (int i = 0; i < 20000; ++i) ASSERT_TRUE(ev.eval(step).ok);
    LispValue a = ev.variable("a");
    int depth = 0;
    for (const LispValue* p = &a; p->isList(); p = &p->first()) {
        ASSERT_EQ(p->length(), 1u);
        ++depth;
    }
    EXPECT_EQ(depth, 20000);

    LispValue tail = evaluated(ev, "(setq l '(2 3))");
    LispValue l = evaluated(ev, "(setq m (cons 1 l))");
    EXPECT_EQ(l.toString(), "(1 2 3)");
    EXPECT_EQ(&l.rest().first(), &tail.first()) << "cons copies its tail";
    EXPECT_EQ(evaluated(ev, "(cons 1 nil)").toString(), "(1)");
    EXPECT_EQ(evaluated(ev, "(cons 1 2)").toString(), "(1 . 2)");
    LispValue dotted = evaluated(ev, "(cons '(1) '(2 . 3))");
    EXPECT_EQ(dotted.toString(), "((1) 2 . 3)");
    EXPECT_TRUE(dotted.dotted());
    EXPECT_EQ(dotted.length(), 3u);
    EXPECT_EQ(dotted, LispReader::read("((1) 2 . 3)").forms.at(0));
    EXPECT_EQ(ev.evaluate("(cons 1)").error, "too few arguments");
    EXPECT_EQ(ev.evaluate("(cons 1 2 3)").error, "too many arguments");

    const LispValue consStep = LispReader::read("(setq c (cons 1 c))").forms.at(0);
    for (int i = 0; i < 20000; ++i) ASSERT_TRUE(ev.eval(consStep).ok);
    EXPECT_EQ(ev.variable("c").length(), 20000u);
}

TEST(LispValue, DeepListsWithoutRecursion) {
    const int depth = 100000;
    LispValue a = nested(depth, LispValue::integer(1));
    LispValue b = nested(depth, LispValue::integer(1));
    EXPECT_EQ(a.toString(), std::string(depth, '(') + "1" + std::string(depth, ')'));
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a == nested(depth, LispValue::integer(2)));

    // A long list through its tail, dotted at the end.
    LispValue chain = LispValue::integer(0);
    for (int i = 0; i < depth; ++i) chain = LispValue::cons(LispValue::integer(i), chain);
    EXPECT_TRUE(chain.dotted());
    EXPECT_EQ(chain.items().size(), static_cast<size_t>(depth) + 1);

    // To a chain of result buffers and back.
    std::string error;
    resbuf* rb = lispToResbuf(a, &error);
    ASSERT_NE(rb, nullptr) << error;
    std::vector<LispValue> back;
    ASSERT_TRUE(lispFromResbuf(rb, back, &error)) << error;
    acutRelRb(rb);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_TRUE(back[0] == a);
    // Values go out of scope here, each as deep as the stack would not hold.
}

TEST(LispValue, SharedPartsCostNoMoreThanTheirCells) {
    LispValue a = doubled(64, LispValue::string("leaf"));
    LispValue b = doubled(64, LispValue::string("leaf"));
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a == doubled(64, LispValue::string("other")));

    const std::string shown = a.toString();
    EXPECT_EQ(shown.size(), LispValue::kMaxText + 3);
    EXPECT_EQ(shown.substr(0, 8), "((((((((");
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");

    std::string error;
    EXPECT_EQ(lispToResbuf(a, &error), nullptr);
    EXPECT_NE(error.find("too large to pass"), std::string::npos) << error;
    resbuf* rb = lispToResbuf(doubled(4, LispValue::string("s")), &error);
    std::vector<LispValue> back;
    ASSERT_TRUE(lispFromResbuf(rb, back, &error)) << error;
    acutRelRb(rb);
    EXPECT_EQ(back.at(0), doubled(4, LispValue::string("s")));

    // The same through the evaluator: the echoed value and a module call stay bounded.
    LispEvaluator ev;
    ASSERT_TRUE(ev.evaluate("(setq d \"leaf\")").ok);
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(ev.evaluate("(setq d (list d d))").ok);
    EXPECT_EQ(ev.evaluate("d").value.toString(true).size(), LispValue::kMaxText + 3);
}

TEST(LispValue, TextsAreBounded) {
    LispEvaluator ev;
    ASSERT_TRUE(ev.evaluate("(setq s \"0123456789abcdef\")").ok);
    std::string error;
    int doublings = 0;
    for (int i = 0; i < 40 && error.empty(); ++i) {
        LispResult r = ev.evaluate("(setq s (strcat s s))");
        if (r.ok) ++doublings;
        else error = r.error;
    }
    EXPECT_EQ(doublings, 16);  // 16 << 16 is the bound itself
    EXPECT_EQ(error, "string too long: more than 1048576 characters");
    EXPECT_EQ(ev.variable("s").text().size(), LispValue::kMaxText);
    EXPECT_TRUE(ev.evaluate("(strcat s \"\")").ok);
    EXPECT_FALSE(ev.evaluate("(strcat s \"x\")").ok);
    EXPECT_EQ(ev.evaluate("(strcat s 1)").error.substr(0, 26), "bad argument type: stringp");

    // Printed forms are cut at the bound.
    const std::string twice = ev.evaluate("(list s s)").value.toString(true);
    EXPECT_EQ(twice.size(), LispValue::kMaxText + 3);

    // String literals as read.
    const std::string most(LispValue::kMaxText, 'x');
    LispReadResult r = LispReader::read("\"" + most + "\"");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.forms.at(0).text().size(), LispValue::kMaxText);
    r = LispReader::read("(princ \"" + most + "\\n\")");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "string too long: more than 1048576 characters at line 1, column " +
                           std::to_string(LispValue::kMaxText + 9));
}
