#pragma once
// The host's LISP: values, reader, evaluator and their conversion to result buffers.
//
// Integers are 32-bit (AutoCAD's range). Integer literals outside that range read as reals.
// Integer arithmetic wraps around on overflow as AutoCAD's does. In result buffers handed to
// modules an integer is RTSHORT when it fits in 16 bits, RTLONG otherwise; modules may answer
// with either. Error messages carry no "; error: " prefix: the program adds it.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "rx/ads.h"
#include "rx/export.h"

// Lists are chains of shared cells that never change once built: copying a value is O(1), and
// (cons x l) shares l.
class CADHOST_API LispValue {
public:
    enum class Kind { Nil, T, Int, Real, Str, Sym, List, Ename, PickSet };

    LispValue() = default;  // nil
    LispValue(const LispValue& other);
    LispValue(LispValue&& other) noexcept;
    LispValue& operator=(const LispValue& other);
    LispValue& operator=(LispValue&& other) noexcept;
    ~LispValue();  // frees cells without recursion, however deep the list

    static LispValue t();
    static LispValue integer(int32_t v);
    static LispValue real(double v);
    static LispValue string(std::string s);
    static LispValue symbol(const std::string& name);  // stored lower case; "nil" and "t" map to those
    // An empty list is nil. With dotted, the last item is the tail of the list: a list tail is
    // spliced in and a nil tail dropped, so (1 . (2)) is (1 2).
    static LispValue list(std::vector<LispValue> items, bool dotted = false);
    // (first . rest): a nil rest gives (first), a list rest that list after first, an atom a
    // dotted pair.
    static LispValue cons(LispValue first, LispValue rest);
    static LispValue ename(const int64_t name[2], bool pickSet = false);

    Kind kind() const { return m_kind; }
    bool isNil() const { return m_kind == Kind::Nil; }
    bool isNumber() const { return m_kind == Kind::Int || m_kind == Kind::Real; }
    bool isList() const { return m_kind == Kind::List; }
    int32_t intValue() const { return m_int; }
    double number() const { return m_kind == Kind::Int ? static_cast<double>(m_int) : m_real; }
    const std::string& text() const;  // string contents or symbol name; empty for other kinds
    // Of a list: its first item, and what follows it (a shorter list, nil, or the tail atom of
    // a dotted list). Nil for other kinds.
    const LispValue& first() const;
    const LispValue& rest() const;
    size_t length() const;                 // items of a list, a dotted tail counted; 0 otherwise
    std::vector<LispValue> items() const;  // the items, a dotted tail last
    bool dotted() const;
    const int64_t* name() const { return m_name; }
    // A list of two or three numbers, passed to modules as RTPOINT / RT3DPOINT.
    bool isPoint() const;

    // prin1 form (strings quoted and escaped) or princ form (strings as they are); a form longer
    // than kMaxText is cut there and ends in "...".
    std::string toString(bool princ = false) const;
    bool operator==(const LispValue& other) const;

    // The longest string a LISP function builds, in bytes (see LispText).
    static constexpr size_t kMaxText = size_t(1) << 20;

private:
    struct Cell;
    static void release(Cell* cell);

    Kind m_kind = Kind::Nil;
    int32_t m_int = 0;
    double m_real = 0.0;
    int64_t m_name[2] = {0, 0};
    std::shared_ptr<const std::string> m_text;
    Cell* m_cell = nullptr;
};

// A string being built by a LISP function, held within LispValue::kMaxText bytes: an append
// that would pass the bound fails and leaves the text as it was.
class CADHOST_API LispText {
public:
    bool append(std::string_view piece);
    bool append(char c) { return append(std::string_view(&c, 1)); }
    LispValue take() { return LispValue::string(std::move(m_text)); }
    static std::string tooLongError();

private:
    std::string m_text;
};

// Text of a real as the host prints it: up to 6 significant digits, always with a point.
CADHOST_API std::string lispFormatReal(double v);

struct CADHOST_API LispReadResult {
    bool ok = true;
    std::vector<LispValue> forms;
    std::string error;  // message with line and column
    int line = 0;
    int column = 0;
};

// Reads every form of a text, or none when any part is malformed.
class CADHOST_API LispReader {
public:
    static constexpr int kMaxDepth = 256;
    static LispReadResult read(const std::string& text);
};

struct CADHOST_API LispResult {
    bool ok = true;
    LispValue value;
    std::string error;
    bool quiet = false;  // nothing to echo: (princ) or a function that returned void
    static LispResult success(LispValue v, bool quiet = false);
    static LispResult failure(std::string message);
};

class LispEvaluator;
using LispBuiltin = std::function<LispResult(LispEvaluator&, const std::vector<LispValue>& args)>;

// Evaluates forms against one set of global variables. Calls of names that modules defined with
// acedDefun go to them (see ed/lispfuncs.h); module definitions take precedence over builtins,
// special forms (quote, setq, if, progn) over both.
class CADHOST_API LispEvaluator {
public:
    static constexpr int kMaxDepth = 512;
    using PrintSink = std::function<void(const std::string&)>;

    LispEvaluator();
    // Output of princ and prompt; by default acutPrintf.
    void setPrintSink(PrintSink sink);
    void print(const std::string& text) const;

    // Reads the whole text first: a malformed text evaluates nothing. Answers the last form's value.
    LispResult evaluate(const std::string& text);
    LispResult eval(const LispValue& form);
    // Calls a function with arguments that are already values (no evaluation).
    LispResult invoke(const std::string& name, const std::vector<LispValue>& args);

    // Functions evaluating their arguments, added by the program (names are case-insensitive).
    void defineBuiltin(const std::string& name, LispBuiltin fn);
    bool isFunction(const std::string& name) const;

    LispValue variable(const std::string& name) const;  // nil when unbound
    void setVariable(const std::string& name, LispValue value);

private:
    LispResult evalList(const LispValue& form);
    LispResult specialForm(const std::string& op, const LispValue& form);

    std::map<std::string, LispValue> m_globals;
    std::map<std::string, LispBuiltin> m_builtins;
    PrintSink m_sink;
    int m_depth = 0;
};

// Argument chain handed to a module: one buffer per argument, lists as RTLB ... RTLE (RTDOTE
// before a dotted tail), lists of 2 / 3 numbers as RTPOINT / RT3DPOINT. Null for no arguments or
// on error (symbols cannot be passed). Free with acutRelRb.
CADHOST_API resbuf* lispToResbuf(const std::vector<LispValue>& args, std::string* error = nullptr);
CADHOST_API resbuf* lispToResbuf(const LispValue& value, std::string* error = nullptr);
// The values of a chain, one per top-level item (RTLB ... RTLE makes one list item).
CADHOST_API bool lispFromResbuf(const resbuf* chain, std::vector<LispValue>& out,
                                std::string* error = nullptr);
// What acedRetList answers for a chain: one bracketed list is that list, anything else the list
// of the chain's items (with a dotted tail where RTDOTE comes before the last item).
CADHOST_API bool lispListFromResbuf(const resbuf* chain, LispValue& out, std::string* error = nullptr);
