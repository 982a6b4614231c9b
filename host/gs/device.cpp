// Devices: the frame a device draws from its views, and its painting into the window.
#include <cairo.h>
#include <algorithm>
#include <cmath>
#include <map>
#include "db/database.h"
#include "gs/frame.h"
#include "gs/node.h"
#include "win/gdiobjects.h"
#include "win/windowstate.h"
#include "win/winuser.h"

namespace {
constexpr int kMaxSide = 8192;

// The viewport a view answers to what its drawables draw for it.
class ViewViewport : public AcGiViewport {
public:
    explicit ViewViewport(const AcGsView& view) : m_view(view) {}
    void getModelToEyeTransform(AcGeMatrix3d& xform) const override { xform = m_view.viewingMatrix(); }
    void getEyeToModelTransform(AcGeMatrix3d& xform) const override { xform = m_view.viewingMatrix().inverse(); }
    void getViewportDcCorners(AcGePoint2d& lowerLeft, AcGePoint2d& upperRight) const override {
        int w, h;
        m_view.devicePixels(w, h);
        lowerLeft = AcGePoint2d(0, 0);
        upperRight = AcGePoint2d(w, h);
    }
    void getNumPixelsInUnitSquare(const AcGePoint3d&, AcGePoint2d& pixelArea) const override {
        const double ppu = pixelsPerUnit(m_view);
        pixelArea = AcGePoint2d(ppu, ppu);
    }
    AcGeVector3d viewDir() const override {
        AcGeVector3d right, up, back;
        m_view.axes(right, up, back);
        return back;
    }
    static double pixelsPerUnit(const AcGsView& view) {
        int w, h;
        view.devicePixels(w, h);
        double fw, fh;
        view.fittedField(fw, fh);
        return w / fw;
    }

private:
    const AcGsView& m_view;
};

// Layer colours and visibility, looked up once per recording.
class Layers {
public:
    // The colour index a primitive shows in, -1 when its layer is off or frozen.
    int colorOf(const AcGiPrimitive& p, AcDbDatabase* db) {
        AcDbObjectId id = p.effective.layerId;
        if (id.isNull() && db) id = db->layerZero();
        int color = p.effective.color;
        if (!id.isNull()) {
            auto it = m_layers.find(id);
            if (it == m_layers.end()) {
                int layerColor = 7;
                AcDbLayerTableRecord* record = nullptr;
                if (acdbOpenObject(record, id, AcDb::kForRead) == Acad::eOk) {
                    layerColor = record->isOff() || record->isFrozen() ? -1 : record->color().colorIndex();
                    record->close();
                }
                it = m_layers.emplace(id, layerColor).first;
            }
            if (it->second < 0) return -1;
            if (color == 256) color = it->second;
        }
        return color >= 1 && color <= 255 ? color : 7;
    }
    bool frozen(AcDbObjectId id) {
        AcDbLayerTableRecord* record = nullptr;
        if (id.isNull() || acdbOpenObject(record, id, AcDb::kForRead) != Acad::eOk) return false;
        const bool result = record->isFrozen();
        record->close();
        return result;
    }

private:
    std::map<AcDbObjectId, int> m_layers;
};
}  // namespace

struct AcGsDevice::Renderer {
    AcGiRecordingDraw recorder;
    gs::FrameRenderer frame;

    // Records a node: a drawable kept by pointer as it is; a database object opened for read (a
    // block table record by its entities, one at a time) and closed again.
    void record(AcGsModel::Node& node, const AcGsView& view) {
        ViewViewport viewport(view);
        int w, h;
        view.devicePixels(w, h);
        double fw, fh;
        view.fittedField(fw, fh);
        recorder.clear();
        recorder.useViewport(&viewport);
        recorder.setViewport(AcGePoint2d(0, 0), AcGePoint2d(w, h), AcGePoint2d(view.target().x, view.target().y), fh);
        Layers layers;
        AcDbDatabase* db = nullptr;
        if (node.transient) {
            recorder.setDatabase(nullptr);
            recorder.draw(node.transient);
        } else {
            db = node.id.database();
            recorder.setDatabase(db);
            AcDbObject* object = nullptr;
            if (acdbOpenObject(object, node.id, AcDb::kForRead) == Acad::eOk) {
                if (auto* block = AcDbBlockTableRecord::cast(object)) {
                    const std::vector<AcDbObjectId> ids = block->entityIds();
                    block->close();
                    for (const AcDbObjectId& id : ids) {
                        AcDbEntity* entity = nullptr;
                        if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) continue;
                        if (!layers.frozen(entity->layerId())) recorder.draw(entity);  // a frozen insert hides whole
                        entity->close();
                    }
                } else {
                    recorder.draw(object);
                    object->close();
                }
            }
        }
        recorder.useViewport(nullptr);
        recorder.takePrimitives(node.primitives);
        node.colors.resize(node.primitives.size());
        node.viewDependent = false;
        for (size_t i = 0; i < node.primitives.size(); ++i) {
            node.colors[i] = static_cast<int16_t>(layers.colorOf(node.primitives[i], db));
            node.viewDependent = node.viewDependent || node.primitives[i].viewportDependent;
        }
        node.recorded = true;
    }

    void draw(AcGsView& view, cairo_surface_t* image, int width, int height, AcGiRgb background) {
        gs::Camera camera;
        // Device y runs up; device pixel (x, y) is centred at image point (x + 0.5, height - y - 0.5).
        const AcGeMatrix3d flip = [&] {
            AcGeMatrix3d m;
            m.entry[0][3] = 0.5;
            m.entry[1][1] = -1.0;
            m.entry[1][3] = height - 0.5;
            return m;
        }();
        camera.worldToImage = flip * view.worldToDeviceMatrix();
        AcGeVector3d right, up;
        view.axes(right, up, camera.towardsViewer);
        camera.pixelsPerUnit = ViewViewport::pixelsPerUnit(view);
        camera.width = width;
        camera.height = height;
        camera.mode = view.mode();
        frame.begin(camera, background);
        for (AcGsModel::Node* node : view.nodes()) {
            if (!node->recorded || node->viewDependent) record(*node, view);
            for (size_t i = 0; i < node->primitives.size(); ++i)
                if (node->colors[i] >= 0) frame.add(node->primitives[i], node->colors[i]);
        }
        frame.paint(image);
        view.setValid();
    }
};

