// The concrete symbol table records and their DWG fields.
#include <cmath>
#include <cstdlib>
#include "rx/rxclass.h"
#include "db/database.h"
#include "db/hostinternal.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbLayerTableRecord, AcDbSymbolTableRecord, "LAYER", ACRX_HOST_CONS(AcDbLayerTableRecord))
ACRX_HOST_DEFINE_MEMBERS(AcDbLinetypeTableRecord, AcDbSymbolTableRecord, "LTYPE", ACRX_HOST_CONS(AcDbLinetypeTableRecord))
ACRX_HOST_DEFINE_MEMBERS(AcDbTextStyleTableRecord, AcDbSymbolTableRecord, "STYLE", ACRX_HOST_CONS(AcDbTextStyleTableRecord))
ACRX_HOST_DEFINE_MEMBERS(AcDbViewportTableRecord, AcDbSymbolTableRecord, "VPORT", ACRX_HOST_CONS(AcDbViewportTableRecord))
ACRX_HOST_DEFINE_MEMBERS(AcDbRegAppTableRecord, AcDbSymbolTableRecord, "APPID", ACRX_HOST_CONS(AcDbRegAppTableRecord))
ACRX_HOST_DEFINE_MEMBERS(AcDbUCSTableRecord, AcDbSymbolTableRecord, "UCS", ACRX_HOST_CONS(AcDbUCSTableRecord))
ACRX_HOST_DEFINE_MEMBERS(AcDbViewTableRecord, AcDbSymbolTableRecord, "VIEW", ACRX_HOST_CONS(AcDbViewTableRecord))
ACRX_HOST_DEFINE_MEMBERS(AcDbDimStyleTableRecord, AcDbSymbolTableRecord, "DIMSTYLE", ACRX_HOST_CONS(AcDbDimStyleTableRecord))

#define CADHOST_PLAIN_RECORD_MEMBERS(RECORD) \
    RECORD::RECORD() = default;              \
    RECORD::~RECORD() = default;
CADHOST_PLAIN_RECORD_MEMBERS(AcDbRegAppTableRecord)
CADHOST_PLAIN_RECORD_MEMBERS(AcDbUCSTableRecord)
CADHOST_PLAIN_RECORD_MEMBERS(AcDbViewTableRecord)
CADHOST_PLAIN_RECORD_MEMBERS(AcDbDimStyleTableRecord)

namespace {
Acad::ErrorStatus readText(AcDbDwgFiler* filer, std::string& out) {
    std::string text = cadhost::db::readDwgText(filer);
    if (filer->filerStatus() == Acad::eOk) out = std::move(text);
    return filer->filerStatus();
}
}  // namespace

// Layers.
AcDbLayerTableRecord::AcDbLayerTableRecord() = default;
AcDbLayerTableRecord::~AcDbLayerTableRecord() = default;

Acad::ErrorStatus AcDbLayerTableRecord::setIsFrozen(bool frozen) {
    assertWriteEnabled();
    setFlags(static_cast<Adesk::Int16>(frozen ? (flags() | 1) : (flags() & ~1)));
    return Acad::eOk;
}

void AcDbLayerTableRecord::setIsLocked(bool locked) {
    assertWriteEnabled();
    setFlags(static_cast<Adesk::Int16>(locked ? (flags() | 4) : (flags() & ~4)));
}

