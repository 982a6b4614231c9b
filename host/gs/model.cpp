// Models and their nodes: which drawables are drawn, and what was recorded from them.
#include <algorithm>
#include "gs/node.h"

AcGsNode::~AcGsNode() = default;

AcGsModel::Node::Node(AcGsModel* model, AcGiDrawable* drawable) : AcGsNode(model) {
    if (drawable->isPersistent()) id = drawable->id();
    if (id.isNull()) transient = drawable;
}

bool AcGsModel::Node::holds(const AcGiDrawable* drawable) const {
    if (!drawable) return false;
    if (transient) return transient == drawable;
    return drawable->isPersistent() && drawable->id() == id;
}

AcGsModel::~AcGsModel() {
    gs::Registry& reg = gs::registry();
    for (AcGsView* view : reg.views) view->dropModel(this);
    for (Node* node : m_nodes) delete node;  // nodes no view holds any more are gone already
    reg.models.erase(this);
}

AcGsModel::Node* AcGsModel::node(AcGiDrawable* drawable, bool make) {
    if (!drawable) return nullptr;
    for (Node* node : m_nodes)
        if (node->holds(drawable)) return node;
    if (!make) return nullptr;
    m_nodes.push_back(new Node(this, drawable));
    return m_nodes.back();
}

void AcGsModel::release(Node* node, bool tell) {
    if (--node->views > 0) return;
    if (tell && node->transient && !gs::registry().closing) node->transient->setGsNode(nullptr);
    m_nodes.erase(std::remove(m_nodes.begin(), m_nodes.end(), node), m_nodes.end());
    delete node;
}

// The node is recorded again before the next frame, and the views that show it draw one.
void AcGsModel::changed(Node* node) {
    node->recorded = false;
    for (AcGsView* view : gs::registry().views)
        if (std::find(view->nodes().begin(), view->nodes().end(), node) != view->nodes().end()) view->invalidate();
}

// A drawable of the model (or the drawable it belongs to) changed; without a node of either,
// a part of something drawn changed, so everything is recorded again.
void AcGsModel::onModified(AcGiDrawable* modified, AcGiDrawable* parent) {
    bool found = false;
    for (Node* node : m_nodes)
        if (node->holds(modified) || node->holds(parent)) {
            changed(node);
            found = true;
        }
    if (!found) invalidate(kInvalidateAll);
}

void AcGsModel::onAdded(AcGiDrawable* added, AcGiDrawable* parent) { onModified(added, parent); }
void AcGsModel::onErased(AcGiDrawable* erased, AcGiDrawable* parent) { onModified(erased, parent); }

void AcGsModel::invalidate(InvalidationHint hint) {
    if (hint == kInvalidateNone) return;
    for (Node* node : m_nodes) changed(node);
}
