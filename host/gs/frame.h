#pragma once
// The software renderer of the graphics system: primitives projected once through a camera into
// reused buffers, ordered far to near where faces can hide things, and drawn with Cairo.
#include <cstdint>
#include <vector>
#include "gi/palette.h"
#include "gi/recorder.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

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
    // Draws what was added over an ARGB32 image of the camera's size (lines straight into its
    // pixels, faces and text through Cairo).
    void paint(cairo_surface_t* image);
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
        bool safe;  // every point within the coordinates Cairo takes (faces)
        AcGiRgb rgb, fill;
        const AcGiPrimitive* text;
    };
    // Projects points onto the image; false (nothing kept) when one is not finite or behind the viewer.
    bool project(const AcGePoint3d* points, size_t count, double& depth, bool& safe);
    void addPath(const AcGePoint3d* points, size_t count, bool closed, bool face, const AcGeVector3d& normal, AcGiRgb rgb);
    void addInfinite(const AcGiPrimitive& p, AcGiRgb rgb);
    static uint32_t argb(AcGiRgb c);
    void toCairo();
    void toPixels();
    void line(double x0, double y0, double x1, double y1, uint32_t color);
    void stroke(const Item& item);
    void facePath(cairo_t* cr, const Item& item);
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
    cairo_surface_t* m_image = nullptr;  // while painting
    uint32_t* m_pixels = nullptr;
    size_t m_stride = 0;  // in pixels
    bool m_cairo = false;  // Cairo may hold drawing not yet in the pixels
};

}  // namespace gs
