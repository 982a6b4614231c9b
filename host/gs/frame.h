#pragma once
// The software renderer of the graphics system: primitives projected once through a camera into
// reused buffers, ordered far to near where faces can hide things, and drawn with Cairo.
#include <cstdint>
#include <vector>
#include "gi/palette.h"
#include "gi/recorder.h"

typedef struct _cairo cairo_t;

namespace gs {

struct Camera {
    AcGeMatrix3d worldToImage;  // to image pixels, y down; projective for perspective views
    AcGeVector3d towardsViewer;  // unit; light comes from the viewer
    double pixelsPerUnit = 1.0;  // at the target
    int width = 1, height = 1;
    int mode = 0;  // the view's render mode
};

class FrameRenderer {
public:
    // Starts a frame; colours are those shown on the background.
    void begin(const Camera& camera, AcGiRgb background);
    // Adds a primitive in a colour index (1 to 255).
    void add(const AcGiPrimitive& p, int colorIndex);
    // Draws what was added over the context's current contents.
    void paint(cairo_t* cr);
    size_t itemCount() const { return m_items.size(); }

private:
    enum Kind : uint8_t { kStroke, kFace, kText };
    struct Point {
        double x, y;
    };
    struct Item {
        double depth;
        uint32_t first, count;
        Kind kind;
        bool closed;
        bool safe;  // every point within the coordinates Cairo takes
        AcGiRgb rgb, fill;
        const AcGiPrimitive* text;
    };
    // Projects points onto the image; false (nothing kept) when one is not finite or behind the viewer.
    bool project(const AcGePoint3d* points, size_t count, double& depth, bool& safe);
    void addPath(const AcGePoint3d* points, size_t count, bool closed, bool face, const AcGeVector3d& normal, AcGiRgb rgb);
    void addInfinite(const AcGiPrimitive& p, AcGiRgb rgb);
    void stroke(cairo_t* cr, const Item& item);
    void flush(cairo_t* cr);
    void pathOf(cairo_t* cr, const Item& item);
    void drawText(cairo_t* cr, const Item& item);

    Camera m_camera;
    AcGiRgb m_background{};
    AcGiRgb m_palette[256];
    double m_deviation = 1.0;  // world units
    std::vector<Point> m_points;
    std::vector<Item> m_items;
    std::vector<uint32_t> m_order;
    std::vector<AcGePoint3d> m_scratch;
    std::vector<Point> m_clipped, m_clipTemp;
    size_t m_faces = 0;
    bool m_pending = false;
    AcGiRgb m_pendingRgb{};
};

}  // namespace gs
