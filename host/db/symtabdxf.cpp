// DXF groups of the symbol table records (the drawing-file writer adds 0, 5 and 330).
#include <cmath>
#include <cstdlib>
#include <numbers>
#include "db/database.h"
#include "db/hostinternal.h"

using namespace cadhost::db;

namespace {
constexpr double kDegree = std::numbers::pi / 180.0;

// The host record class the record is an instance of (its subclass marker).
const char* recordSubclass(const AcDbSymbolTableRecord* record) {
    AcRxClass* base = AcDbSymbolTableRecord::desc();
    for (AcRxClass* c = record->isA(); c; c = c->myParent())
        if (c->myParent() == base) return c->name();
    return nullptr;
}

AcDbDatabase* databaseOf(const AcDbObject* obj, AcDbDxfFiler* filer) {
    AcDbDatabase* db = obj->database();
    return db ? db : filer->database();
}

const char* nameOf(AcDbObjectId id) {
    auto* r = peekAs<AcDbSymbolTableRecord>(id);
    return r ? r->name() : nullptr;
}

void writeOwn(const AcDbSymbolTableRecord* record, AcDbDxfFiler* filer) {
    if (auto* layer = AcDbLayerTableRecord::cast(record)) {
        int color = layer->color().colorIndex();
        if (color < 1 || color > 255) color = 7;
        filer->writeInt16(62, static_cast<Adesk::Int16>(layer->isOff() ? -color : color));
        const char* lt = nameOf(layer->linetypeObjectId());
        filer->writeString(6, lt ? lt : "Continuous");
        if (!layer->isPlottable()) filer->writeBool(290, false);
        filer->writeInt16(370, static_cast<Adesk::Int16>(layer->lineWeight()));
    } else if (auto* lt = AcDbLinetypeTableRecord::cast(record)) {
        filer->writeString(3, lt->comments());
        filer->writeInt16(72, 65);
        filer->writeInt16(73, static_cast<Adesk::Int16>(lt->numDashes()));
        filer->writeDouble(40, lt->patternLength());
        for (int i = 0; i < lt->numDashes(); ++i) {
            filer->writeDouble(49, lt->dashLengthAt(i));
            filer->writeInt16(74, 0);
        }
    } else if (auto* style = AcDbTextStyleTableRecord::cast(record)) {
        const char* file = nullptr;
        const char* bigFont = nullptr;
        style->fileName(file);
        style->bigFontFileName(bigFont);
        filer->writeDouble(40, style->textSize());
        filer->writeDouble(41, style->xScale());
        filer->writeDouble(50, style->obliquingAngle() / kDegree);
        filer->writeInt16(71, style->flagBits());
        filer->writeDouble(42, style->priorSize());
        filer->writeString(3, file);
        filer->writeString(4, bigFont);
    } else if (auto* vp = AcDbViewportTableRecord::cast(record)) {
        filer->writePoint2d(12, vp->centerPoint());
        filer->writePoint3d(16, AcGePoint3d::kOrigin + vp->viewDirection());
        filer->writeDouble(40, vp->height());
        filer->writeDouble(41, vp->height() > 0.0 ? vp->width() / vp->height() : 1.0);
    } else if (auto* btr = AcDbBlockTableRecord::cast(record)) {
        AcArray<Adesk::UInt8> icon;
        btr->getPreviewIcon(icon);
        if (!icon.isEmpty()) filer->writeBytes(310, icon.asArrayPtr(), static_cast<uint32_t>(icon.length()));
    }
}

// One group of a record's own part; groups of no interest are passed over.
// Groups that only make sense together, applied once the record is read.
struct Pending {
    std::vector<double> dashes;
    bool sawDashes = false;
    double aspect = -1.0;
};

void readOwn(AcDbSymbolTableRecord* record, const resbuf& rb, AcDbDatabase* db, Pending& pending) {
    const int code = rb.restype;
    if (auto* layer = AcDbLayerTableRecord::cast(record)) {
        if (code == 62) {
            int c = rb.resval.rint;
            layer->setIsOff(c < 0);
            c = std::abs(c);
            layer->setColor(AcCmColor::fromIndex(static_cast<Adesk::UInt16>(c >= 1 && c <= 255 ? c : 7)));
        } else if (code == 6 && db) {
            auto* table = peekAs<AcDbSymbolTable>(db->linetypeTableId());
            AcDbObjectId lt = table && rb.resval.rstring ? table->internalLookup(rb.resval.rstring) : AcDbObjectId::kNull;
            layer->setLinetypeObjectId(lt.isNull() ? db->continuousLinetype() : lt);
        } else if (code == 290) {
            layer->setIsPlottable(rb.resval.rint != 0);
        } else if (code == 370) {
            layer->setLineWeight(static_cast<AcDb::LineWeight>(rb.resval.rint));
        }
    } else if (auto* lt = AcDbLinetypeTableRecord::cast(record)) {
        if (code == 3) lt->setComments(rb.resval.rstring);
        else if (code == 49) {
            pending.dashes.push_back(rb.resval.rreal);
            pending.sawDashes = true;
        }
    } else if (auto* style = AcDbTextStyleTableRecord::cast(record)) {
        switch (code) {
        case 40: style->setTextSize(rb.resval.rreal); break;
        case 41: style->setXScale(rb.resval.rreal); break;
        case 50: style->setObliquingAngle(rb.resval.rreal * kDegree); break;
        case 71: style->setFlagBits(static_cast<Adesk::UInt8>(rb.resval.rint)); break;
        case 42: style->setPriorSize(rb.resval.rreal); break;
        case 3: style->setFileName(rb.resval.rstring); break;
        case 4: style->setBigFontFileName(rb.resval.rstring); break;
        default: break;
        }
    } else if (auto* vp = AcDbViewportTableRecord::cast(record)) {
        switch (code) {
        case 12: vp->setCenterPoint(AcGePoint2d(rb.resval.rpoint[0], rb.resval.rpoint[1])); break;
        case 16: vp->setViewDirection(AcGeVector3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2])); break;
        case 40: vp->setHeight(rb.resval.rreal); break;
        case 41: pending.aspect = rb.resval.rreal; break;  // width over height
        default: break;
        }
    } else if (auto* btr = AcDbBlockTableRecord::cast(record)) {
        if (code == 310 && rb.resval.rbinary.buf && rb.resval.rbinary.clen > 0) {
            AcArray<Adesk::UInt8> icon;
            btr->getPreviewIcon(icon);
            for (short i = 0; i < rb.resval.rbinary.clen; ++i)
                icon.append(static_cast<Adesk::UInt8>(rb.resval.rbinary.buf[i]));
            btr->setPreviewIcon(icon);
        }
    }
}
}  // namespace

