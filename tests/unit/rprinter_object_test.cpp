// The component class as a control object meets it: created through the class factory, found
// by name, invoked with in-parameters only, and sharing one service between instances.
#include "rprinter_object.h"

#include <gtest/gtest.h>

#include "component/dispatch_object.h"
#include "fakes/printer_fixture.h"
#include "opos_constants.h"

namespace {

using namespace pos::opos;
using pos::printer::IRPrinter;
using pos::printer::PrinterService;
using pos::printer::RPrinterObject;
using Factory = pos::component::ClassFactory<RPrinterObject, PrinterService>;

class Component : public pos::testing::PrinterFixture {
  protected:
    IDispatch* create() {
        IDispatch* object = nullptr;
        EXPECT_EQ(factory.CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object)),
                  S_OK);
        return object;
    }
    DISPID idOf(IDispatch* object, const char16_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(reinterpret_cast<const OLECHAR*>(name))};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id), S_OK);
        return id;
    }
    // As a control object calls: by name, in-parameters only, the result from the VARIANT.
    std::int32_t callByName(IDispatch* object, const char16_t* name,
                            std::vector<VARIANT> argsLastFirst) {
        DISPPARAMS params{argsLastFirst.data(), nullptr, static_cast<UINT>(argsLastFirst.size()),
                          0};
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(object->Invoke(idOf(object, name), IID_NULL, 0x409, DISPATCH_METHOD, &params,
                                 &result, nullptr, nullptr),
                  S_OK);
        EXPECT_EQ(result.vt, VT_I4);
        return result.lVal;
    }
    static VARIANT i2(SHORT v) {
        VARIANT a;
        VariantInit(&a);
        a.vt = VT_I2;
        a.iVal = v;
        return a;
    }

    Factory factory{*service};
};

TEST_F(Component, DispatchIdsFollowTheTypeLibrary) {
    IDispatch* object = create();
    const std::pair<const char16_t*, DISPID> expected[] = {
        {u"COFreezeEvents", 1},     {u"OpenService", 6},    {u"ClaimDevice", 8},
        {u"CloseService", 10},      {u"ReleaseDevice", 12}, {u"PrintNormal", 21},
        {u"PrintMemoryBitmap", 37}, {u"DrawRuledLine", 38}};
    for (const auto& [name, id] : expected) EXPECT_EQ(idOf(object, name), id);
    EXPECT_EQ(pos::printer::printerMethods().size(), 38u);
    object->Release();
}

TEST_F(Component, TwoInstancesShareOneService) {
    IDispatch* first = create();
    IDispatch* second = create();
    EXPECT_EQ(callByName(first, u"ClaimDevice", {i2(0)}), OPOS_SUCCESS);
    EXPECT_EQ(callByName(second, u"GetPropertyNumber", {i2(PIDX_Claimed)}), 1);
    EXPECT_EQ(callByName(second, u"ReleaseDevice", {}), OPOS_SUCCESS);
    EXPECT_EQ(callByName(first, u"GetPropertyNumber", {i2(PIDX_Claimed)}), 0);
    first->Release();
    second->Release();
}

TEST_F(Component, RefusedMethodByNameAndThroughTheVtable) {
    IDispatch* object = create();
    EXPECT_EQ(callByName(object, u"MarkFeed", {i2(1)}), OPOS_E_ILLEGAL);
    IRPrinter* printer = nullptr;
    ASSERT_EQ(
        object->QueryInterface(pos::printer::kIidIRPrinter, reinterpret_cast<void**>(&printer)),
        S_OK);
    LONG rc = 0;
    LONG firmware = 77;
    EXPECT_EQ(printer->CompareFirmwareVersion(nullptr, &firmware, &rc), S_OK);
    EXPECT_EQ(rc, OPOS_E_ILLEGAL);
    EXPECT_EQ(firmware, 77);
    EXPECT_EQ(printer->ClaimDevice(0, &rc), S_OK);
    EXPECT_EQ(rc, OPOS_SUCCESS);
    EXPECT_EQ(printer->ClaimDevice(0, nullptr), E_POINTER);
    printer->Release();
    object->Release();
}

TEST_F(Component, IdentityAggregationAndModuleLock) {
    const long before = pos::component::ModuleLock::count();
    IDispatch* object = create();
    EXPECT_EQ(pos::component::ModuleLock::count(), before + 1);
    IUnknown* unknown = nullptr;
    IConnectionPointContainer* points = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    ASSERT_EQ(
        object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points)),
        S_OK);
    IConnectionPoint* point = nullptr;
    EXPECT_EQ(points->FindConnectionPoint(pos::printer::kIidIRPrinterEvents, &point),
              CONNECT_E_NOCONNECTION);
    void* other = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
    points->Release();
    unknown->Release();
    object->Release();
    EXPECT_EQ(pos::component::ModuleLock::count(), before);

    // Aggregation hands out only the inner unknown.
    IUnknown* outer = unknown;  // any non-null outer will do for the refusal
    void* refused = nullptr;
    EXPECT_EQ(factory.CreateInstance(outer, IID_IDispatch, &refused), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(refused, nullptr);

    EXPECT_EQ(factory.LockServer(TRUE), S_OK);
    EXPECT_EQ(pos::component::ModuleLock::count(), before + 1);
    EXPECT_EQ(factory.LockServer(FALSE), S_OK);
    EXPECT_EQ(pos::component::ModuleLock::count(), before);
}

}  // namespace
