#include <cmath>
#include "ed/prompts.h"
#include "ed/sysvar.h"
#include "editor_fixture.h"

namespace {
using Prompts = EditorTest;

TEST_F(Prompts, PointForms) {
    AcGePoint3d p;
    ASSERT_TRUE(acedHostParsePoint(" 1.5,-2 ", p));
    EXPECT_EQ(p, AcGePoint3d(1.5, -2, 0));
    resbuf last;
    last.restype = RT3DPOINT;
    last.resval.rpoint[0] = 10;
    last.resval.rpoint[1] = 10;
    last.resval.rpoint[2] = 1;
    acedSetVar("LASTPOINT", &last);
    ASSERT_TRUE(acedHostParsePoint("@1,2", p));
    EXPECT_EQ(p, AcGePoint3d(11, 12, 1));
    ASSERT_TRUE(acedHostParsePoint("@", p));
    EXPECT_EQ(p, AcGePoint3d(10, 10, 1));
    ASSERT_TRUE(acedHostParsePoint("@5<90", p));
    EXPECT_NEAR(p.x, 10, 1e-12);
    EXPECT_NEAR(p.y, 15, 1e-12);
    ASSERT_TRUE(acedHostParsePoint("2<0", p));
    EXPECT_EQ(p, AcGePoint3d(2, 0, 0));
    std::string why;
    for (const char* bad : {"", "1", "1,2,3,4", "a,b", "1,,2", "3<x"}) EXPECT_FALSE(acedHostParsePoint(bad, p, &why)) << bad;
}

TEST_F(Prompts, PointAnswersBecomeLastPoint) {
    input.push("3,4\n");
    ads_point pt;
    EXPECT_EQ(acedGetPoint(nullptr, "\nPoint: ", pt), RTNORM);
    resbuf rb;
    ASSERT_EQ(acedGetVar("LASTPOINT", &rb), RTNORM);
    EXPECT_EQ(rb.resval.rpoint[0], 3);
    EXPECT_EQ(rb.resval.rpoint[1], 4);
}

TEST_F(Prompts, KeywordsByCapitalsOrBeginnings) {
    char kw[133];
    input.push("l\nUNL\nLx\n_Load\n");
    for (const char* expected : {"Load", "Unload", "", "Load"}) {
        acedInitGet(0, "Load Unload _ Load Unload");
        int rc = acedGetKword("\nOption: ", kw);
        if (*expected) {
            EXPECT_EQ(rc, RTNORM);
            EXPECT_STREQ(kw, expected);
        } else {
            EXPECT_EQ(rc, RTERROR) << "not the beginning of a keyword";
        }
    }
    input.push("\n");
    acedInitGet(RSG_NONULL, "Yes No");
    EXPECT_EQ(acedGetKword("\nYes or no: ", kw), RTERROR) << "an empty answer is refused";
}

TEST_F(Prompts, KeywordAtAPointPrompt) {
    input.push("Last\n");
    acedInitGet(0, "ALL Last");
    ads_point pt;
    EXPECT_EQ(acedGetPoint(nullptr, "\nPoint: ", pt), RTKWORD);
    char kw[133];
    acedGetInput(kw);
    EXPECT_STREQ(kw, "Last");
    input.push("\n");
    EXPECT_EQ(acedGetPoint(nullptr, "\nPoint: ", pt), RTNONE) << "the options applied to one prompt only";
}

TEST_F(Prompts, NumbersAndTheirLimits) {
    int i = 0;
    double r = 0;
    input.push("40000\n-3\n0\n2.5\n1e400\n");
    EXPECT_EQ(acedGetInt("\nInt: ", &i), RTERROR);
    line().reset();
    acedInitGet(RSG_NONEG, nullptr);
    EXPECT_EQ(acedGetInt("\nInt: ", &i), RTERROR);
    acedInitGet(RSG_NOZERO, nullptr);
    EXPECT_EQ(acedGetInt("\nInt: ", &i), RTERROR);
    EXPECT_EQ(acedGetReal("\nReal: ", &r), RTNORM);
    EXPECT_EQ(r, 2.5);
    EXPECT_EQ(acedGetReal("\nReal: ", &r), RTERROR);
    EXPECT_EQ(r, 2.5) << "a refused answer changes nothing";
}

TEST_F(Prompts, StringsFitTheirBuffer) {
    char small[4];
    input.push("abc\nabcd\n");
    EXPECT_EQ(acedGetString(0, "\nText: ", small, sizeof small), RTNORM);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(acedGetString(0, "\nText: ", small, sizeof small), RTERROR);
    EXPECT_STREQ(small, "abc");
}

TEST_F(Prompts, AlertsArePrinted) {
    acedAlert("\nCould not load drawing selected.");
    EXPECT_TRUE(printed("** Could not load drawing selected. **"));
    EXPECT_EQ(acedHostLastAlert(), "\nCould not load drawing selected.");
}
}  // namespace
