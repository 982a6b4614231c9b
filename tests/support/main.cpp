// Test main: every test must leave no object open and break no access rule.
#include <gtest/gtest.h>
#include "db/object.h"

namespace {
class OpenObjectCheck : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        m_open = acdbHostOpenObjectCount();
        acdbResetAccessViolations();
    }
    void OnTestEnd(const ::testing::TestInfo& info) override {
        if (info.result()->Skipped()) return;
        EXPECT_EQ(acdbHostOpenObjectCount(), m_open) << "objects left open by " << info.name();
        EXPECT_EQ(acdbAccessViolations(), 0) << "access assertions violated in " << info.name();
    }
    int m_open = 0;
};
}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new OpenObjectCheck);
    return RUN_ALL_TESTS();
}
