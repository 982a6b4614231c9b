#include "db/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

AcDbUnitSettings g_settings;
AcDbUnitSettings testSettings() { return g_settings; }

// Installs g_settings as the drawing's settings for one test.
class Units : public ::testing::Test {
protected:
    void SetUp() override {
        g_settings = AcDbUnitSettings{};
        acdbSetUnitSettingsProvider(&testSettings);
    }
    void TearDown() override { acdbSetUnitSettingsProvider(nullptr); }
};
using RToS = Units;
using AngToS = Units;
using DisToF = Units;
using AngToF = Units;
using RoundTrip = Units;

std::string rtos(double v, int unit, int prec) {
    char buf[133];
    EXPECT_EQ(acdbRToS(v, unit, prec, buf), RTNORM) << v << " unit " << unit << " prec " << prec;
    return buf;
}

std::string angtos(double a, int unit, int prec) {
    char buf[133];
    EXPECT_EQ(acdbAngToS(a, unit, prec, buf), RTNORM) << a << " unit " << unit << " prec " << prec;
    return buf;
}

struct Formatted { double value; int unit, prec, dimzin; const char* text; };

TEST_F(RToS, FormatsRoundsAndSuppressesZeros) {
    const Formatted cases[] = {
        // each unit, as documented for 17.5
        {17.5, 1, 4, 0, "1.7500E+01"}, {17.5, 2, 2, 0, "17.50"}, {17.5, 3, 2, 0, "1'-5.50\""},
        {17.5, 4, 2, 0, "1'-5 1/2\""}, {17.5, 5, 2, 0, "17 1/2"},
        // half away from zero, on the value as written
        {2.5, 2, 0, 0, "3"}, {-2.5, 2, 0, 0, "-3"}, {1.23456, 2, 4, 0, "1.2346"},
        {1.005, 2, 2, 0, "1.01"}, {0.125, 2, 2, 0, "0.13"}, {9.99995, 2, 4, 0, "10.0000"},
        {9.99995, 1, 4, 0, "1.0000E+01"}, {11.99999, 3, 2, 1, "1'-0.00\""}, {143.99, 4, 2, 0, "12'"},
        {0.375, 5, 2, 0, "1/2"},
        // negatives, and no negative zero
        {-1.5, 2, 4, 0, "-1.5000"}, {-0.00001, 2, 4, 0, "0.0000"}, {-0.0, 2, 2, 0, "0.00"},
        {-0.000123, 1, 2, 0, "-1.23E-04"}, {-17.5, 4, 2, 0, "-1'-5 1/2\""}, {-0.25, 5, 3, 0, "-1/4"},
        {-0.001, 3, 2, 0, "0.00\""}, {0, 1, 4, 0, "0.0000E+00"}, {1.5e123, 1, 2, 0, "1.50E+123"},
        // feet and inches under DIMZIN 0-3
        {24, 4, 2, 0, "2'"}, {5.5, 4, 2, 0, "5 1/2\""}, {0, 4, 2, 0, "0\""},
        {24, 4, 2, 1, "2'-0\""}, {5.5, 4, 2, 1, "0'-5 1/2\""}, {0.5, 4, 2, 1, "0'-0 1/2\""},
        {24, 4, 2, 2, "2'"}, {5.5, 4, 2, 2, "0'-5 1/2\""}, {0, 4, 2, 2, "0'"},
        {24, 4, 2, 3, "2'-0\""}, {5.5, 4, 2, 3, "5 1/2\""}, {12.5, 4, 2, 3, "1'-0 1/2\""},
        {24, 3, 2, 0, "2'"}, {5.5, 3, 2, 0, "5.50\""}, {5.5, 3, 2, 2, "0'-5.50\""},
        {17.5, 3, 2, 8, "1'-5.5\""}, {24, 3, 2, 9, "2'-0\""},
        // leading and trailing zeros
        {12.5, 2, 4, 8, "12.5"}, {12.0, 2, 4, 8, "12"}, {17.5, 1, 4, 8, "1.75E+01"},
        {0.5, 2, 4, 4, ".5000"}, {-0.5, 2, 4, 4, "-.5000"}, {10.5, 2, 1, 4, "10.5"},
        {0.5, 2, 4, 12, ".5"}, {0.0, 2, 4, 12, "0"}, {100.0, 2, 2, 12, "100"},
    };
    for (const Formatted& c : cases) {
        g_settings.dimzin = c.dimzin;
        EXPECT_EQ(rtos(c.value, c.unit, c.prec), c.text)
            << c.value << " unit " << c.unit << " prec " << c.prec << " dimzin " << c.dimzin;
    }
}

