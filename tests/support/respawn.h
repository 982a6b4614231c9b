#pragma once
// Runs this test program again in a process of its own, with one environment variable set
// ("NAME=value") and a test filter; answers its exit status, or -1 when it did not end normally.
#include <string>

int runTestsInNewProcess(const std::string& environmentAssignment, const std::string& filter);
