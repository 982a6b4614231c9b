#include "browser/DrawingFileOps.h"
#include "ax/oledispatch.h"
#include "ed/prompts.h"
#include "ed/winapp.h"
#include "ed/xref.h"

namespace {
constexpr DISPID kDocuments = 0x20;
constexpr DISPID kDocumentsOpen = 0x60020005;
}  // namespace

void openDrawing(const CString& path) {
    try {
        COleDispatchDriver application(acedGetAcadWinApp()->GetIDispatch(TRUE));
        LPDISPATCH documentsDispatch = nullptr;
        application.InvokeHelper(kDocuments, DISPATCH_PROPERTYGET, VT_DISPATCH, &documentsDispatch, nullptr);
        COleDispatchDriver documents(documentsDispatch);
        VARIANT readOnly;
        VariantInit(&readOnly);
        readOnly.vt = VT_BOOL;
        readOnly.boolVal = VARIANT_FALSE;
        static const BYTE parameters[] = VTS_BSTR VTS_VARIANT;
        LPDISPATCH document = nullptr;
        documents.InvokeHelper(kDocumentsOpen, DISPATCH_METHOD, VT_DISPATCH, &document, parameters,
                               static_cast<const char*>(path), &readOnly);
        if (document) document->Release();
    } catch (CException* error) {
        // What the framework does with an exception out of a command: tell the user.
        error->ReportError();
        error->Delete();
    }
}

void attachXref(const CString& path, const CString& fileName) {
    ads_point picked;
    if (acedGetPoint(nullptr, "\nInsertion point for Xref: ", picked) != RTNORM) return;
    const CString blockName = fileName.GetLength() >= 4 ? fileName.Left(fileName.GetLength() - 4) : CString();
    AcGePoint3d insertion(picked[0], picked[1], picked[2]);
    AcGeScale3d scale(1, 1, 1);
    double rotation = 0.0;
    acedXrefAttach(path, blockName, nullptr, nullptr, &insertion, &scale, &rotation, false, nullptr, nullptr);
}