TEST_F(RToS, CurrentSettings) {
    EXPECT_EQ(rtos(1.0 / 3.0, -1, -1), "0.3333");
    g_settings.lunits = 4;
    g_settings.luprec = 3;
    EXPECT_EQ(rtos(12.2, -1, -1), "1'-0 1/4\"");
    EXPECT_EQ(rtos(12.2, 2, -1), "12.200");
    acdbSetUnitSettingsProvider(nullptr);
    EXPECT_EQ(rtos(1.0, -1, -1), "1.0000") << "defaults without a provider";
}

TEST_F(RToS, RejectsBadArguments) {
    char buf[133] = "junk";
    EXPECT_EQ(acdbRToS(1.0, 0, 2, buf), RTERROR);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(acdbRToS(1.0, 6, 2, buf), RTERROR);
    EXPECT_EQ(acdbRToS(1.0, 2, 9, buf), RTERROR);
    EXPECT_EQ(acdbRToS(1.0, 2, -2, buf), RTERROR);
    EXPECT_EQ(acdbRToS(1.0, 2, 2, nullptr), RTERROR);
    EXPECT_EQ(acdbRToS(NAN, 2, 2, buf), RTERROR);
    EXPECT_EQ(acdbRToS(INFINITY, 4, 2, buf), RTERROR);
    g_settings.lunits = 7;
    EXPECT_EQ(acdbRToS(1.0, -1, 2, buf), RTERROR);
}

TEST_F(RToS, BufferLimit) {
    char buf[133];
    EXPECT_EQ(acdbRToS(1e122, 2, 8, buf), RTNORM);  // 123 digits, point, 8 decimals
    EXPECT_EQ(std::string(buf).size(), 132u);
    EXPECT_EQ(acdbRToS(1e123, 2, 8, buf), RTERROR) << "133 characters do not fit";
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(acdbRToS(1e300, 4, 8, buf), RTERROR);
    char big[400];
    EXPECT_EQ(acdbRToS(1e300, 2, 4, big, sizeof big), RTNORM) << "the sized form uses the size given";
    char small[6];
    EXPECT_EQ(acdbRToS(17.5, 2, 2, small, sizeof small), RTNORM);
    EXPECT_STREQ(small, "17.50");
    EXPECT_EQ(acdbRToS(117.5, 2, 2, small, sizeof small), RTERROR);
    EXPECT_EQ(acdbRToS(1.0, 2, 2, small, 0), RTERROR);
}

TEST_F(AngToS, FormatsEachUnit) {
    const double dms = (10 + 20.0 / 60 + 30.4 / 3600) * kDeg;
    const Formatted cases[] = {
        {0.785398, 0, 4, 0, "45.0000"}, {-0.785398, 0, 4, 0, "315.0000"}, {-0.785398, 4, 0, 0, "S 45d E"},
        {1.5708, 1, 6, 0, "90d0'0.76\""}, {45.5 * kDeg, 1, 4, 0, "45d30'0\""}, {kPi / 4, 2, 4, 0, "50.0000g"},
        {kPi / 4, 3, 4, 0, "0.7854r"}, {kPi / 4, 4, 4, 0, "N 45d0'0\" E"}, {5 * kPi / 2, 0, 0, 0, "90"},
        {-7 * kPi / 2, 0, 1, 0, "90.0"},
        // d/m/s precision, carries, and a full circle wrapping to 0
        {dms, 1, 0, 0, "10d"}, {dms, 1, 2, 0, "10d21'"}, {dms, 1, 4, 0, "10d20'30\""},
        {dms, 1, 5, 0, "10d20'30.4\""}, {(10 + 59.0 / 60 + 59.7 / 3600) * kDeg, 1, 4, 0, "11d0'0\""},
        {-1e-9, 1, 4, 0, "0d0'0\""}, {-1e-9, 0, 2, 0, "0.00"},
        // bearings in each quadrant, and compass points
        {30 * kDeg, 4, 2, 0, "N 60d0' E"}, {120 * kDeg, 4, 2, 0, "N 30d0' W"},
        {200 * kDeg, 4, 2, 0, "S 70d0' W"}, {300 * kDeg, 4, 2, 0, "S 30d0' E"}, {0, 4, 4, 0, "E"},
        {kPi / 2, 4, 4, 0, "N"}, {kPi, 4, 4, 0, "W"}, {-kPi / 2, 4, 4, 0, "S"}, {89.9999 * kDeg, 4, 0, 0, "N"},
        // zero suppression
        {kPi / 4, 0, 4, 12, "45"}, {0.5, 3, 4, 12, ".5r"}, {(1 + 0.5 / 3600) * kDeg, 1, 6, 12, "1d0'0.5\""},
    };
    for (const Formatted& c : cases) {
        g_settings.dimzin = c.dimzin;
        EXPECT_EQ(angtos(c.value, c.unit, c.prec), c.text)
            << c.value << " unit " << c.unit << " prec " << c.prec << " dimzin " << c.dimzin;
    }
}

