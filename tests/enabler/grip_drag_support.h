#pragma once
// Helpers for the grip drag and reshaping tests: binding children by hand, references that
// still show a shared definition, grip statements from words, and captured output.
#include <dlfcn.h>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>
#include "ed/docman.h"
#include "rx/print.h"
#include "TamselDbx4App.h"
#include "theFunctions.h"
#include "zeft_blockref_support.h"

namespace zefttest {

inline bool near(const AcGePoint3d& a, const AcGePoint3d& b, double tol = 1e-9) { return a.distanceTo(b) <= tol; }

// Binds an entity to a grip point's child list with the given stretch indices.
inline void bind(AcDbObjectId gripId, int list, AcDbObjectId child, std::vector<int> indices) {
    Open<ZEFTGripPoint> grip(gripId, AcDb::kForWrite);
    ASSERT_EQ(grip.status, Acad::eOk);
    grip->appendChildEntity(child, list);
    AcArray<int> ids;
    for (int i : indices) ids.append(i);
    grip->setChildStretchPointIds(ids, list);
}

// A reference that shows the definition itself (the host's binding, no private copy yet).
inline AcDbObjectId sharedReference(Drawing& d, AcDbObjectId definition, const AcGePoint3d& at = AcGePoint3d::kOrigin,
                                    std::initializer_list<AcGePoint3d> attributes = {}) {
    auto* ref = new ZEFTBlockReference();
    ref->setPosition(at);
    ref->setBlockTableRecord(definition);
    for (const AcGePoint3d& p : attributes) {
        auto* attribute = new ZEFTAttribute();
        attribute->setPosition(p);
        attribute->setTextString("A");
        ref->appendAttribute(d.append(attribute));
    }
    return d.append(ref);
}

inline AcGePoint3dArray gripList(const ZEFTBlockReference* ref) {
    AcGePoint3dArray grips;
    AcDbIntArray modes, ids;
    ref->getGripPoints(grips, modes, ids);
    return grips;
}

// One grip statement from words: keyword texts and ")" are keyword tokens, numbers are number
// tokens, "quoted" words texts, anything else a variable name.
inline CCondFormula* statement(const std::string& source) {
    auto* s = new CCondFormula;
    std::istringstream words(source);
    for (std::string w; words >> w;) {
        auto* t = new CFormulaObject;
        t->text = w.c_str();
        t->value = 0.0;
        int index = -1;
        for (int i = 0; index < 0 && i < kFormulaKeywordCount; ++i)
            if (w == formulaKeyword(i)) index = i;
        if (index >= 0) {
            t->type = 3;
            t->value = index;
        } else if (w[0] == '"') {
            t->type = 5;
        } else if (std::isdigit(static_cast<unsigned char>(w[0])) || w[0] == '-') {
            t->type = 1;
            t->value = std::atof(w.c_str());
        } else {
            t->type = 4;
        }
        s->tokens.AddTail(t);
    }
    return s;
}

// A named real variable of a grip point.
inline CVariable* addVariable(ZEFTGripPoint* grip, const char* name, double value) {
    auto* v = new CVariable;
    v->name = name;
    v->kind = RTREAL;
    v->realValue = value;
    grip->variables.AddTail(v);
    return v;
}

inline double variableValue(AcDbObjectId gripId, const char* name) {
    Open<ZEFTGripPoint> grip(gripId);
    for (POSITION pos = grip->variables.GetHeadPosition(); pos;) {
        CVariable* v = grip->variables.GetNext(pos);
        if (v && std::string(v->name) == name) return v->GetReal();
    }
    return -1e300;
}

// Text printed on the command line while it lives.
struct PrintCapture {
    PrintCapture() {
        text().clear();
        acutSetPrintSink(&PrintCapture::sink);
    }
    ~PrintCapture() { acutSetPrintSink(nullptr); }
    PrintCapture(const PrintCapture&) = delete;
    PrintCapture& operator=(const PrintCapture&) = delete;
    static std::string& text() {
        static std::string printed;
        return printed;
    }
    static void sink(const char* piece) { text() += piece; }
};

// The enabler attached as the host attaches a loaded module, so that its texts are there.
struct ModuleAttached {
    ModuleAttached() : handle(dlopen("TamselDbx4.dbx", RTLD_NOW | RTLD_NOLOAD)) {
        if (handle) DllMain(handle, DLL_PROCESS_ATTACH, nullptr);
    }
    ~ModuleAttached() {
        if (!handle) return;
        DllMain(handle, DLL_PROCESS_DETACH, nullptr);
        dlclose(handle);
    }
    ModuleAttached(const ModuleAttached&) = delete;
    ModuleAttached& operator=(const ModuleAttached&) = delete;
    void* handle;
};

// A document for queued input, closed again at the end; the drawing stays the working one.
struct QueueDocument {
    QueueDocument() {
        working = acdbHostApplicationServices()->workingDatabase();
        document = acDocManagerPtr()->newDocument();
        acdbHostApplicationServices()->setWorkingDatabase(working);
    }
    ~QueueDocument() {
        if (document) {
            document->pendingInput().clear();
            acDocManagerPtr()->closeDocument(document);
        }
        acdbHostApplicationServices()->setWorkingDatabase(working);
    }
    QueueDocument(const QueueDocument&) = delete;
    QueueDocument& operator=(const QueueDocument&) = delete;
    int undoCount() const {
        int n = 0;
        for (const auto& pending : document->pendingInput()) n += pending.text == "_u " ? 1 : 0;
        return n;
    }
    AcDbDatabase* working = nullptr;
    AcApDocument* document = nullptr;
};

class GripDragTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { registerClasses(); }
};

}  // namespace zefttest
