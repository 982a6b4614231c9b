// The manager and the class factory: what they make is registered, so that objects destroyed
// in any order leave no pointer behind, and what is left at the end of the process is freed.
#include "gs/node.h"
#include "win/winuser.h"

namespace gs {

Registry& registry() {
    static Registry instance;
    return instance;
}

Registry::~Registry() {
    closing = true;
    while (!views.empty()) delete *views.begin();
    while (!devices.empty()) delete *devices.begin();
    while (!models.empty()) delete *models.begin();
}

}  // namespace gs

AcGsClassFactory::~AcGsClassFactory() = default;
AcGsManager::~AcGsManager() = default;

AcGsView* AcGsClassFactory::createView() {
    auto* view = new AcGsView;
    gs::registry().views.insert(view);
    return view;
}

void AcGsClassFactory::deleteView(AcGsView* view) {
    if (gs::registry().views.count(view)) delete view;
}

AcGsModel* AcGsClassFactory::createModel(AcGsModel::RenderType, long) {
    auto* model = new AcGsModel;
    gs::registry().models.insert(model);
    return model;
}

void AcGsClassFactory::deleteModel(AcGsModel* model) {
    if (gs::registry().models.count(model)) delete model;
}

AcGsDevice* AcGsManager::createAutoCADDevice(HWND window) {
    if (!IsWindow(window)) return nullptr;
    auto* device = new AcGsDevice(window);
    gs::registry().devices.insert(device);
    return device;
}

void AcGsManager::destroyAutoCADDevice(AcGsDevice* device) {
    if (gs::registry().devices.count(device)) delete device;
}

AcGsModel* AcGsManager::createAutoCADModel() { return getGSClassFactory()->createModel(); }

void AcGsManager::destroyAutoCADModel(AcGsModel* model) { getGSClassFactory()->deleteModel(model); }

AcGsClassFactory* AcGsManager::getGSClassFactory() {
    static AcGsClassFactory factory;
    return &factory;
}

AcGsManager* acgsGetGsManager(AcGsView*) {
    static AcGsManager manager;
    return &manager;
}