TEST_F(AngToS, CurrentSettingsAndBadArguments) {
    EXPECT_EQ(angtos(kPi / 4, -1, -1), "45");
    g_settings.aunits = 2;
    g_settings.auprec = 2;
    EXPECT_EQ(angtos(kPi / 4, -1, -1), "50.00g");
    char buf[133];
    EXPECT_EQ(acdbAngToS(1.0, 5, 2, buf), RTERROR);
    EXPECT_EQ(acdbAngToS(1.0, 0, 9, buf), RTERROR);
    EXPECT_EQ(acdbAngToS(1.0, 0, 2, nullptr), RTERROR);
    EXPECT_EQ(acdbAngToS(NAN, 0, 2, buf), RTERROR);
    char small[4];
    EXPECT_EQ(acdbAngToS(kPi / 4, 0, 0, small, sizeof small), RTNORM);
    EXPECT_EQ(acdbAngToS(kPi / 4, 0, 2, small, sizeof small), RTERROR);
}

struct Parsed { const char* text; int unit; double value; };

TEST_F(DisToF, ReadsEachForm) {
    const Parsed cases[] = {
        {"3.5E+01", 1, 35}, {"17.50", 2, 17.5}, {"-.5", 2, -0.5}, {"4/12", 2, 1.0 / 3.0},
        {"1'-2 1/2\"", 4, 14.5}, {"1'-2.5\"", 3, 14.5}, {"1'-2.5\"", 4, 14.5}, {"-1'-5 1/2\"", 4, -17.5},
        {"2'", 4, 24}, {"5 1/2\"", 4, 5.5}, {"72'3", 4, 867}, {"3'1-5/8", 4, 37.625}, {"3'5/8", 4, 36.625},
        {"1' - 2\"", 3, 14}, {"17 1/2", 5, 17.5}, {"17-1/2", 5, 17.5}, {"-1/4", 5, -0.25},
    };
    for (const Parsed& c : cases) {
        double v = 0;
        ASSERT_EQ(acdbDisToF(c.text, c.unit, &v), RTNORM) << c.text;
        EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    }
    for (int unit = 1; unit <= 5; ++unit)
        for (const char* plain : {"17.5", "1.75E+01", " 17.5 "}) {
            double v = 0;
            EXPECT_EQ(acdbDisToF(plain, unit, &v), RTNORM) << plain << " unit " << unit;
            EXPECT_DOUBLE_EQ(v, 17.5);
        }
    g_settings.lunits = 4;
    double v = 0;
    EXPECT_EQ(acdbDisToF("1'", -1, &v), RTNORM);
    EXPECT_DOUBLE_EQ(v, 12);
}

TEST_F(DisToF, RejectsBadText) {
    for (const char* s : {"", " ", "abc", "1.5x", "1..5", "1/0", "1'-", "'", "\"", "1'2'", "--1", "- 1",
                          "1e", "inf", "nan", "0x10", "1e999", "2.5 1/2", "5-3", "1'-2\"x", "1 2"}) {
        double v = 7;
        EXPECT_EQ(acdbDisToF(s, 4, &v), RTERROR) << "'" << s << "'";
        EXPECT_EQ(v, 7) << "result untouched for '" << s << "'";
    }
    double v = 0;
    EXPECT_EQ(acdbDisToF("1'", 2, &v), RTERROR) << "feet only in engineering and architectural";
    EXPECT_EQ(acdbDisToF("1'", 5, &v), RTERROR);
    EXPECT_EQ(acdbDisToF("1", 0, &v), RTERROR);
    EXPECT_EQ(acdbDisToF(nullptr, 2, &v), RTERROR);
    EXPECT_EQ(acdbDisToF("1", 2, nullptr), RTERROR);
}

