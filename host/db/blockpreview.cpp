#include "db/blockpreview.h"
#include "db/hostinternal.h"
#include "gi/dib.h"
#include "gi/renderer.h"

Acad::ErrorStatus acdbHostRenderBlockPreview(AcDbDatabase* db, AcDbObjectId blockId, int width, int height,
                                             AcArray<Adesk::UInt8>& dib, bool antialias) {
    dib.removeAll();
    if (!acgiImageSizeAllowed(width, height)) return Acad::eInvalidInput;
    AcGiRenderOptions options;
    options.blackBackground = true;
    options.lineweights = false;
    options.antialias = antialias;
    AcGiRenderer renderer(options);
    if (db && !blockId.isNull() && renderer.renderToDib(db, blockId, width, height, dib, 8) == Acad::eOk)
        return Acad::eOk;
    const std::vector<uint32_t> black(size_t(width) * size_t(height), 0xFF000000u);
    return acgiPackedDibFromImage(black, width, height, dib, 8);
}

Acad::ErrorStatus acdbHostStoreBlockIcon(AcDbDatabase* db, AcDbObjectId blockId) {
    AcArray<Adesk::UInt8> icon;
    Acad::ErrorStatus es = acdbHostRenderBlockPreview(db, blockId, kAcDbBlockIconSize, kAcDbBlockIconSize, icon, false);
    if (es != Acad::eOk) return es;
    AcDbBlockTableRecord* block = nullptr;
    if ((es = acdbOpenObject(block, blockId, AcDb::kForWrite)) != Acad::eOk) return es;
    es = block->setPreviewIcon(icon);
    block->close();
    return es;
}
