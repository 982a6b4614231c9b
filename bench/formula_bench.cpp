// One formula run of a grip point with 1,000 statements: arithmetic, branches, snapping, text.
#include <benchmark/benchmark.h>

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string>

#include "ZEFTGripPoint.h"
#include "theFunctions.h"

namespace {

// Words: keyword texts and ")" are function tokens ("else_do" names index 5), numbers,
// "quoted" texts, braces, other words variable names.
CCondFormula* statement(const std::string& source) {
    auto* s = new CCondFormula;
    std::istringstream words(source);
    for (std::string w; words >> w;) {
        auto* t = new CFormulaObject;
        t->text = w.c_str();
        t->value = 0.0;
        int index = w == "else_do" ? 5 : -1;
        for (int i = 0; index < 0 && i < kFormulaKeywordCount; ++i)
            if (w == formulaKeyword(i)) index = i;
        if (index >= 0) {
            t->type = 3;
            t->value = index;
            t->text = formulaKeyword(index);
        } else if (w[0] == '"') {
            t->type = 5;
        } else if (w == "{" || w == "}" || std::isdigit(static_cast<unsigned char>(w[0]))) {
            t->type = 1;
            t->value = std::atof(w.c_str());
        } else {
            t->type = 4;
        }
        s->tokens.AddTail(t);
    }
    return s;
}

void FormulaRun1000Statements(benchmark::State& state) {
    ZEFTGripPoint grip;
    for (const char* name : {"a", "b", "c", "s"}) {
        auto* v = new CVariable;
        v->name = name;
        v->kind = RTREAL;
        v->realValue = 1.0;
        grip.variables.AddTail(v);
    }
    const char* const pattern[] = {
        "setVar( a (+ a (* b 2 ) ) )",
        "if (> a 100 )",
        "{",
        "setVar( a rem( a 100 ) )",
        "}",
        "else_do",
        "setVar( b (+ b 1 ) )",
        "setVar( c incCalc( 0 5 100 a ) )",
        "setVar( s putTogether( \"w\" left( \"abcdef\" 3 ) ) )",
        "setVar( b (/ (+ b c ) 2 ) )",
    };
    for (int i = 0; i < 1000; ++i) grip.AddFormula(statement(pattern[i % 10]));
    for (auto _ : state) benchmark::DoNotOptimize(grip.CheckFormulaForStretch());
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(FormulaRun1000Statements)->Unit(benchmark::kMicrosecond);

}  // namespace
