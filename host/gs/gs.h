#pragma once
// The graphics system for previews: a manager hands out devices bound to windows and models;
// its class factory makes views. A view looks at the drawables added to it through a camera
// and draws them, in one of the render modes, onto its device, which paints the window.
#include <cstdint>
#include <memory>
#include <vector>
#include "ge/matrix.h"
#include "gi/drawable.h"
#include "win/windef.h"

class AcGsDevice;
class AcGsModel;
class AcGsView;

// Device pixels. Rectangles are inclusive: m_max is the last pixel.
struct AcGsDCPoint {
    long x = 0, y = 0;
};
struct AcGsDCRect {
    AcGsDCPoint m_min, m_max;
};

// What a model keeps of a drawable added to a view (its recorded geometry).
class CADHOST_API AcGsNode {
public:
    virtual ~AcGsNode();
    AcGsModel* model() const { return m_model; }

protected:
    explicit AcGsNode(AcGsModel* model) : m_model(model) {}

private:
    AcGsModel* m_model;
};

// A set of drawables that views draw, with the geometry recorded from them. A drawable is
// recorded once and again after onModified or invalidate; one that draws for the viewport,
// each time a view draws a frame.
class CADHOST_API AcGsModel {
public:
    enum RenderType { kMain = 0 };
    enum InvalidationHint { kInvalidateNone = 0, kInvalidateIsolines = 1, kInvalidateViewportCache = 2, kInvalidateAll = 3 };

    virtual ~AcGsModel();
    virtual void onAdded(AcGiDrawable* added, AcGiDrawable* parent);
    virtual void onModified(AcGiDrawable* modified, AcGiDrawable* parent);
    virtual void onErased(AcGiDrawable* erased, AcGiDrawable* parent);
    virtual void invalidate(InvalidationHint hint);

    // Host side: the node of a drawable (made when missing), and the recording it holds.
    class Node;
    Node* node(AcGiDrawable* drawable, bool make);
    // Drops a view's hold on the node; the last one deletes it (telling a drawable kept by
    // pointer when tell is set).
    void release(Node* node, bool tell);
    const std::vector<Node*>& nodes() const { return m_nodes; }

private:
    friend class AcGsManager;
    friend class AcGsClassFactory;
    AcGsModel() = default;
    void changed(Node* node);
    std::vector<Node*> m_nodes;
};

class CADHOST_API AcGsView {
public:
    enum Projection { kParallel = 0, kPerspective = 1 };
    // As the host numbers them. Wireframes draw every primitive as its outline; hidden line
    // fills faces in the background colour; the shaded modes fill faces lit from the viewer
    // (Gouraud shades flat here), with their outlines in the modes with edges.
    enum RenderMode {
        k2DOptimized = 0,
        kWireframe = 1,
        kHiddenLine = 2,
        kFlatShaded = 3,
        kGouraudShaded = 4,
        kFlatShadedWithWireframe = 5,
        kGouraudShadedWithWireframe = 6,
    };

    virtual ~AcGsView();

    // The camera. A field is the world size that fills the device; when its aspect differs from
    // the device's the field grows in one direction so that all of it shows. A call that would
    // leave the camera undefined (non-finite numbers, a field not above 0) changes nothing;
    // an up vector along the view direction is replaced by a perpendicular one.
    virtual void setView(const AcGePoint3d& position, const AcGePoint3d& target, const AcGeVector3d& upVector,
                         double fieldWidth, double fieldHeight, Projection projection = kParallel);
    virtual AcGePoint3d position() const { return m_position; }
    virtual AcGePoint3d target() const { return m_target; }
    virtual AcGeVector3d upVector() const { return m_up; }
    virtual double fieldWidth() const { return m_fieldWidth; }
    virtual double fieldHeight() const { return m_fieldHeight; }
    virtual bool isPerspective() const { return m_projection == kPerspective; }
    // The field scaled by 1 / factor.
    virtual void zoom(double factor);
    // Position and target moved by a vector of view coordinates (x right, y up, z towards the viewer).
    virtual void dolly(const AcGeVector3d& vector);
    virtual void dolly(double x, double y, double z);
    // The up vector turned about the view direction (from position to target) by the angle.
    virtual void roll(double angle);
    // The camera turned about the target: x about the up axis (positive to the right), then y
    // about the right axis (positive upwards).
    virtual void orbit(double x, double y);

    // Modes outside 0 to 6 are refused and leave the mode as it is.
    virtual void setMode(RenderMode mode);
    virtual RenderMode mode() const { return m_mode; }

