#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "gi/recorder.h"

class AcDbDatabase;

// Text of an entity as Cairo takes it: UTF-8, with %% control codes and \U+XXXX replaced.
CADHOST_API std::string acgiDisplayText(const std::string& text);
// Cap height of the sans face that draws text, at size 1.
CADHOST_API double acgiTextCapHeight();
// Clips a segment to the square [lo, hi] x [lo, hi]; false when nothing is left.
CADHOST_API bool acgiClipSegment(double& x0, double& y0, double& x1, double& y1, double lo, double hi);

struct CADHOST_API AcGiRenderOptions {
    int width = 800;  // image size in pixels (PNG and SVG)
    int height = 600;
    bool blackBackground = false;
    // The area shown: centre and height in world units; a height of 0 fits the extents of what
    // is drawn, leaving margin (a share of each side) free.
    AcGePoint2d viewCenter;
    double viewHeight = 0.0;
    double margin = 0.05;
    bool antialias = true;
    // Line widths from lineweights (hundredths of a millimetre at pixelsPerMm); otherwise, and
    // for weights below one pixel, lines are one pixel wide.
    bool lineweights = true;
    double pixelsPerMm = 96.0 / 25.4;
};

// Renders the entities of a block table record (the current space when none is given), plan
// view, Y up: pictures and PNG files through Cairo, SVG files written as they are drawn (strokes
// of one style in one path, text as text elements). Files are replaced whole or left as they were. Entities are opened for read one at a time and closed again; colours
// by layer come from the layer records, by block from the enclosing block reference; entities
// on layers that are off or frozen are left out.
class CADHOST_API AcGiRenderer {
public:
    explicit AcGiRenderer(const AcGiRenderOptions& options = AcGiRenderOptions());
    AcGiRenderOptions& options() { return m_options; }
    const AcGiRenderOptions& options() const { return m_options; }

    Acad::ErrorStatus renderToPng(AcDbDatabase* db, const char* fileName, AcDbObjectId blockId = AcDbObjectId::kNull);
    Acad::ErrorStatus renderToSvg(AcDbDatabase* db, const char* fileName, AcDbObjectId blockId = AcDbObjectId::kNull);
    // Rows top to bottom of 0xAARRGGBB values, width x height of them (the options' size is not used).
    Acad::ErrorStatus renderToImage(AcDbDatabase* db, AcDbObjectId blockId, int width, int height,
                                    std::vector<uint32_t>& pixels);
    // A packed DIB of that size (8-bit colour index palette or 24-bit), for preview icons.
    Acad::ErrorStatus renderToDib(AcDbDatabase* db, AcDbObjectId blockId, int width, int height,
                                  AcArray<Adesk::UInt8>& dib, int bitCount = 8);

    // The same for what a recorder holds; layers resolve through db when it is given.
    Acad::ErrorStatus renderToPng(const AcGiRecordingDraw& recorder, const char* fileName, AcDbDatabase* db = nullptr);
    Acad::ErrorStatus renderToSvg(const AcGiRecordingDraw& recorder, const char* fileName, AcDbDatabase* db = nullptr);
    Acad::ErrorStatus renderToImage(const AcGiRecordingDraw& recorder, int width, int height,
                                    std::vector<uint32_t>& pixels, AcDbDatabase* db = nullptr);

    // Of the last render: the view used, the primitives drawn, and what went wrong.
    AcGePoint2d viewCenter() const { return m_center; }
    double viewHeight() const { return m_viewHeight; }
    size_t drawnCount() const { return m_drawn; }
    const std::string& lastError() const { return m_error; }

private:
    struct Scene;
    struct Item;
    class Painter;
    enum class Target { kPng, kSvg, kImage };
    Acad::ErrorStatus renderDatabase(AcDbDatabase* db, AcDbObjectId blockId, Target target, const char* fileName,
                                     int width, int height, std::vector<uint32_t>* pixels);
    Acad::ErrorStatus renderRecording(const AcGiRecordingDraw& recorder, AcDbDatabase* db, Target target,
                                      const char* fileName, int width, int height, std::vector<uint32_t>* pixels);
    // Draws the entities one at a time and visits each primitive with its resolved colour and
    // width (null when its layer is off or frozen).
    template <class Visit>
    void forEachItem(Scene& scene, const std::vector<AcDbObjectId>& ids, Visit&& visit);
    // Colour and line width of a primitive; false when its layer is off or frozen.
    bool resolve(Scene& scene, const AcGiPrimitive& p, Item& item);
    // The view that shows extents (of what is drawn) with the options' margin.
    void fitTo(const AcDbExtents& ext, int width, int height);
    Acad::ErrorStatus fail(Acad::ErrorStatus es, const std::string& message);

    AcGiRenderOptions m_options;
    AcGePoint2d m_center;
    double m_viewHeight = 0.0;
    size_t m_drawn = 0;
    std::string m_error;
};