TEST_F(AngToF, ReadsEachFormIntoTheCircle) {
    const Parsed cases[] = {  // value in degrees
        {"45.0000", 0, 45}, {"45.0000", 3, 45 / kDeg - 7 * 360}, {"45d30'0\"", 1, 45.5},
        {"90d30'10\"", 1, 90 + 30.0 / 60 + 10.0 / 3600}, {"50.0000g", 2, 45}, {"50", 2, 45},
        {"0.7854r", 3, 0.7854 / kDeg}, {"N 45d0'0\" E", 4, 45}, {"n45d20'6\"e", 4, 45 - 20.0 / 60 - 6.0 / 3600},
        {"S 45d E", 4, 315}, {"S 30d W", 4, 240}, {"N 30d W", 4, 120}, {"W", 4, 180}, {"S", 4, 270},
        {"-45", 0, 315}, {"100g", 0, 90},
    };
    for (const Parsed& c : cases) {
        double v = 0;
        ASSERT_EQ(acdbAngToF(c.text, c.unit, &v), RTNORM) << c.text;
        EXPECT_NEAR(v, c.value * kDeg, 1e-12) << c.text;
    }
    g_settings.aunits = 3;
    double v = 0;
    EXPECT_EQ(acdbAngToF("1", -1, &v), RTNORM);
    EXPECT_NEAR(v, 1.0, 1e-12);
}

TEST_F(AngToF, RejectsBadText) {
    for (const char* s : {"", "abc", "45x", "45d30", "45d'", "30'", "45d10\"5'", "N 95d E", "N 45d",
                          "N 45d E x", "Q", "-N 45d E", "45gg", "1e999"}) {
        double v = 7;
        EXPECT_EQ(acdbAngToF(s, 4, &v), RTERROR) << "'" << s << "'";
        EXPECT_EQ(v, 7);
    }
    double v = 0;
    EXPECT_EQ(acdbAngToF("N", 0, &v), RTERROR) << "bearings only in surveyor's units";
    EXPECT_EQ(acdbAngToF("1", 5, &v), RTERROR);
    EXPECT_EQ(acdbAngToF(nullptr, 0, &v), RTERROR);
}

// Text written by the formatter reads back to a value that formats to the same text.
TEST_F(RoundTrip, Distances) {
    const double values[] = {0, 0.5, 1.0 / 3.0, 5.5, 11.999, 12, 17.5, 24, 100.0625, 1234.5678,
                             -0.75, -17.5, -1234.5678, 1e-4, 98765.4321};
    for (int dimzin : {0, 1, 2, 3, 8, 12}) {
        g_settings.dimzin = dimzin;
        for (int unit = 1; unit <= 5; ++unit)
            for (int prec = 0; prec <= 8; ++prec)
                for (double v : values) {
                    const std::string text = rtos(v, unit, prec);
                    double back = 0;
                    ASSERT_EQ(acdbDisToF(text.c_str(), unit, &back), RTNORM) << text;
                    EXPECT_EQ(rtos(back, unit, prec), text) << v << " unit " << unit << " dimzin " << dimzin;
                }
    }
}

TEST_F(RoundTrip, Angles) {
    const double degrees[] = {0, 0.5, 1, 30, 45, 45.5, 89.99, 90, 123.456789, 180, 200.25, 270, 300, 359.9};
    for (int dimzin : {0, 8, 12}) {
        g_settings.dimzin = dimzin;
        for (int unit = 0; unit <= 4; ++unit)
            for (int prec = 0; prec <= 8; ++prec)
                for (double d : degrees) {
                    const std::string text = angtos(d * kDeg, unit, prec);
                    // 359.9 degrees at one place is "6.3r", past the circle; it reads back as 0.0168r.
                    if (unit == 3 && std::stod(text) >= 2 * kPi) continue;
                    double back = -1;
                    ASSERT_EQ(acdbAngToF(text.c_str(), unit, &back), RTNORM) << text;
                    EXPECT_TRUE(back >= 0 && back < 2 * kPi) << text;
                    EXPECT_EQ(angtos(back, unit, prec), text) << d << " unit " << unit;
                }
    }
}

}  // namespace
