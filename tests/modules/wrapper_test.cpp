// The automation wrappers of the 2004 build over entities of a database.
#include <memory>
#include "com_ids.h"
#include "modules_support.h"
#include "ax/acadiface.h"
#include "ax/colibrary.h"
#include "ax/errorinfo.h"
#include "ax/guidtext.h"
#include "ax/objectwrapper.h"
#include "db/database.h"
#include "db/entity.h"
#include "db/symtab.h"

using namespace modtest;

namespace {
typedef HRESULT (*GetClassObjectFunc)(REFCLSID, REFIID, void**);

template <class T>
struct ComPtr {
    T* p = nullptr;
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p) p->Release();
    }
    void** out() { return reinterpret_cast<void**>(&p); }
    T* operator->() const { return p; }
};

struct Bstr {
    BSTR s = nullptr;
    ~Bstr() { SysFreeString(s); }
    std::string utf8() const { return axBstrToUtf8(s); }
};

// The text and GUID of the thread's error information (cleared by reading).
std::pair<std::string, GUID> takeError() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return {"", GUID{}};
    Bstr text;
    GUID guid{};
    info->GetDescription(&text.s);
    info->GetGUID(&guid);
    info->Release();
    return {text.utf8(), guid};
}

class R16Wrappers : public ::testing::TestWithParam<Coclass> {
protected:
    void SetUp() override {
        SKIP_UNLESS_R16_PROCESS();
        AxRegistry::instance().clear();
        m_module = std::make_unique<LoadedModule>(kR16Module);
        ASSERT_TRUE(m_module->loaded());
        m_db = std::make_unique<AcDbDatabase>(true, true);
        m_space = m_db->modelSpaceId();
        auto get = m_module->function<GetClassObjectFunc>("DllGetClassObject");
        ASSERT_NE(get, nullptr);
        ASSERT_EQ(get(GetParam().clsid, IID_IClassFactory, m_factory.out()), S_OK);
        ASSERT_EQ(m_factory->CreateInstance(nullptr, IID_IAcadBaseObject, m_base.out()), S_OK);
        SetErrorInfo(0, nullptr);
    }
    void TearDown() override {
        if (m_base.p) m_base.p->Release();
        m_base.p = nullptr;
        if (m_factory.p) m_factory.p->Release();
        m_factory.p = nullptr;
        m_db.reset();
        CoFreeUnusedLibraries();
        m_module.reset();
        AxRegistry::instance().clear();
    }

    template <class T>
    T* as(REFIID iid) {
        T* p = nullptr;
        EXPECT_EQ(m_base->QueryInterface(iid, reinterpret_cast<void**>(&p)), S_OK);
        return p;
    }
    // A new entity of the wrapped class, appended to model space through the wrapper.
    AcDbObjectId addThroughWrapper() {
        AcDbObjectId id;
        EXPECT_EQ(m_base->CreateObject(m_space, nullptr), S_OK);
        EXPECT_EQ(m_base->AddToDb(id, m_space, nullptr), S_OK);
        return id;
    }
    AcDbObjectId addLayer(const char* name) {
        AcDbLayerTable* table = nullptr;
        EXPECT_EQ(m_db->getLayerTable(table, AcDb::kForWrite), Acad::eOk);
        auto* record = new AcDbLayerTableRecord;
        record->setName(name);
        AcDbObjectId id;
        EXPECT_EQ(table->add(id, record), Acad::eOk);
        record->close();
        table->close();
        return id;
    }

    std::unique_ptr<LoadedModule> m_module;
    std::unique_ptr<AcDbDatabase> m_db;
    AcDbObjectId m_space;
    ComPtr<IClassFactory> m_factory;
    ComPtr<IAcadBaseObject> m_base;
};
}  // namespace