AcGsDevice::AcGsDevice(HWND window) : m_renderer(std::make_unique<Renderer>()), m_window(window) {
    RECT client{};
    GetClientRect(window, &client);
    onSize(client.right - client.left, client.bottom - client.top);
}

AcGsDevice::~AcGsDevice() {
    gs::Registry& reg = gs::registry();
    for (AcGsView* view : m_views) view->attach(nullptr);
    m_views.clear();
    reg.devices.erase(this);
}

bool AcGsDevice::add(AcGsView* view) {
    if (!gs::registry().views.count(view)) return false;
    if (std::find(m_views.begin(), m_views.end(), view) != m_views.end()) return true;
    if (AcGsDevice* other = view->getDevice()) other->erase(view);
    m_views.push_back(view);
    view->attach(this);
    view->invalidate();
    m_invalid = true;
    return true;
}

bool AcGsDevice::erase(AcGsView* view) {
    auto it = std::find(m_views.begin(), m_views.end(), view);
    if (it == m_views.end()) return false;
    m_views.erase(it);
    view->attach(nullptr);
    m_invalid = true;
    return true;
}

void AcGsDevice::eraseAll() {
    for (AcGsView* view : m_views) view->attach(nullptr);
    m_views.clear();
    m_invalid = true;
}

void AcGsDevice::onSize(int width, int height) {
    width = std::clamp(width, 1, kMaxSide);
    height = std::clamp(height, 1, kMaxSide);
    if (width == m_width && height == m_height && !m_frame.empty()) return;
    m_width = width;
    m_height = height;
    for (AcGsView* view : m_views) view->invalidate();
    m_invalid = true;
}

void AcGsDevice::invalidate() { m_invalid = true; }

bool AcGsDevice::needsFrame() const {
    if (m_invalid || m_frame.size() != size_t(m_width) * size_t(m_height)) return true;
    for (const AcGsView* view : m_views) {
        if (view->isInvalid()) return true;
        for (const AcGsModel::Node* node : view->nodes())
            if (!node->recorded) return true;
    }
    return false;
}

void AcGsDevice::update(AcGsDCRect* updatedRect) {
    if (needsFrame()) render();
    if (updatedRect) {
        updatedRect->m_min = AcGsDCPoint{0, 0};
        updatedRect->m_max = AcGsDCPoint{m_width - 1, m_height - 1};
    }
    paintWindow();
}

void AcGsDevice::render() {
    const AcGiRgb background{0, 0, 0};
    m_frame.assign(size_t(m_width) * size_t(m_height),
                   0xFF000000u | (uint32_t(background.r) << 16) | (uint32_t(background.g) << 8) | background.b);
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(m_frame.data()), CAIRO_FORMAT_ARGB32,
                                            m_width, m_height, m_width * 4);
    for (AcGsView* view : m_views) m_renderer->draw(*view, surface, m_width, m_height, background);
    cairo_surface_destroy(surface);
    m_invalid = false;
    ++m_frames;
}

// While the window is being painted, the frame goes into its client area.
void AcGsDevice::paintWindow() {
    winstate::Window* w = winstate::find(m_window);
    if (!w || !w->paintTarget) return;
    gdi::Context* c = gdi::context(w->paintTarget);
    if (!c || m_frame.empty()) return;
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(m_frame.data()), CAIRO_FORMAT_ARGB32,
                                            m_width, m_height, m_width * 4);
    gdi::prepare(c);
    cairo_set_source_surface(c->cr, surface, c->state.origin.x, c->state.origin.y);
    cairo_paint(c->cr);
    cairo_set_source_rgb(c->cr, 0, 0, 0);
    cairo_surface_destroy(surface);
}
