// Opening drawings through the application's automation object, as the drawing browser does.
#include <gtest/gtest.h>
#include <unistd.h>
#include <filesystem>
#include "ax/appautomation.h"
#include "ax/oledispatch.h"
#include "db/line.h"
#include "ed/commandline.h"
#include "ed/docman.h"
#include "ed/drawingfiles.h"
#include "ed/winapp.h"

namespace fs = std::filesystem;

namespace {
class Automation : public ::testing::Test {
protected:
    void SetUp() override {
        acDocManager->closeAllDocuments();
        AcEdCommandLine::instance().setOutput([this](const std::string& text) { out += text; });
        acDocManager->newDocument();
        folder = fs::temp_directory_path() / ("cadhost-automation-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        AcDbDatabase plan(true, true);
        AcDbBlockTableRecord* space = nullptr;
        ASSERT_EQ(acdbOpenObject(space, plan.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(4, 3, 0));
        space->appendAcDbEntity(line);
        line->close();
        space->close();
        file = (folder / "plan.dxf").string();
        std::string error;
        ASSERT_EQ(acedHostWriteDrawing(plan, file.c_str(), error), Acad::eOk) << error;
    }
    void TearDown() override {
        acDocManager->closeAllDocuments();
        AcEdCommandLine::instance().setOutput(nullptr);
        fs::remove_all(folder);
    }
    // The application's reference count, read by taking and giving back a reference.
    static ULONG applicationRefs() {
        IDispatch* app = acedGetAcadWinApp()->GetIDispatch(FALSE);
        app->AddRef();
        return app->Release();
    }
    // The browser's steps: the documents collection, then its open method with the path and
    // read-only false.
    void openLikeTheBrowser(const std::string& path, BOOL readOnly = FALSE) {
        COleDispatchDriver app(acedGetAcadWinApp()->GetIDispatch(TRUE));
        LPDISPATCH documents = nullptr;
        app.InvokeHelper(kAxApplicationDocuments, DISPATCH_PROPERTYGET, VT_DISPATCH, &documents, nullptr);
        COleDispatchDriver docs;
        docs.AttachDispatch(documents);
        VARIANT flag;
        VariantInit(&flag);
        flag.vt = VT_BOOL;
        flag.boolVal = readOnly ? VARIANT_TRUE : VARIANT_FALSE;
        LPDISPATCH document = nullptr;
        docs.InvokeHelper(kAxDocumentsOpen, DISPATCH_METHOD, VT_DISPATCH, &document,
                          reinterpret_cast<const BYTE*>(VTS_BSTR VTS_VARIANT), path.c_str(), &flag);
        ASSERT_NE(document, nullptr);
        EXPECT_EQ(document->Release(), 0u) << "the caller holds the only reference";
    }
    // Raw call of the open method on a fresh documents collection.
    HRESULT open(std::vector<VARIANT> args, EXCEPINFO* exception, UINT* argError = nullptr) {
        IDispatch* app = acedGetAcadWinApp()->GetIDispatch(FALSE);
        VARIANT answer;
        VariantInit(&answer);
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        EXPECT_EQ(app->Invoke(kAxApplicationDocuments, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, &answer, nullptr,
                              nullptr),
                  S_OK);
        IDispatch* documents = answer.pdispVal;
        DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        VARIANT document;
        VariantInit(&document);
        const HRESULT hr = documents->Invoke(kAxDocumentsOpen, GUID_NULL, 0, DISPATCH_METHOD, &params, &document,
                                             exception, argError);
        VariantClear(&document);
        EXPECT_EQ(documents->Release(), 0u);
        return hr;
    }
    static VARIANT text(const std::string& value) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = axBstrFromUtf8(value.c_str());
        return v;
    }
    static VARIANT boolean(bool value) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BOOL;
        v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    std::string out;
    fs::path folder;
    std::string file;
};
}  // namespace

TEST_F(Automation, OpenMakesTheDrawingTheCurrentDocument) {
    const ULONG refs = applicationRefs();
    ASSERT_NO_THROW(openLikeTheBrowser(file));
    EXPECT_EQ(acDocManager->documentCount(), 2);
    AcApDocument* doc = acDocManager->curDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(fs::equivalent(doc->fileName(), file));
    EXPECT_FALSE(doc->isReadOnly());
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), doc->database());
    EXPECT_EQ(applicationRefs(), refs) << "every reference taken was given back";
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
}

TEST_F(Automation, ReadOnlyDrawingsAreSavedUnderAnotherNameOnly) {
    ASSERT_NO_THROW(openLikeTheBrowser(file, TRUE));
    AcApDocument* doc = acDocManager->curDocument();
    ASSERT_TRUE(doc->isReadOnly());
    std::string error;
    EXPECT_NE(acDocManager->saveDocument(doc, file.c_str(), &error), Acad::eOk);
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    const std::string copy = (folder / "copy.dxf").string();
    EXPECT_EQ(acDocManager->saveDocument(doc, copy.c_str(), &error), Acad::eOk) << error;
    EXPECT_FALSE(doc->isReadOnly());
}

TEST_F(Automation, MissingFileFailsWithADescriptionAndNoDocument) {
    const ULONG refs = applicationRefs();
    const std::string missing = (folder / "missing.dwg").string();
    EXCEPINFO exception{};
    std::vector<VARIANT> args{boolean(false), text(missing)};
    EXPECT_EQ(open(args, &exception), DISP_E_EXCEPTION);
    VariantClear(&args[1]);
    EXPECT_EQ(exception.scode, E_FAIL);
    EXPECT_EQ(axBstrToUtf8(exception.bstrSource), "cadhost");
    EXPECT_NE(axBstrToUtf8(exception.bstrDescription).find("Cannot find"), std::string::npos);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    EXPECT_EQ(acDocManager->documentCount(), 1);

    // Through the framework: the exception carries the description, and reporting it tells the user.
    try {
        openLikeTheBrowser(missing);
        ADD_FAILURE() << "no exception";
    } catch (COleDispatchException* e) {
        EXPECT_NE(std::string(e->m_strDescription).find("Cannot find"), std::string::npos);
        e->ReportError();
        e->Delete();
    }
    EXPECT_NE(out.find("Cannot find the file"), std::string::npos) << out;
    EXPECT_EQ(acDocManager->documentCount(), 1);
    EXPECT_EQ(applicationRefs(), refs);
}

TEST_F(Automation, WrongCallsAreRefusedByKind) {
    UINT argError = 99;
    std::vector<VARIANT> wrongType{boolean(false), boolean(true)};
    EXPECT_EQ(open(wrongType, nullptr, &argError), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argError, 1u) << "the first argument, last in the array";
    EXPECT_EQ(open({}, nullptr), DISP_E_BADPARAMCOUNT);
    std::vector<VARIANT> flagNotBool{text("1"), text(file)};
    EXPECT_EQ(open(flagNotBool, nullptr, &argError), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argError, 0u);
    for (VARIANT& v : flagNotBool) VariantClear(&v);
    EXPECT_EQ(acDocManager->documentCount(), 1);

    COleDispatchDriver app(acedGetAcadWinApp()->GetIDispatch(TRUE));
    try {
        app.InvokeHelper(0x21, DISPATCH_PROPERTYGET, VT_EMPTY, nullptr, nullptr);
        ADD_FAILURE() << "no exception";
    } catch (COleException* e) {
        EXPECT_EQ(e->m_sc, DISP_E_MEMBERNOTFOUND);
        char message[64];
        ASSERT_TRUE(e->GetErrorMessage(message, sizeof message));
        EXPECT_STREQ(message, "Automation error 0x80020003.");
        e->Delete();
    }
}