Acad::ErrorStatus AcDbLayerTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
    if (Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writeUInt16(m_color.colorIndex());
    filer->writeBool(m_off);
    filer->writeBool(m_plot);
    filer->writeHardPointerId(AcDbHardPointerId(m_linetype));
    filer->writeInt16(static_cast<Adesk::Int16>(m_weight));
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbLayerTableRecord::dwgInFields(AcDbDwgFiler* filer) {
    if (Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(filer); es != Acad::eOk) return es;
    Adesk::UInt16 color = 7;
    bool off = false, plot = true;
    AcDbHardPointerId linetype;
    Adesk::Int16 weight = AcDb::kLnWtByLwDefault;
    filer->readUInt16(&color);
    filer->readBool(&off);
    filer->readBool(&plot);
    filer->readHardPointerId(&linetype);
    filer->readInt16(&weight);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    m_color = AcCmColor::fromIndex(color);
    m_off = off;
    m_plot = plot;
    m_linetype = linetype;
    m_weight = static_cast<AcDb::LineWeight>(weight);
    return Acad::eOk;
}

// Linetypes: dash lengths, positive for dashes, negative for gaps, zero for dots.
AcDbLinetypeTableRecord::AcDbLinetypeTableRecord() = default;
AcDbLinetypeTableRecord::~AcDbLinetypeTableRecord() = default;

Acad::ErrorStatus AcDbLinetypeTableRecord::setComments(const char* text) {
    assertWriteEnabled();
    m_comments = text ? text : "";
    return Acad::eOk;
}

double AcDbLinetypeTableRecord::patternLength() const {
    assertReadEnabled();
    double total = 0.0;
    for (double d : m_dashes) total += std::fabs(d);
    return total;
}

Acad::ErrorStatus AcDbLinetypeTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
    if (Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writeString(m_comments.c_str());
    filer->writeInt32(m_dashes.length());
    for (double d : m_dashes) filer->writeDouble(d);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbLinetypeTableRecord::dwgInFields(AcDbDwgFiler* filer) {
    if (Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(filer); es != Acad::eOk) return es;
    std::string comments;
    Adesk::Int32 n = 0;
    readText(filer, comments);
    filer->readInt32(&n);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    if (n < 0 || n > 4096) {
        filer->setFilerStatus(Acad::eFilerError);
        return Acad::eFilerError;
    }
    AcDbDoubleArray dashes;
    for (Adesk::Int32 i = 0; i < n && filer->filerStatus() == Acad::eOk; ++i) {
        double d = 0.0;
        filer->readDouble(&d);
        dashes.append(d);
    }
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    m_comments = comments;
    m_dashes = dashes;
    return Acad::eOk;
}

// Text styles.
AcDbTextStyleTableRecord::AcDbTextStyleTableRecord() = default;
AcDbTextStyleTableRecord::~AcDbTextStyleTableRecord() = default;

Acad::ErrorStatus AcDbTextStyleTableRecord::setFileName(const char* name) {
    assertWriteEnabled();
    m_file = name ? name : "";
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setBigFontFileName(const char* name) {
    assertWriteEnabled();
    m_bigFont = name ? name : "";
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
    if (Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writeDouble(m_size);
    filer->writeDouble(m_xScale);
    filer->writeDouble(m_oblique);
    filer->writeDouble(m_prior);
    filer->writeUInt8(m_flagBits);
    filer->writeString(m_file.c_str());
    filer->writeString(m_bigFont.c_str());
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbTextStyleTableRecord::dwgInFields(AcDbDwgFiler* filer) {
    if (Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(filer); es != Acad::eOk) return es;
    double size = 0, xScale = 1, oblique = 0, prior = 0.2;
    Adesk::UInt8 bits = 0;
    std::string file, bigFont;
    filer->readDouble(&size);
    filer->readDouble(&xScale);
    filer->readDouble(&oblique);
    filer->readDouble(&prior);
    filer->readUInt8(&bits);
    readText(filer, file);
    readText(filer, bigFont);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    m_size = size;
    m_xScale = xScale;
    m_oblique = oblique;
    m_prior = prior;
    m_flagBits = bits;
    m_file = file;
    m_bigFont = bigFont;
    return Acad::eOk;
}

// Viewports.
AcDbViewportTableRecord::AcDbViewportTableRecord() = default;
AcDbViewportTableRecord::~AcDbViewportTableRecord() = default;

Acad::ErrorStatus AcDbViewportTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
    if (Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writePoint2d(m_center);
    filer->writeDouble(m_height);
    filer->writeDouble(m_width);
    filer->writeVector3d(m_direction);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbViewportTableRecord::dwgInFields(AcDbDwgFiler* filer) {
    if (Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(filer); es != Acad::eOk) return es;
    AcGePoint2d center;
    double height = 0, width = 0;
    AcGeVector3d direction;
    filer->readPoint2d(&center);
    filer->readDouble(&height);
    filer->readDouble(&width);
    filer->readVector3d(&direction);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    m_center = center;
    m_height = height;
    m_width = width;
    m_direction = direction;
    return Acad::eOk;
}
