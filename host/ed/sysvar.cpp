#include "ed/sysvar.h"
#include <strings.h>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include "db/units.h"
#include "ed/commandline.h"
#include "ed/docman.h"
#include "ed/editor.h"
#include "ed/prompts.h"

namespace {
constexpr double kNoLimit = std::numeric_limits<double>::infinity();

enum class Scope { kDrawing, kDocument, kSession, kComputed };

struct VarDef {
    const char* name;
    short type;  // RTSHORT, RTREAL, RTPOINT, RT3DPOINT or RTSTR
    Scope scope;
    bool readOnly;
    AcDbHeaderValue initial;
    double min = -kNoLimit, max = kNoLimit;
    bool positive = false;  // reals greater than zero
};

const std::vector<VarDef>& table() {
    static const std::vector<VarDef> vars = {
        {"ANGBASE", RTREAL, Scope::kDrawing, false, 0.0},
        {"ANGDIR", RTSHORT, Scope::kDrawing, false, 0, 0, 1},
        {"ATTDIA", RTSHORT, Scope::kDrawing, false, 0, 0, 1},
        {"ATTMODE", RTSHORT, Scope::kDrawing, false, 1, 0, 2},
        {"ATTREQ", RTSHORT, Scope::kDrawing, false, 1, 0, 1},
        {"AUNITS", RTSHORT, Scope::kDrawing, false, 0, 0, 4},
        {"AUPREC", RTSHORT, Scope::kDrawing, false, 0, 0, 8},
        {"CELTSCALE", RTREAL, Scope::kDrawing, false, 1.0, -kNoLimit, kNoLimit, true},
        {"CLAYER", RTSTR, Scope::kDrawing, false, std::string("0")},
        {"CMDECHO", RTSHORT, Scope::kSession, false, 1, 0, 1},
        {"CMDNAMES", RTSTR, Scope::kComputed, true, std::string()},
        {"DBMOD", RTSHORT, Scope::kComputed, true, 0},
        {"DIMZIN", RTSHORT, Scope::kDrawing, false, 0, 0, 15},
        {"DWGNAME", RTSTR, Scope::kComputed, true, std::string()},
        {"DWGPREFIX", RTSTR, Scope::kComputed, true, std::string()},
        {"ELEVATION", RTREAL, Scope::kDrawing, false, 0.0},
        {"ERRNO", RTSHORT, Scope::kSession, false, 0},
        {"EXTMAX", RT3DPOINT, Scope::kComputed, true, AcGePoint3d()},
        {"EXTMIN", RT3DPOINT, Scope::kComputed, true, AcGePoint3d()},
        {"FILEDIA", RTSHORT, Scope::kSession, false, 0, 0, 1},
        {"FILLMODE", RTSHORT, Scope::kDrawing, false, 1, 0, 1},
        {"INSBASE", RT3DPOINT, Scope::kDrawing, false, AcGePoint3d()},
        {"LASTPOINT", RT3DPOINT, Scope::kDocument, false, AcGePoint3d()},
        {"LIMMAX", RTPOINT, Scope::kDrawing, false, AcGePoint3d(420, 297, 0)},
        {"LIMMIN", RTPOINT, Scope::kDrawing, false, AcGePoint3d()},
        {"LTSCALE", RTREAL, Scope::kDrawing, false, 1.0, -kNoLimit, kNoLimit, true},
        {"LUNITS", RTSHORT, Scope::kDrawing, false, 2, 1, 5},
        {"LUPREC", RTSHORT, Scope::kDrawing, false, 4, 0, 8},
        {"MIRRTEXT", RTSHORT, Scope::kDrawing, false, 0, 0, 1},
        {"PDMODE", RTSHORT, Scope::kDrawing, false, 0},
        {"PDSIZE", RTREAL, Scope::kDrawing, false, 0.0},
        {"PICKBOX", RTSHORT, Scope::kSession, false, 3, 0, 50},
        {"SCREENSIZE", RTPOINT, Scope::kSession, true, AcGePoint3d(800, 600, 0)},
        {"TEXTSIZE", RTREAL, Scope::kDrawing, false, 2.5, -kNoLimit, kNoLimit, true},
        {"TEXTSTYLE", RTSTR, Scope::kDrawing, false, std::string("Standard")},
        {"TILEMODE", RTSHORT, Scope::kDrawing, false, 1, 0, 1},
        {"VIEWCTR", RT3DPOINT, Scope::kDocument, true, AcGePoint3d()},
        {"VIEWSIZE", RTREAL, Scope::kDocument, true, 0.0},
    };
    return vars;
}

const VarDef* findVar(const char* name) {
    if (!name) return nullptr;
    for (const VarDef& v : table())
        if (strcasecmp(v.name, name) == 0) return &v;
    return nullptr;
}

std::map<std::string, AcDbHeaderValue>& sessionValues() {
    static std::map<std::string, AcDbHeaderValue> values;
    return values;
}

// Document variables while no document is open.
std::map<std::string, AcDbHeaderValue>& noDocumentValues() {
    static std::map<std::string, AcDbHeaderValue> values;
    return values;
}

AcApDocument* currentDocument() { return acDocManager->curDocument(); }

AcDbDatabase* drawing() {
    if (AcApDocument* doc = currentDocument()) return doc->database();
    return acdbHostApplicationServices()->workingDatabase();
}

// Values of the right kind for the variable (header values may have been read as another kind).
AcDbHeaderValue coerce(const VarDef& def, const AcDbHeaderValue& v) {
    switch (def.type) {
    case RTSHORT:
        if (const int* i = std::get_if<int>(&v)) return *i;
        if (const double* d = std::get_if<double>(&v)) return static_cast<int>(std::lround(*d));
        return def.initial;
    case RTREAL:
        if (const double* d = std::get_if<double>(&v)) return *d;
        if (const int* i = std::get_if<int>(&v)) return static_cast<double>(*i);
        return def.initial;
    case RTPOINT:
    case RT3DPOINT:
        if (std::holds_alternative<AcGePoint3d>(v)) return v;
        return def.initial;
    default:
        if (std::holds_alternative<std::string>(v)) return v;
        return def.initial;
    }
}

// The view of a document until a command sets it: the drawing's stored view, else its
// extents, else its limits.
AcDbHeaderValue initialView(const VarDef& def, AcDbDatabase* db) {
    if (!db) return def.initial;
    bool center = std::strcmp(def.name, "VIEWCTR") == 0;
    if (db->hasHeaderValue(def.name)) return coerce(def, db->headerValue(def.name));
    AcDbExtents ext = db->computeExtents();
    AcGePoint3d lo, hi;
    if (!ext.isEmpty()) {
        lo = ext.minPoint();
        hi = ext.maxPoint();
    } else {
        lo = db->headerPoint("LIMMIN");
        hi = db->hasHeaderValue("LIMMAX") ? db->headerPoint("LIMMAX") : AcGePoint3d(420, 297, 0);
    }
    if (center) return AcGePoint3d((lo.x + hi.x) / 2, (lo.y + hi.y) / 2, 0);
    double height = std::max(hi.y - lo.y, (hi.x - lo.x) * 600.0 / 800.0) * 1.05;
    return height > 0 ? height : 1.0;
}

bool computed(const VarDef& def, AcDbHeaderValue& out) {
    std::string name = def.name;
    AcApDocument* doc = currentDocument();
    if (name == "CMDNAMES") {
        out = AcEdCommandLine::instance().cmdNames();
        return true;
    }
    if (name == "DBMOD") {
        out = doc && doc->isModified() ? 1 : 0;
        return true;
    }
    if (name == "DWGNAME" || name == "DWGPREFIX") {
        if (!doc) return false;
        if (name == "DWGNAME") out = std::string(doc->docTitle());
        else {
            std::filesystem::path folder = std::filesystem::path(doc->fileName()).parent_path();
            out = folder.empty() ? std::string() : folder.string() + "/";
        }
        return true;
    }
    AcDbDatabase* db = drawing();
    if (!db) return false;
    AcDbExtents ext = db->computeExtents();
    bool isMin = name == "EXTMIN";
    if (ext.isEmpty()) out = coerce(def, db->headerValue(name));
    else out = isMin ? ext.minPoint() : ext.maxPoint();
    return true;
}

bool load(const VarDef& def, AcDbHeaderValue& out) {
    switch (def.scope) {
    case Scope::kComputed: return computed(def, out);
    case Scope::kSession: {
        auto it = sessionValues().find(def.name);
        out = it == sessionValues().end() ? def.initial : it->second;
        return true;
    }
    case Scope::kDocument: {
        AcApDocument* doc = currentDocument();
        auto& values = doc ? doc->variables() : noDocumentValues();
        auto it = values.find(def.name);
        if (it != values.end()) {
            out = it->second;
            return true;
        }
        if (std::strcmp(def.name, "VIEWCTR") == 0 || std::strcmp(def.name, "VIEWSIZE") == 0) {
            out = initialView(def, doc ? doc->database() : nullptr);
            values[def.name] = out;
            return true;
        }
        out = def.initial;
        return true;
    }
    case Scope::kDrawing: {
        AcDbDatabase* db = drawing();
        if (!db) return false;
        out = db->hasHeaderValue(def.name) ? coerce(def, db->headerValue(def.name)) : def.initial;
        return true;
    }
    }
    return false;
}

void toResbuf(const VarDef& def, const AcDbHeaderValue& v, resbuf* rb) {
    rb->restype = def.type;
    switch (def.type) {
    case RTSHORT: rb->resval.rint = static_cast<short>(std::get<int>(v)); break;
    case RTREAL: rb->resval.rreal = std::get<double>(v); break;
    case RTPOINT:
    case RT3DPOINT: {
        const AcGePoint3d& p = std::get<AcGePoint3d>(v);
        rb->resval.rpoint[0] = p.x;
        rb->resval.rpoint[1] = p.y;
        rb->resval.rpoint[2] = def.type == RTPOINT ? 0.0 : p.z;
        break;
    }
    default: rb->resval.rstring = strdup(std::get<std::string>(v).c_str()); break;
    }
}

bool fromResbuf(const VarDef& def, const resbuf* rb, AcDbHeaderValue& out, std::string& why) {
    auto number = [&](double& d) {
        switch (rb->restype) {
        case RTSHORT: d = rb->resval.rint; return true;
        case RTLONG: d = rb->resval.rlong; return true;
        case RTREAL:
        case RTANG:
        case RTORINT: d = rb->resval.rreal; return std::isfinite(d);
        default: return false;
        }
    };
    double d = 0;
    switch (def.type) {
    case RTSHORT:
        if (!number(d) || d != std::floor(d)) {
            why = "Requires an integer value.";
            return false;
        }
        if (d < std::max(def.min, -32768.0) || d > std::min(def.max, 32767.0)) {
            why = "Value out of range.";
            return false;
        }
        out = static_cast<int>(d);
        return true;
    case RTREAL:
        if (!number(d)) {
            why = "Requires a numeric value.";
            return false;
        }
        if (d < def.min || d > def.max || (def.positive && d <= 0)) {
            why = "Value out of range.";
            return false;
        }
        out = d;
        return true;
    case RTPOINT:
    case RT3DPOINT:
        if (rb->restype != RTPOINT && rb->restype != RT3DPOINT) {
            why = "Requires a point.";
            return false;
        }
        for (int i = 0; i < 3; ++i)
            if (!std::isfinite(rb->resval.rpoint[i])) {
                why = "Requires a point.";
                return false;
            }
        out = AcGePoint3d(rb->resval.rpoint[0], rb->resval.rpoint[1],
                          def.type == RT3DPOINT && rb->restype == RT3DPOINT ? rb->resval.rpoint[2] : 0.0);
        return true;
    default:
        if (rb->restype != RTSTR || !rb->resval.rstring) {
            why = "Requires a text value.";
            return false;
        }
        out = std::string(rb->resval.rstring);
        return true;
    }
}

// The current layer and text style must name a record of the drawing.
bool storeRecordName(AcDbDatabase* db, const char* var, const std::string& name, std::string& why) {
    AcDbObjectId id;
    Acad::ErrorStatus es = Acad::eKeyNotFound;
    if (std::strcmp(var, "CLAYER") == 0) {
        AcDbLayerTable* table = nullptr;
        if (db->getLayerTable(table, AcDb::kForRead) == Acad::eOk) {
            es = table->getAt(name.c_str(), id);
            table->close();
        }
        if (es == Acad::eOk) es = db->setClayer(id);
    } else {
        AcDbTextStyleTable* table = nullptr;
        if (db->getTextStyleTable(table, AcDb::kForRead) == Acad::eOk) {
            es = table->getAt(name.c_str(), id);
            table->close();
        }
        if (es == Acad::eOk) es = db->setTextstyle(id);
    }
    if (es != Acad::eOk) why = "No such " + std::string(std::strcmp(var, "CLAYER") == 0 ? "layer" : "text style") + ": \"" + name + "\".";
    return es == Acad::eOk;
}

bool store(const VarDef& def, const AcDbHeaderValue& v, std::string& why) {
    switch (def.scope) {
    case Scope::kComputed: why = "The value of " + std::string(def.name) + " is kept by the host."; return false;
    case Scope::kSession: sessionValues()[def.name] = v; return true;
    case Scope::kDocument: {
        AcApDocument* doc = currentDocument();
        (doc ? doc->variables() : noDocumentValues())[def.name] = v;
        return true;
    }
    case Scope::kDrawing: {
        AcDbDatabase* db = drawing();
        if (!db) {
            why = "No drawing is open.";
            return false;
        }
        if (std::strcmp(def.name, "CLAYER") == 0 || std::strcmp(def.name, "TEXTSTYLE") == 0) {
            if (!storeRecordName(db, def.name, std::get<std::string>(v), why)) return false;
        } else {
            db->setHeaderValue(def.name, v);
        }
        if (AcApDocument* doc = acDocManager->document(db)) doc->setModified(true);
        return true;
    }
    }
    return false;
}

int setVar(const char* name, const resbuf* value, bool host, std::string* message, bool notify = true) {
    std::string why;
    const VarDef* def = findVar(name);
    auto refuse = [&](const std::string& text) {
        if (message) *message = text;
        return RTERROR;
    };
    if (!def) return refuse("Unknown variable name.");
    if (!value) return refuse("No value.");
    if (def->readOnly && !host) return refuse(std::string(def->name) + " is read-only.");
    AcDbHeaderValue v;
    if (!fromResbuf(*def, value, v, why)) return refuse(why);
    if (notify) acedEditor->notify([&](AcEditorReactor* r) { r->sysVarWillChange(def->name); });
    bool ok = store(*def, v, why);
    if (notify)
        acedEditor->notify([&](AcEditorReactor* r) { r->sysVarChanged(def->name, ok ? Adesk::kTrue : Adesk::kFalse); });
    return ok ? RTNORM : refuse(why);
}

std::string formatReal(double v) {
    char buf[160];
    if (acdbRToS(v, 2, -1, buf, sizeof buf) != RTNORM) std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}
}  // namespace