TEST_P(R16Wrappers, CreateObjectAndAddToDbMakeAResidentEntityOfTheWrappedClass) {
    const Coclass& c = GetParam();
    VARIANT_BOOL exists = VARIANT_TRUE;
    EXPECT_EQ(m_base->ObjectExists(&exists), S_OK);
    EXPECT_EQ(exists, VARIANT_FALSE);
    ASSERT_EQ(m_base->CreateObject(m_space, nullptr), S_OK);
    EXPECT_EQ(m_base->ObjectExists(&exists), S_OK);
    EXPECT_EQ(exists, VARIANT_TRUE);
    AcDbObjectId id;
    ASSERT_EQ(m_base->AddToDb(id, m_space, nullptr), S_OK);
    ASSERT_FALSE(id.isNull());
    AcDbObjectId held;
    EXPECT_EQ(m_base->GetObjectId(&held), S_OK);
    EXPECT_EQ(held, id);
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
    AcDbEntity* entity = nullptr;
    ASSERT_EQ(acdbOpenObject(entity, id, AcDb::kForRead), Acad::eOk);
    EXPECT_STREQ(entity->isA()->name(), c.entityClass);
    EXPECT_EQ(entity->ownerId(), m_space);
    EXPECT_EQ(entity->database(), m_db.get());
    entity->close();
}

TEST_P(R16Wrappers, PropertiesReadAndWriteTheEntityAndLeaveNothingOpen) {
    AcDbObjectId id = addThroughWrapper();
    ASSERT_FALSE(id.isNull());
    addLayer("Walls");
    ComPtr<IAcadEntity> entity;
    entity.p = as<IAcadEntity>(GetParam().iid);
    ASSERT_NE(entity.p, nullptr);

    Bstr layer;
    ASSERT_EQ(entity->get_Layer(&layer.s), S_OK);
    EXPECT_EQ(layer.utf8(), "0");
    Bstr walls{SysAllocString(L"Walls")};
    EXPECT_EQ(entity->put_Layer(walls.s), S_OK);
    EXPECT_EQ(entity->put_Color(3), S_OK);
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
    {
        AcDbEntity* e = nullptr;
        ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
        EXPECT_STREQ(e->layer(), "Walls");
        EXPECT_EQ(e->colorIndex(), 3);
        e->close();
    }
    LONG color = 0;
    EXPECT_EQ(entity->get_Color(&color), S_OK);
    EXPECT_EQ(color, 3);
    Bstr name;
    EXPECT_EQ(entity->get_ObjectName(&name.s), S_OK);
    EXPECT_EQ(name.utf8(), GetParam().entityClass);
    EXPECT_EQ(entity->put_Color(257), E_INVALIDARG);
    EXPECT_EQ(entity->get_Color(nullptr), E_POINTER);
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
}

TEST_P(R16Wrappers, PropertyAccessFailsWhileTheEntityIsOpenForWrite) {
    AcDbObjectId id = addThroughWrapper();
    ComPtr<IAcadEntity> entity;
    entity.p = as<IAcadEntity>(IID_IAcadEntity);
    ASSERT_NE(entity.p, nullptr);
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForWrite), Acad::eOk);
    LONG color = -1;
    EXPECT_TRUE(FAILED(entity->put_Color(5)));
    EXPECT_TRUE(FAILED(entity->get_Color(&color)));
    EXPECT_EQ(color, -1);
    e->close();
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
}

TEST_P(R16Wrappers, AddToDbWithAnOwnerThatCannotBeOpenedFailsAndKeepsTheObject) {
    const Coclass& c = GetParam();
    ASSERT_EQ(m_base->CreateObject(m_space, nullptr), S_OK);
    AcDbObjectId id;
    EXPECT_EQ(m_base->AddToDb(id, AcDbObjectId::kNull, nullptr), E_FAIL);
    auto [text, guid] = takeError();
    EXPECT_EQ(text, std::string("Failed to add ") + c.entityClass + " to database");
    EXPECT_EQ(guid, c.iid);
    AcDbObjectId held;
    EXPECT_EQ(m_base->GetObjectId(&held), S_OK);
    EXPECT_TRUE(held.isNull());

    // An owner already open for write, and an owner that is no block table record.
    AcDbObject* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, m_space, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(m_base->AddToDb(id, m_space, nullptr), E_FAIL);
    space->close();
    EXPECT_EQ(m_base->AddToDb(id, m_db->layerTableId(), nullptr), E_FAIL);
    EXPECT_EQ(takeError().first, std::string("Failed to add ") + c.entityClass + " to database");

    // The wrapper still holds its entity and can add it afterwards.
    EXPECT_EQ(m_base->AddToDb(id, m_space, nullptr), S_OK);
    EXPECT_FALSE(id.isNull());
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
}

