#pragma once
// Internal parts of the graphics system shared by its files: the node a model keeps per
// drawable, and the registry of what the manager and the class factory made.
#include <cstdint>
#include <unordered_set>
#include <vector>
#include "gi/recorder.h"
#include "gs/gs.h"

class AcGsModel::Node : public AcGsNode {
public:
    Node(AcGsModel* model, AcGiDrawable* drawable);
    // Whether this node stands for the drawable (the same pointer, or the same database object).
    bool holds(const AcGiDrawable* drawable) const;

    AcGiDrawable* transient = nullptr;  // drawables that are not database objects, by pointer
    AcDbObjectId id;                    // database objects, opened when recorded
    int views = 0;                      // views holding the node
    bool recorded = false;
    bool viewDependent = false;  // something came from viewportDraw: recorded again for every frame
    std::vector<AcGiPrimitive> primitives;
    std::vector<int16_t> colors;  // colour index of each primitive, -1 when its layer hides it
};

namespace gs {

struct Registry {
    ~Registry();
    std::unordered_set<AcGsDevice*> devices;
    std::unordered_set<AcGsView*> views;
    std::unordered_set<AcGsModel*> models;
    bool closing = false;  // the process ends: drawables are not called any more
};
Registry& registry();

}  // namespace gs