int acedGetVar(const char* name, resbuf* result) {
    if (!result) return RTERROR;
    const VarDef* def = findVar(name);
    AcDbHeaderValue v;
    if (!def || !load(*def, v)) return RTERROR;
    toResbuf(*def, coerce(*def, v), result);
    return RTNORM;
}

int acedSetVar(const char* name, const resbuf* value) { return setVar(name, value, false, nullptr); }

int acedHostSetVar(const char* name, const resbuf* value, bool notify) {
    return setVar(name, value, true, nullptr, notify);
}

std::vector<std::string> acedHostVariableNames() {
    std::vector<std::string> names;
    for (const VarDef& v : table()) names.push_back(v.name);
    return names;
}

bool acedHostIsVariable(const char* name) { return findVar(name) != nullptr; }

bool acedHostIsVariableReadOnly(const char* name) {
    const VarDef* def = findVar(name);
    return def && def->readOnly;
}

int acedHostVariableType(const char* name) {
    const VarDef* def = findVar(name);
    return def ? def->type : 0;
}

bool acedHostVariableText(const char* name, std::string& text) {
    const VarDef* def = findVar(name);
    AcDbHeaderValue v;
    if (!def || !load(*def, v)) return false;
    v = coerce(*def, v);
    switch (def->type) {
    case RTSHORT: text = std::to_string(std::get<int>(v)); break;
    case RTREAL: text = formatReal(std::get<double>(v)); break;
    case RTPOINT:
    case RT3DPOINT: {
        const AcGePoint3d& p = std::get<AcGePoint3d>(v);
        text = formatReal(p.x) + "," + formatReal(p.y);
        if (def->type == RT3DPOINT) text += "," + formatReal(p.z);
        break;
    }
    default: text = std::get<std::string>(v); break;
    }
    return true;
}

