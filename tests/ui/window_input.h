#pragma once
// Input for window tests: keys pressed and text typed, queued on the thread's input.
#include "win/headless.h"

inline void key(UINT vk) {
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::KeyDown, 0, {0, 0}, vk, 0, 0});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::KeyUp, 0, {0, 0}, vk, 0, 0});
}

inline void type(const char* text) {
    for (const char* p = text; *p; ++p)
        cadhostQueueInput(WindowInputEvent{WindowInputEvent::Char, 0, {0, 0},
                                           static_cast<UINT>(static_cast<unsigned char>(*p)), 0, 0});
}

#include <gtest/gtest.h>

// A fixture that starts each test with no input and checks that it leaves no window behind.
class WindowTestBase : public ::testing::Test {
protected:
    void SetUp() override {
        baseline = cadhostWindowCount();
        cadhostResetInput();
    }
    void TearDown() override {
        cadhostResetInput();
        cadhostPumpMessages();
        EXPECT_EQ(cadhostWindowCount(), baseline) << "windows left behind";
    }
    int baseline = 0;
};
