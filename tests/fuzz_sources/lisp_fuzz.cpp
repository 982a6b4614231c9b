// libFuzzer target for the LISP reader and evaluator.
//
// Input: byte 0 is how many times the rest runs (1 to 64) against one evaluator, so that steps
// like (setq a (strcat a a)) or (setq a (list a a)) grow their values to the bounds. The last
// answer is printed both ways and passed to a module function, ECHO, that hands its arguments
// back as its result list (the text may call ECHO too).
//
// Build: tests/fuzz_sources/build.sh (clang).
#include <cstddef>
#include <cstdint>
#include <string>
#include "ed/lisp.h"
#include "ed/lispfuncs.h"
#include "rx/print.h"

namespace {

void quiet(const char*) {}

int module = 0;  // its address stands for the module defining ECHO

int echo(void*, int) { return acedRetList(acedGetArgs()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    acutSetPrintSink(&quiet);
    acedHostUndefAll();
    acedHostSetDispatcher(echo);
    {
        AcedModuleScope scope(&module);
        acedDefun("echo", 1);
    }
    const int runs = data[0] % 64 + 1;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    LispEvaluator ev;
    ev.setPrintSink([](const std::string&) {});
    LispResult r;
    for (int i = 0; i < runs && r.ok; ++i) {
        r = ev.evaluate(text);
        (void)(r.value == ev.variable("a"));
    }
    (void)r.value.toString();
    (void)r.value.toString(true);
    LispResult echoed = ev.invoke("echo", {r.value});
    if (echoed.ok && !(echoed.value == r.value)) (void)echoed.value.toString();
    acedHostUndefAll();
    acedHostSetDispatcher(nullptr);
    return 0;
}