bool acedHostSetVariableText(const char* name, const std::string& text, std::string* message) {
    const VarDef* def = findVar(name);
    if (!def) {
        if (message) *message = "Unknown variable name.";
        return false;
    }
    resbuf rb;
    std::string t = text;
    switch (def->type) {
    case RTSHORT: {
        errno = 0;
        char* end = nullptr;
        long v = std::strtol(t.c_str(), &end, 10);
        if (t.empty() || *end != '\0' || errno == ERANGE || v < -32768 || v > 32767) {
            if (message) *message = "Requires an integer value.";
            return false;
        }
        rb.restype = RTSHORT;
        rb.resval.rint = static_cast<short>(v);
        break;
    }
    case RTREAL: {
        double v = 0;
        if (t.empty() || acdbDisToF(t.c_str(), -1, &v) != RTNORM) {
            if (message) *message = "Requires a numeric value.";
            return false;
        }
        rb.restype = RTREAL;
        rb.resval.rreal = v;
        break;
    }
    case RTPOINT:
    case RT3DPOINT: {
        AcGePoint3d p;
        if (!acedHostParsePoint(t, p, message)) return false;
        rb.restype = RT3DPOINT;
        rb.resval.rpoint[0] = p.x;
        rb.resval.rpoint[1] = p.y;
        rb.resval.rpoint[2] = p.z;
        break;
    }
    default:
        if (t == ".") t.clear();
        rb.restype = RTSTR;
        rb.resval.rstring = t.data();
        break;
    }
    return setVar(name, &rb, false, message) == RTNORM;
}
