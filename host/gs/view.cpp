// Views: the camera, its operations and matrices, and the drawables a view shows.
#include <algorithm>
#include <cmath>
#include "gs/node.h"

namespace {
bool finite(const AcGeVector3d& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool finite(const AcGePoint3d& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }
bool usableField(double f) { return f > 0.0 && std::isfinite(f); }
}  // namespace

AcGsView::~AcGsView() {
    gs::Registry& reg = gs::registry();
    if (m_device && reg.devices.count(m_device)) m_device->erase(this);
    for (AcGsModel::Node* node : m_nodes) node->model()->release(node, !reg.closing);
    m_nodes.clear();
    reg.views.erase(this);
}

void AcGsView::changed() { m_invalid = true; }

void AcGsView::setView(const AcGePoint3d& position, const AcGePoint3d& target, const AcGeVector3d& upVector,
                       double fieldWidth, double fieldHeight, Projection projection) {
    if (!finite(position) || !finite(target) || !finite(upVector) || !usableField(fieldWidth) ||
        !usableField(fieldHeight) || !((position - target).length() > 0.0) ||
        !std::isfinite((position - target).length()))
        return;
    m_position = position;
    m_target = target;
    m_up = upVector;
    m_fieldWidth = fieldWidth;
    m_fieldHeight = fieldHeight;
    m_projection = projection == kPerspective ? kPerspective : kParallel;
    changed();
}

void AcGsView::axes(AcGeVector3d& right, AcGeVector3d& up, AcGeVector3d& back) const {
    back = m_position - m_target;
    const double len = back.length();
    back = len > 0.0 ? back / len : AcGeVector3d::kZAxis;
    up = m_up - back * m_up.dotProduct(back);
    const double upLen = up.length();
    // An up vector along the view direction (or none): the one the plane of the view gives.
    if (!(upLen > 1e-12 * std::max(1.0, m_up.length()))) {
        const AcGeMatrix3d plane = AcGeMatrix3d::planeToWorld(back);
        up = AcGeVector3d(plane.entry[0][1], plane.entry[1][1], plane.entry[2][1]);
    } else {
        up = up / upLen;
    }
    right = up.crossProduct(back);
}

void AcGsView::zoom(double factor) {
    if (!(factor > 0.0) || !std::isfinite(factor)) return;
    const double w = m_fieldWidth / factor, h = m_fieldHeight / factor;
    if (!usableField(w) || !usableField(h)) return;
    m_fieldWidth = w;
    m_fieldHeight = h;
    changed();
}

void AcGsView::dolly(const AcGeVector3d& vector) {
    AcGeVector3d right, up, back;
    axes(right, up, back);
    const AcGeVector3d offset = right * vector.x + up * vector.y + back * vector.z;
    if (!finite(offset) || !finite(m_position + offset) || !finite(m_target + offset)) return;
    m_position += offset;
    m_target += offset;
    changed();
}

void AcGsView::dolly(double x, double y, double z) { dolly(AcGeVector3d(x, y, z)); }

void AcGsView::roll(double angle) {
    if (!std::isfinite(angle)) return;
    AcGeVector3d right, up, back;
    axes(right, up, back);
    m_up = AcGeMatrix3d::rotation(angle, -back) * up;
    changed();
}

// Turns position and up vector about the target.
void AcGsView::turn(const AcGeMatrix3d& rotation) {
    m_position = m_target + rotation * (m_position - m_target);
    m_up = rotation * m_up;
}

void AcGsView::orbit(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    AcGeVector3d right, up, back;
    axes(right, up, back);
    m_up = up;
    if (x != 0.0) turn(AcGeMatrix3d::rotation(x, up));
    if (y != 0.0) {
        axes(right, up, back);
        turn(AcGeMatrix3d::rotation(-y, right));
    }
    changed();
}

void AcGsView::setMode(RenderMode mode) {
    if (mode < k2DOptimized || mode > kGouraudShadedWithWireframe) return;
    if (mode != m_mode) changed();
    m_mode = mode;
}

bool AcGsView::add(AcGiDrawable* drawable, AcGsModel* model) {
    if (!drawable || !gs::registry().models.count(model)) return false;
    AcGsModel::Node* node = model->node(drawable, true);
    if (std::find(m_nodes.begin(), m_nodes.end(), node) != m_nodes.end()) return true;
    ++node->views;
    m_nodes.push_back(node);
    drawable->setGsNode(node);
    changed();
    return true;
}

bool AcGsView::erase(AcGiDrawable* drawable) {
    for (auto it = m_nodes.begin(); it != m_nodes.end(); ++it) {
        if (!(*it)->holds(drawable)) continue;
        AcGsModel::Node* node = *it;
        m_nodes.erase(it);
        node->model()->release(node, true);
        changed();
        return true;
    }
    return false;
}

void AcGsView::eraseAll() {
    std::vector<AcGsModel::Node*> nodes;
    nodes.swap(m_nodes);
    for (AcGsModel::Node* node : nodes) node->model()->release(node, true);
    changed();
}

// The model goes away: its nodes leave the view without a word to their drawables.
void AcGsView::dropModel(AcGsModel* model) {
    auto it = std::stable_partition(m_nodes.begin(), m_nodes.end(),
                                    [model](AcGsModel::Node* node) { return node->model() != model; });
    if (it == m_nodes.end()) return;
    std::vector<AcGsModel::Node*> gone(it, m_nodes.end());
    m_nodes.erase(it, m_nodes.end());
    for (AcGsModel::Node* node : gone) model->release(node, false);
    changed();
}

void AcGsView::invalidate() { changed(); }

void AcGsView::update() {
    if (m_device) m_device->update();
}

void AcGsView::devicePixels(int& width, int& height) const {
    width = m_device ? m_device->width() : 1;
    height = m_device ? m_device->height() : 1;
}

void AcGsView::getViewport(AcGsDCRect& rect) const {
    int w, h;
    devicePixels(w, h);
    rect.m_min = AcGsDCPoint{0, 0};
    rect.m_max = AcGsDCPoint{w - 1, h - 1};
}

void AcGsView::fittedField(double& width, double& height) const {
    int w, h;
    devicePixels(w, h);
    width = m_fieldWidth;
    height = m_fieldHeight;
    if (m_fieldWidth * h > m_fieldHeight * w) height = m_fieldWidth * h / w;
    else width = m_fieldHeight * w / h;
}

AcGeMatrix3d AcGsView::viewingMatrix() const {
    AcGeVector3d right, up, back;
    axes(right, up, back);
    AcGeMatrix3d m;
    const AcGeVector3d rows[3] = {right, up, back};
    const AcGeVector3d t = m_target.asVector();
    for (int i = 0; i < 3; ++i) {
        m.entry[i][0] = rows[i].x;
        m.entry[i][1] = rows[i].y;
        m.entry[i][2] = rows[i].z;
        m.entry[i][3] = -rows[i].dotProduct(t);
    }
    return m;
}

AcGeMatrix3d AcGsView::projectionMatrix() const {
    double w, h;
    fittedField(w, h);
    AcGeMatrix3d m;
    m.entry[0][0] = 2.0 / w;
    m.entry[1][1] = 2.0 / h;
    m.entry[2][2] = 2.0 / w;
    if (isPerspective()) m.entry[3][2] = -1.0 / (m_position - m_target).length();
    return m;
}

AcGeMatrix3d AcGsView::screenMatrix() const {
    int w, h;
    devicePixels(w, h);
    AcGeMatrix3d m;
    m.entry[0][0] = w / 2.0;
    m.entry[1][1] = h / 2.0;
    m.entry[2][2] = w / 2.0;
    m.entry[0][3] = w / 2.0;
    m.entry[1][3] = h / 2.0;
    return m;
}

AcGeMatrix3d AcGsView::worldToDeviceMatrix() const { return screenMatrix() * projectionMatrix() * viewingMatrix(); }
