// Unloading the object enabler while objects of its classes are alive: refused, in each build.
#include <algorithm>
#include <memory>
#include "modules_support.h"
#include "db/database.h"
#include "db/entity.h"

using namespace modtest;

namespace {
std::vector<std::string> classNames(const char* module) {
    std::vector<std::string> names;
    for (AcRxClass* cls : acrxDynamicLinker->classesOf(module)) names.push_back(cls->name());
    std::sort(names.begin(), names.end());
    return names;
}

// A drawing holding one object of the class in model space, erased when asked.
std::unique_ptr<AcDbDatabase> drawingWith(const char* className, bool erased) {
    auto db = std::make_unique<AcDbDatabase>(true, true);
    AcRxClass* cls = acrxFindClass(className);
    auto* entity = cls ? dynamic_cast<AcDbEntity*>(cls->create()) : nullptr;
    AcDbBlockTableRecord* space = nullptr;
    if (!entity || acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) {
        delete entity;
        return db;
    }
    space->appendAcDbEntity(entity);
    if (erased) entity->erase();
    entity->close();
    space->close();
    return db;
}

void unloadIsRefusedWhileObjectsLive(const char* path) {
    LoadedModule module(path);
    ASSERT_TRUE(module.loaded());
    EXPECT_EQ(classNames(path), (std::vector<std::string>{"ZEFTAttribute", "ZEFTAttributeDefinition",
                                                         "ZEFTBlockReference", "ZEFTGripPoint"}))
        << "the module's own classes, none of the host";
    EXPECT_EQ(acrxDynamicLinker->unloadRefusal(path), "");
    for (bool erased : {false, true}) {
        SCOPED_TRACE(erased ? "erased" : "in the drawing");
        std::unique_ptr<AcDbDatabase> db = drawingWith("ZEFTBlockReference", erased);
        ASSERT_EQ(db->internalCountObjectsOf(acrxFindClass("ZEFTBlockReference")), 1);
        const std::string why = acrxDynamicLinker->unloadRefusal(path);
        EXPECT_NE(why.find("cannot be unloaded: 1 object(s) of its classes (ZEFTBlockReference)"), std::string::npos)
            << why;
        EXPECT_FALSE(acrxDynamicLinker->unloadModule(path, false));
        EXPECT_TRUE(acrxDynamicLinker->isModuleLoaded(path));
        EXPECT_NE(acrxFindClass("ZEFTBlockReference"), nullptr) << "the classes stay registered";
        EXPECT_EQ(db->numOpenObjects(), 0);
    }
    // The drawings are gone: nothing holds the module.
    EXPECT_EQ(acrxDynamicLinker->unloadRefusal(path), "");
    EXPECT_TRUE(module.unload());
    EXPECT_EQ(acrxFindClass("ZEFTBlockReference"), nullptr);
}
}  // namespace

TEST(R16Unload, RefusedWhileObjectsOfItsClassesLive) {
    SKIP_UNLESS_R16_PROCESS();
    unloadIsRefusedWhileObjectsLive(kR16Module);
}

TEST(R15Unload, RefusedWhileObjectsOfItsClassesLive) {
    SKIP_UNLESS_R15_PROCESS();
    unloadIsRefusedWhileObjectsLive(kR15Module);
}