Acad::ErrorStatus AcDbSymbolTableRecord::dxfOutFields(AcDbDxfFiler* filer) const {
    if (Acad::ErrorStatus es = AcDbObject::dxfOutFields(filer); es != Acad::eOk) return es;
    filer->writeSubclass("AcDbSymbolTableRecord");
    if (const char* sub = recordSubclass(this)) filer->writeSubclass(sub);
    filer->writeString(2, m_name.c_str());
    filer->writeInt16(70, m_flags);
    writeOwn(this, filer);
    return filer->filerStatus();
}

// Reads the groups of both subclasses in any order, up to the end of the object.
Acad::ErrorStatus AcDbSymbolTableRecord::dxfInFields(AcDbDxfFiler* filer) {
    if (Acad::ErrorStatus es = AcDbObject::dxfInFields(filer); es != Acad::eOk) return es;
    if (!filer->atSubclassData("AcDbSymbolTableRecord") && filer->filerStatus() != Acad::eOk)
        return filer->filerStatus();
    AcDbDatabase* db = databaseOf(this, filer);
    Pending pending;
    resbuf rb;
    for (;;) {
        Acad::ErrorStatus es = filer->readItem(&rb);
        if (es == Acad::eEndOfObject || es == Acad::eEndOfFile) break;
        if (es != Acad::eOk) return es;
        if (rb.restype == 0 || rb.restype == 1001 || rb.restype == -3) {
            filer->pushBackItem();
            break;
        }
        if (rb.restype == 100) continue;
        if (rb.restype == 2) {
            std::string oldName = m_name;
            m_name = rb.resval.rstring ? rb.resval.rstring : "";
            auto* table = peekAs<AcDbSymbolTable>(ownerId());
            if (table && isDatabaseResident() && oldName != m_name) table->internalRename(oldName, m_name, objectId());
        } else if (rb.restype == 70) {
            m_flags = rb.resval.rint;
        } else {
            readOwn(this, rb, db, pending);
        }
    }
    if (auto* lt = AcDbLinetypeTableRecord::cast(this); lt && pending.sawDashes) {
        lt->setNumDashes(static_cast<int>(pending.dashes.size()));
        for (size_t i = 0; i < pending.dashes.size(); ++i) lt->setDashLengthAt(static_cast<int>(i), pending.dashes[i]);
    }
    if (auto* vp = AcDbViewportTableRecord::cast(this); vp && pending.aspect > 0.0)
        vp->setWidth(pending.aspect * vp->height());
    return filer->filerStatus();
}
