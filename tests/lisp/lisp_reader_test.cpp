#include <gtest/gtest.h>
#include <string>
#include "ed/lisp.h"

namespace {
using K = LispValue::Kind;

LispValue readOne(const std::string& text) {
    LispReadResult r = LispReader::read(text);
    EXPECT_TRUE(r.ok) << text << ": " << r.error;
    EXPECT_EQ(r.forms.size(), 1u) << text;
    return r.forms.empty() ? LispValue() : r.forms.front();
}

LispReadResult readBad(const std::string& text) {
    LispReadResult r = LispReader::read(text);
    EXPECT_FALSE(r.ok) << text;
    EXPECT_TRUE(r.forms.empty()) << text;
    return r;
}
}  // namespace

TEST(LispReader, Numbers) {
    EXPECT_EQ(readOne("42"), LispValue::integer(42));
    EXPECT_EQ(readOne("-7"), LispValue::integer(-7));
    EXPECT_EQ(readOne("+3"), LispValue::integer(3));
    EXPECT_EQ(readOne("2147483647"), LispValue::integer(2147483647));
    EXPECT_EQ(readOne("-2147483648"), LispValue::integer(-2147483647 - 1));
    // Beyond 32 bits integers become reals.
    EXPECT_EQ(readOne("2147483648"), LispValue::real(2147483648.0));
    EXPECT_EQ(readOne("1.5"), LispValue::real(1.5));
    EXPECT_EQ(readOne("1."), LispValue::real(1.0));
    EXPECT_EQ(readOne(".5"), LispValue::real(0.5));
    EXPECT_EQ(readOne("-.25"), LispValue::real(-0.25));
    EXPECT_EQ(readOne("-2.5e3"), LispValue::real(-2500.0));
    EXPECT_EQ(readOne("1E-2"), LispValue::real(0.01));
    EXPECT_EQ(readOne("1.00000000"), LispValue::real(1.0));
    // Number-like tokens that are not numbers are symbols.
    EXPECT_EQ(readOne("1+").kind(), K::Sym);
    EXPECT_EQ(readOne("-").kind(), K::Sym);
    EXPECT_EQ(readOne("1e").kind(), K::Sym);
    EXPECT_EQ(readOne("1.2.3").kind(), K::Sym);
}

TEST(LispReader, StringsAndEscapes) {
    EXPECT_EQ(readOne(R"("plain")"), LispValue::string("plain"));
    EXPECT_EQ(readOne(R"("a\"b\\c")"), LispValue::string("a\"b\\c"));
    EXPECT_EQ(readOne(R"("\n\t\r\e")"), LispValue::string("\n\t\r\x1b"));
    EXPECT_EQ(readOne(R"("\101\102C")"), LispValue::string("ABC"));
    EXPECT_EQ(readOne(R"("\1015")"), LispValue::string("A5"));  // at most three octal digits
    EXPECT_EQ(readOne(R"("\q")"), LispValue::string("q"));
    EXPECT_EQ(readOne("\"two\nlines\""), LispValue::string("two\nlines"));
    EXPECT_EQ(readOne(R"("; not a comment")"), LispValue::string("; not a comment"));
    EXPECT_EQ(readOne(R"("")"), LispValue::string(""));
}

TEST(LispReader, SymbolsAndConstants) {
    LispValue s = readOne("FooBar");
    EXPECT_EQ(s.kind(), K::Sym);
    EXPECT_EQ(s.text(), "foobar");
    EXPECT_EQ(s, readOne("foobar"));
    EXPECT_EQ(s.toString(), "FOOBAR");
    EXPECT_TRUE(readOne("nil").isNil());
    EXPECT_TRUE(readOne("NIL").isNil());
    EXPECT_EQ(readOne("t").kind(), K::T);
    EXPECT_EQ(readOne("T").kind(), K::T);
    EXPECT_TRUE(readOne("()").isNil());
    EXPECT_EQ(readOne("c:_bInsertFile").text(), "c:_binsertfile");
}

TEST(LispReader, ListsQuotesAndComments) {
    LispValue q = readOne("'x");
    EXPECT_EQ(q, readOne("(quote x)"));
    EXPECT_EQ(q.toString(), "(QUOTE X)");
    EXPECT_EQ(readOne("'(1 2)").items()[1], LispValue::list({LispValue::integer(1), LispValue::integer(2)}));

    LispValue call = readOne(R"((c:_bInsert "DOOR" (list 1.00000000 2.00000000 0.00000000)))");
    ASSERT_TRUE(call.isList());
    ASSERT_EQ(call.items().size(), 3u);
    EXPECT_EQ(call.items()[1], LispValue::string("DOOR"));
    EXPECT_EQ(call.items()[2].items().size(), 4u);
    EXPECT_EQ(call.toString(), R"((C:_BINSERT "DOOR" (LIST 1.0 2.0 0.0)))");

    LispValue pair = readOne("(0 . \"LINE\")");
    EXPECT_TRUE(pair.dotted());
    EXPECT_EQ(pair.toString(), "(0 . \"LINE\")");
    EXPECT_EQ(readOne("(1 . (2 3))"), readOne("(1 2 3)"));
    EXPECT_EQ(readOne("(1 . nil)"), readOne("(1)"));

    LispReadResult r = LispReader::read("; leading comment\n(a ; inner\n b) ;| block\n (c) |; 7");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.forms.size(), 2u);
    EXPECT_EQ(r.forms[0].toString(), "(A B)");
    EXPECT_EQ(r.forms[1], LispValue::integer(7));
    EXPECT_TRUE(LispReader::read("  ; only a comment").forms.empty());
}

TEST(LispReader, MalformedInput) {
    LispReadResult r = readBad("(setq a 1)\n  (list (b)");
    EXPECT_NE(r.error.find("malformed list"), std::string::npos) << r.error;
    EXPECT_EQ(r.line, 2);
    EXPECT_EQ(r.column, 3);

    r = readBad("(a))");
    EXPECT_NE(r.error.find("extra right paren"), std::string::npos) << r.error;
    EXPECT_EQ(r.column, 4);

    r = readBad("(princ \"abc)");
    EXPECT_NE(r.error.find("malformed string"), std::string::npos) << r.error;
    EXPECT_EQ(r.column, 8);
    readBad("\"ends in backslash\\");
    EXPECT_NE(readBad(R"("a\000b")").error.find("null character"), std::string::npos);
    readBad("'");
    readBad("(a ')");
    readBad("(. a)");
    readBad("(a . b c)");
    readBad("(a . )");
    readBad(".");
    readBad(";| never closed");
    EXPECT_NE(readBad("1e999").error.find("out of range"), std::string::npos);
    EXPECT_NE(readBad(std::string(1000, '(')).error.find("nested too deeply"), std::string::npos);
}

TEST(LispReader, PrintedForms) {
    EXPECT_EQ(lispFormatReal(2.0), "2.0");
    EXPECT_EQ(lispFormatReal(1.0 / 3.0), "0.333333");
    EXPECT_EQ(lispFormatReal(-0.5), "-0.5");
    EXPECT_EQ(lispFormatReal(1e20), "1.0e+20");
    EXPECT_EQ(lispFormatReal(1.5e20), "1.5e+20");
    LispValue s = LispValue::string("q\"\\\n\x01");
    EXPECT_EQ(s.toString(), R"("q\"\\\n\001")");
    EXPECT_EQ(s.toString(true), "q\"\\\n\x01");
    // What is printed reads back as the same value.
    LispValue v = readOne(R"((1 2.5 "a\tb" (x . 3) nil T))");
    EXPECT_EQ(readOne(v.toString()), v);
}
