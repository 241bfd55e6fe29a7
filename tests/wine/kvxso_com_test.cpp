// KVXSO as a registered COM server under Wine: created by ProgID, called by name and DISPID the
// way control objects call it, its vtable and type library agreeing with the dispatch table.
#include <gtest/gtest.h>
#include <oaidl.h>
#include <windows.h>

#include <string>

#include "opos_constants.h"
#include "printer_identity.h"
#include "printer_methods.h"

namespace {

using namespace pos::opos;

class ComApartment : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { CoUninitialize(); }
};
const auto* const kApartment = ::testing::AddGlobalTestEnvironment(new ComApartment);

IDispatch* createPrinter() {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(L"OPOS.KVXSO", &clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, pos::printer::kClsid));
    IDispatch* printer = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&printer)),
              S_OK);
    return printer;
}

DISPID idOf(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << name;
    return id;
}

// As control objects call: in-parameters only (last first), the result from the VARIANT.
LONG invoke(IDispatch* object, DISPID id, std::vector<VARIANT> argsLastFirst) {
    DISPPARAMS params{argsLastFirst.data(), nullptr, static_cast<UINT>(argsLastFirst.size()), 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                             nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    return result.lVal;
}

VARIANT shortArg(SHORT value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

TEST(KvxsoCom, LifecycleAndARefusedMethodByNameAndById) {
    IDispatch* printer = createPrinter();
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(invoke(printer, idOf(printer, L"MarkFeed"), {shortArg(1)}), OPOS_E_ILLEGAL);
    EXPECT_EQ(invoke(printer, 29, {shortArg(1)}), OPOS_E_ILLEGAL);
    // Before any OpenService there is no device: the claim passes without touching one.
    EXPECT_EQ(invoke(printer, idOf(printer, L"ClaimDevice"), {shortArg(0)}), OPOS_SUCCESS);

    IDispatch* second = createPrinter();
    EXPECT_EQ(invoke(second, 2, {shortArg(PIDX_Claimed)}), 1);  // one service for all instances
    EXPECT_EQ(invoke(second, idOf(second, L"ReleaseDevice"), {}), OPOS_SUCCESS);
    EXPECT_EQ(invoke(printer, 2, {shortArg(PIDX_Claimed)}), 0);
    EXPECT_EQ(invoke(printer, idOf(printer, L"CloseService"), {}), OPOS_SUCCESS);
    second->Release();
    printer->Release();
}

TEST(KvxsoCom, ResultAsTrailingReferenceAndEarlyBoundVtable) {
    IDispatch* printer = createPrinter();
    ASSERT_NE(printer, nullptr);
    LONG rc = -1;
    VARIANT args[2];
    VariantInit(&args[0]);
    args[0].vt = VT_BYREF | VT_I4;
    args[0].plVal = &rc;
    args[1] = shortArg(1);
    DISPPARAMS params{args, nullptr, 2, 0};
    EXPECT_EQ(printer->Invoke(28, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                              nullptr, nullptr),
              S_OK);
    EXPECT_EQ(rc, OPOS_E_ILLEGAL);

    // The dual interface's vtable, through the type library's description of it.
    ITypeInfo* info = nullptr;
    ASSERT_EQ(printer->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    HREFTYPE vtableRef = 0;
    ITypeInfo* vtableInfo = nullptr;
    ASSERT_EQ(info->GetRefTypeOfImplType(-1, &vtableRef), S_OK);
    ASSERT_EQ(info->GetRefTypeInfo(vtableRef, &vtableInfo), S_OK);
    void* raw = nullptr;
    ASSERT_EQ(printer->QueryInterface(pos::printer::kIidIRPrinter, &raw), S_OK);
    auto* vtable = *static_cast<void***>(raw);
    using ClaimDevice = HRESULT(STDMETHODCALLTYPE*)(void*, LONG, LONG*);
    for (UINT i = 0;; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(vtableInfo->GetFuncDesc(i, &f))) break;
        if (f->memid == 8) {
            rc = -1;
            auto claim = reinterpret_cast<ClaimDevice>(vtable[f->oVft / sizeof(void*)]);
            EXPECT_EQ(claim(raw, 0, &rc), S_OK);
            EXPECT_EQ(rc, OPOS_SUCCESS);
        }
        vtableInfo->ReleaseFuncDesc(f);
    }
    EXPECT_EQ(rc, OPOS_SUCCESS);
    static_cast<IUnknown*>(raw)->Release();
    vtableInfo->Release();
    info->Release();
    printer->Release();
}

TEST(KvxsoCom, TypeLibraryMatchesTheDispatchTable) {
    IDispatch* printer = createPrinter();
    ASSERT_NE(printer, nullptr);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(printer->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    HREFTYPE vtableRef = 0;
    ITypeInfo* vtableInfo = nullptr;
    ASSERT_EQ(info->GetRefTypeOfImplType(-1, &vtableRef), S_OK);
    ASSERT_EQ(info->GetRefTypeInfo(vtableRef, &vtableInfo), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(vtableInfo->GetTypeAttr(&attr), S_OK);
    const auto methods = pos::printer::printerMethods();
    ASSERT_EQ(attr->cFuncs, methods.size());
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        ASSERT_EQ(vtableInfo->GetFuncDesc(i, &f), S_OK);
        const auto& m = methods[i];
        BSTR name = nullptr;
        vtableInfo->GetDocumentation(f->memid, &name, nullptr, nullptr, nullptr);
        char narrow[64] = {};
        WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
        SysFreeString(name);
        EXPECT_EQ(f->memid, m.id) << narrow;
        EXPECT_EQ(std::string(narrow), std::string(m.name));
        const bool hasResult = m.result != pos::component::Result::None;
        EXPECT_EQ(static_cast<std::size_t>(f->cParams), m.params.size() + (hasResult ? 1 : 0))
            << narrow;
        // IUnknown's three and IDispatch's four come first.
        EXPECT_EQ(f->oVft, static_cast<SHORT>((7 + i) * sizeof(void*))) << narrow;
        vtableInfo->ReleaseFuncDesc(f);
    }
    vtableInfo->ReleaseTypeAttr(attr);

    // The library's identity and its one class.
    ITypeLib* library = nullptr;
    UINT index = 0;
    ASSERT_EQ(info->GetContainingTypeLib(&library, &index), S_OK);
    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(library->GetLibAttr(&libAttr), S_OK);
    EXPECT_TRUE(IsEqualGUID(libAttr->guid, pos::printer::kLibid));
    EXPECT_EQ(libAttr->wMajorVerNum, 1);
    EXPECT_EQ(libAttr->wMinorVerNum, 0);
    EXPECT_EQ(libAttr->lcid, 0x409u);
    library->ReleaseTLibAttr(libAttr);
    BSTR libraryName = nullptr;
    library->GetDocumentation(-1, &libraryName, nullptr, nullptr, nullptr);
    EXPECT_EQ(std::wstring(libraryName), L"KVXSOLib");
    SysFreeString(libraryName);
    ITypeInfo* coclass = nullptr;
    ASSERT_EQ(library->GetTypeInfoOfGuid(pos::printer::kClsid, &coclass), S_OK);
    BSTR className = nullptr;
    BSTR classHelp = nullptr;
    coclass->GetDocumentation(MEMBERID_NIL, &className, &classHelp, nullptr, nullptr);
    EXPECT_EQ(std::wstring(className), L"OPOS");
    EXPECT_EQ(std::wstring(classHelp), L"RPrinter Class");
    SysFreeString(className);
    SysFreeString(classHelp);
    coclass->Release();
    library->Release();

    vtableInfo->Release();
    info->Release();
    printer->Release();
}

TEST(KvxsoCom, ObjectsLockTheLibraryUntilReleased) {
    HMODULE module = GetModuleHandleW(L"KVXSO.dll");
    IDispatch* printer = createPrinter();
    module = GetModuleHandleW(L"KVXSO.dll");
    ASSERT_NE(module, nullptr);
    auto canUnload =
        reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)()>(GetProcAddress(module, "DllCanUnloadNow"));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE);
    printer->Release();
    EXPECT_EQ(canUnload(), S_OK);
}

}  // namespace