    virtual bool add(AcGiDrawable* drawable, AcGsModel* model);
    virtual bool erase(AcGiDrawable* drawable);
    virtual void eraseAll();
    virtual void invalidate();
    virtual void update();
    virtual AcGsDevice* getDevice() const { return m_device; }

    // The device pixels the view covers (the whole device).
    virtual void getViewport(AcGsDCRect& rect) const;
    // World to eye coordinates: the target at the origin, x right, y up, z towards the viewer.
    virtual AcGeMatrix3d viewingMatrix() const;
    // Eye to normalized coordinates (-1 to 1 across the fitted field; perspective divides by
    // the distance from the position).
    virtual AcGeMatrix3d projectionMatrix() const;
    // Normalized to device coordinates: pixels, origin at the lower left, y up.
    virtual AcGeMatrix3d screenMatrix() const;
    virtual AcGeMatrix3d worldToDeviceMatrix() const;

    // Host side.
    const std::vector<AcGsModel::Node*>& nodes() const { return m_nodes; }
    bool isInvalid() const { return m_invalid; }
    void setValid() { m_invalid = false; }
    // The width and height in pixels the camera fits the field to.
    void devicePixels(int& width, int& height) const;
    // The field as shown: width and height grown to the device's aspect.
    void fittedField(double& width, double& height) const;
    // Unit axes of the camera: right, up and towards the viewer.
    void axes(AcGeVector3d& right, AcGeVector3d& up, AcGeVector3d& back) const;
    void attach(AcGsDevice* device) { m_device = device; }
    void dropModel(AcGsModel* model);

private:
    friend class AcGsClassFactory;
    AcGsView() = default;
    void turn(const AcGeMatrix3d& rotation);
    void changed();

    AcGePoint3d m_position{0, 0, 1};
    AcGePoint3d m_target{0, 0, 0};
    AcGeVector3d m_up{0, 1, 0};
    double m_fieldWidth = 1.0, m_fieldHeight = 1.0;
    Projection m_projection = kParallel;
    RenderMode m_mode = k2DOptimized;
    AcGsDevice* m_device = nullptr;
    std::vector<AcGsModel::Node*> m_nodes;
    bool m_invalid = true;
};

// A drawing surface bound to a window: update draws its views into a frame (background
// black) and, while the window is being painted, paints the frame into the window.
class CADHOST_API AcGsDevice {
public:
    virtual ~AcGsDevice();
    virtual bool add(AcGsView* view);
    virtual bool erase(AcGsView* view);
    virtual void eraseAll();
    // Sizes below one pixel count as one; sizes beyond any screen are capped.
    virtual void onSize(int width, int height);
    virtual void invalidate();
    virtual void update(AcGsDCRect* updatedRect = nullptr);

    // Host side.
    HWND window() const { return m_window; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    const std::vector<AcGsView*>& views() const { return m_views; }
    // The last frame: rows top to bottom of 0xAARRGGBB values, width() x height() of them.
    const std::vector<uint32_t>& frame() const { return m_frame; }
    // Frames drawn so far (an update with nothing changed draws none).
    int frameCount() const { return m_frames; }

private:
    friend class AcGsManager;
    explicit AcGsDevice(HWND window);
    bool needsFrame() const;
    void render();
    void paintWindow();
    struct Renderer;
    std::unique_ptr<Renderer> m_renderer;

    HWND m_window = nullptr;
    int m_width = 1, m_height = 1;
    std::vector<AcGsView*> m_views;
    std::vector<uint32_t> m_frame;
    bool m_invalid = true;
    int m_frames = 0;
};

class CADHOST_API AcGsClassFactory {
public:
    virtual ~AcGsClassFactory();
    virtual AcGsView* createView();
    virtual void deleteView(AcGsView* view);
    virtual AcGsModel* createModel(AcGsModel::RenderType type = AcGsModel::kMain, long databaseId = 0);
    virtual void deleteModel(AcGsModel* model);
};

class CADHOST_API AcGsManager {
public:
    virtual ~AcGsManager();
    // A device for the window, sized to its client area; null for no window.
    virtual AcGsDevice* createAutoCADDevice(HWND window);
    virtual void destroyAutoCADDevice(AcGsDevice* device);
    virtual AcGsModel* createAutoCADModel();
    virtual void destroyAutoCADModel(AcGsModel* model);
    virtual AcGsClassFactory* getGSClassFactory();
};

// The host's graphics manager (one serves every view, and no view in particular).
CADHOST_API AcGsManager* acgsGetGsManager(AcGsView* view = nullptr);