TEST_P(R16Wrappers, AddToDbWithoutAnObjectFails) {
    AcDbObjectId id;
    EXPECT_EQ(m_base->AddToDb(id, m_space, nullptr), E_FAIL);
    EXPECT_EQ(takeError().first, std::string("Failed to add ") + GetParam().entityClass + " to database");
}

TEST_P(R16Wrappers, DisplayNameForTheObjectOnly) {
    ComPtr<IOPMPropertyExtension> ext;
    ext.p = as<IOPMPropertyExtension>(IID_IOPMPropertyExtension);
    ASSERT_NE(ext.p, nullptr);
    Bstr name;
    EXPECT_EQ(ext->GetDisplayName(0x401, &name.s), S_OK);
    EXPECT_EQ(std::wstring(name.s ? name.s : L""), GetParam().displayName);
    BSTR untouched = reinterpret_cast<BSTR>(&untouched);
    EXPECT_EQ(ext->GetDisplayName(0x400, &untouched), S_OK);
    EXPECT_EQ(untouched, reinterpret_cast<BSTR>(&untouched));
    EXPECT_EQ(ext->GetDisplayName(0x401, nullptr), E_POINTER);
}

TEST_P(R16Wrappers, PropertyExpansionIsRefused) {
    ComPtr<IOPMPropertyExpander> exp;
    exp.p = as<IOPMPropertyExpander>(IID_IOPMPropertyExpander);
    ASSERT_NE(exp.p, nullptr);
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(exp->GetElementValue(1, 0, nullptr), E_POINTER);
    EXPECT_EQ(exp->GetElementValue(1, 0, &value), E_NOTIMPL);
    value.vt = VT_I4;
    value.lVal = 7;
    EXPECT_EQ(exp->SetElementValue(1, 0, value), E_NOTIMPL);
    CALPOLESTR names{};
    CADWORD cookies{};
    EXPECT_EQ(exp->GetElementStrings(1, &names, nullptr), E_POINTER);
    EXPECT_EQ(exp->GetElementStrings(1, nullptr, &cookies), E_POINTER);
    EXPECT_EQ(exp->GetElementStrings(1, &names, &cookies), E_NOTIMPL);
    short grouping = 0;
    long count = 0;
    EXPECT_EQ(exp->GetElementGrouping(1, nullptr), E_POINTER);
    EXPECT_EQ(exp->GetElementGrouping(1, &grouping), E_NOTIMPL);
    EXPECT_EQ(exp->GetGroupCount(1, nullptr), E_POINTER);
    EXPECT_EQ(exp->GetGroupCount(1, &count), E_NOTIMPL);
}

TEST_P(R16Wrappers, ErrorInfoAndDbResidence) {
    ComPtr<ISupportErrorInfo> support;
    support.p = as<ISupportErrorInfo>(IID_ISupportErrorInfo);
    ASSERT_NE(support.p, nullptr);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(GetParam().iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IAcadEntity), S_FALSE);
    VARIANT_BOOL force = VARIANT_TRUE;
    EXPECT_EQ(m_base->ForceDbResident(&force), S_OK);
    EXPECT_EQ(force, VARIANT_FALSE);
    EXPECT_EQ(m_base->ForceDbResident(nullptr), E_POINTER);
}

TEST_P(R16Wrappers, TheHostFindsTheWrapperOfAnObjectThroughTheRegistry) {
    AcDbObjectId id = addThroughWrapper();
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(AcAxGetIUnknownOfObject(&unknown.p, id), S_OK);
    ComPtr<IAcadEntity> entity;
    ASSERT_EQ(unknown->QueryInterface(GetParam().iid, entity.out()), S_OK);
    Bstr name;
    EXPECT_EQ(entity->get_ObjectName(&name.s), S_OK);
    EXPECT_EQ(name.utf8(), GetParam().entityClass);
    CLSID fromMap{};
    EXPECT_TRUE(acaxWrapperClassId(acrxFindClass(GetParam().entityClass), &fromMap));
    EXPECT_EQ(fromMap, GetParam().clsid);
    EXPECT_FALSE(acaxWrapperClassId(acrxFindClass("ZEFTAttribute"), &fromMap));
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Coclasses, R16Wrappers, ::testing::ValuesIn(coclasses()),
                         [](const ::testing::TestParamInfo<Coclass>& info) { return std::string(info.param.name); });
