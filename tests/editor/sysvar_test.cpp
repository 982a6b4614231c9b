#include <cstdlib>
#include <cstring>
#include "ed/sysvar.h"
#include "editor_fixture.h"

namespace {
resbuf shortValue(int v) {
    resbuf rb;
    rb.restype = RTSHORT;
    rb.resval.rint = static_cast<short>(v);
    return rb;
}

int getShort(const char* name) {
    resbuf rb;
    EXPECT_EQ(acedGetVar(name, &rb), RTNORM) << name;
    EXPECT_EQ(rb.restype, RTSHORT) << name;
    return rb.resval.rint;
}

std::string getText(const char* name) {
    resbuf rb;
    if (acedGetVar(name, &rb) != RTNORM || rb.restype != RTSTR) return "?";
    std::string s = rb.resval.rstring;
    std::free(rb.resval.rstring);
    return s;
}

using SysVars = EditorTest;

TEST_F(SysVars, DrawingVariablesLiveInTheCurrentDrawingsHeader) {
    resbuf zero = shortValue(0);
    EXPECT_EQ(getShort("ATTREQ"), 1);
    EXPECT_EQ(acedSetVar("attreq", &zero), RTNORM);
    EXPECT_EQ(doc->database()->headerInt("ATTREQ"), 0);
    EXPECT_TRUE(doc->isModified());

    AcApDocument* other = acDocManager->newDocument();
    EXPECT_EQ(getShort("ATTREQ"), 1) << "each drawing has its own";
    acDocManager->activateDocument(doc);
    EXPECT_EQ(getShort("ATTREQ"), 0);
    (void)other;
}

TEST_F(SysVars, KindsOfValues) {
    resbuf rb;
    ASSERT_EQ(acedGetVar("INSBASE", &rb), RTNORM);
    EXPECT_EQ(rb.restype, RT3DPOINT);
    ASSERT_EQ(acedGetVar("SCREENSIZE", &rb), RTNORM);
    EXPECT_EQ(rb.restype, RTPOINT);
    EXPECT_GT(rb.resval.rpoint[1], 0);
    ASSERT_EQ(acedGetVar("TEXTSIZE", &rb), RTNORM);
    EXPECT_EQ(rb.restype, RTREAL);
    EXPECT_EQ(getText("CLAYER"), "0");
    EXPECT_EQ(getText("DWGNAME"), doc->docTitle());

    resbuf p;
    p.restype = RTPOINT;
    p.resval.rpoint[0] = 5;
    p.resval.rpoint[1] = 6;
    p.resval.rpoint[2] = 99;
    EXPECT_EQ(acedSetVar("INSBASE", &p), RTNORM);
    EXPECT_EQ(doc->database()->insbase(), AcGePoint3d(5, 6, 0)) << "a 2-D point sets z to 0";
    resbuf whole;
    whole.restype = RTREAL;
    whole.resval.rreal = 1.0;
    EXPECT_EQ(acedSetVar("TILEMODE", &whole), RTNORM);
    whole.resval.rreal = 0.5;
    EXPECT_EQ(acedSetVar("TILEMODE", &whole), RTERROR);
}

TEST_F(SysVars, RefusedSettingsChangeNothing) {
    resbuf two = shortValue(2), text;
    text.restype = RTSTR;
    text.resval.rstring = const_cast<char*>("LINE");
    EXPECT_EQ(acedGetVar("NOSUCHVAR", &text), RTERROR);
    EXPECT_EQ(acedSetVar("NOSUCHVAR", &two), RTERROR);
    EXPECT_EQ(acedSetVar("ATTREQ", &two), RTERROR) << "out of range";
    EXPECT_EQ(acedSetVar("ATTREQ", &text), RTERROR) << "wrong kind";
    EXPECT_EQ(acedSetVar("CMDNAMES", &text), RTERROR) << "read-only";
    text.resval.rstring = const_cast<char*>("NoSuchLayer");
    EXPECT_EQ(acedSetVar("CLAYER", &text), RTERROR);
    EXPECT_EQ(getShort("ATTREQ"), 1);
    EXPECT_EQ(getText("CLAYER"), "0");
    EXPECT_FALSE(doc->isModified());
}

TEST_F(SysVars, ChangesAreAnnounced) {
    RecordingReactor reactor;
    resbuf zero = shortValue(0), two = shortValue(2);
    acedSetVar("ATTDIA", &two);
    acedSetVar("ATTDIA", &zero);
    EXPECT_EQ(reactor.events, (std::vector<std::string>{"var:ATTDIA"}));
}

TEST_F(SysVars, TextFormAsSetvarShowsIt) {
    std::string text, message;
    EXPECT_TRUE(acedHostSetVariableText("INSBASE", "1,2,3", &message)) << message;
    ASSERT_TRUE(acedHostVariableText("INSBASE", text));
    EXPECT_EQ(text, "1.0000,2.0000,3.0000");
    EXPECT_FALSE(acedHostSetVariableText("LUPREC", "12", &message));
    EXPECT_EQ(message, "Value out of range.");
    EXPECT_FALSE(acedHostSetVariableText("LUPREC", "two", &message));
    EXPECT_EQ(message, "Requires an integer value.");
}

TEST_F(SysVars, LispGetvarAndSetvar) {
    EXPECT_EQ(script("(setvar \"LUPREC\" 2)\n(getvar \"luprec\")\n"), 0);
    EXPECT_EQ(getShort("LUPREC"), 2);
    EXPECT_TRUE(printed("\n2\n"));
    EXPECT_EQ(script("(setvar \"CMDNAMES\" \"X\")\n"), 1);
    EXPECT_TRUE(printed("; error: variable setting rejected: \"CMDNAMES\" \"X\""));
    EXPECT_EQ(script("(getvar \"NOSUCH\")\n"), 0);
    EXPECT_TRUE(printed("\nnil"));
}

TEST_F(SysVars, ViewFollowsTheDrawingUntilSet) {
    resbuf rb;
    ASSERT_EQ(acedGetVar("VIEWCTR", &rb), RTNORM);
    EXPECT_EQ(rb.restype, RT3DPOINT);
    EXPECT_DOUBLE_EQ(rb.resval.rpoint[0], 210.0) << "the middle of the default limits";
    rb.resval.rpoint[0] = 1;
    EXPECT_EQ(acedSetVar("VIEWCTR", &rb), RTERROR);
    EXPECT_EQ(acedHostSetVar("VIEWCTR", &rb), RTNORM);
    ASSERT_EQ(acedGetVar("VIEWCTR", &rb), RTNORM);
    EXPECT_DOUBLE_EQ(rb.resval.rpoint[0], 1.0);
}
}  // namespace
