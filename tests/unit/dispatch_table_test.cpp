// Late-bound calls as real callers make them: results in the result VARIANT or as a trailing
// reference, integer arguments of any kind, in/out strings, and the errors for bad calls.
#include "component/dispatch_table.h"

#include <gtest/gtest.h>

namespace {

using pos::component::Bstr;
using pos::component::LongOut;

struct Recorder {
    std::int32_t lastLong = 0;
    std::u16string lastText;
    IDispatch* lastTarget = nullptr;

    std::int32_t Claim(std::int32_t timeout) {
        lastLong = timeout;
        return 112;
    }
    void Store(std::int32_t index, std::int32_t value) { lastLong = index * 1000 + value; }
    std::u16string Name(std::int32_t index) { return index == 1 ? u"KVX" : u"EMPTY"; }
    std::int32_t Open(const std::u16string& cls, const std::u16string&, IDispatch* target) {
        lastText = cls;
        lastTarget = target;
        return 0;
    }
    std::int32_t Direct(std::int32_t command, std::int32_t& data, std::u16string& text) {
        data = data + command;
        text = text + u"!";
        return 0;
    }
    std::int32_t Compare(const std::u16string&, LongOut&) { return 106; }
};

constexpr pos::component::Method<Recorder> kTable[] = {
    pos::component::method<&Recorder::Claim>(8, "ClaimDevice"),
    pos::component::method<&Recorder::Store>(3, "SetPropertyNumber"),
    pos::component::method<&Recorder::Name>(4, "GetPropertyString"),
    pos::component::method<&Recorder::Open>(6, "OpenService"),
    pos::component::method<&Recorder::Direct>(11, "DirectIO"),
    pos::component::method<&Recorder::Compare>(33, "CompareFirmwareVersion"),
};

VARIANT longArg(VARTYPE vt, std::int32_t v) {
    VARIANT a;
    VariantInit(&a);
    a.vt = vt;
    switch (vt) {
        case VT_I2:
            a.iVal = static_cast<SHORT>(v);
            break;
        case VT_BOOL:
            a.boolVal = v != 0 ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_INT:
            a.intVal = v;
            break;
        default:
            a.lVal = v;
            break;
    }
    return a;
}

HRESULT invoke(Recorder& r, DISPID id, std::vector<VARIANT> argsLastFirst, VARIANT* result,
               UINT* err = nullptr) {
    DISPPARAMS p{argsLastFirst.data(), nullptr, static_cast<UINT>(argsLastFirst.size()), 0};
    UINT scratch = 0;
    return pos::component::invokeMethod<Recorder>(kTable, r, id, DISPATCH_METHOD, &p, result,
                                                  err ? err : &scratch);
}

TEST(DispatchTable, ResultComesBackInTheResultVariant) {
    Recorder r;
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(invoke(r, 8, {longArg(VT_I4, 1000)}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 112);
    EXPECT_EQ(r.lastLong, 1000);
}

TEST(DispatchTable, ResultAlsoAcceptedAsTrailingReference) {
    Recorder r;
    std::int32_t rc = -7;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = reinterpret_cast<decltype(ref.plVal)>(&rc);
    ASSERT_EQ(invoke(r, 8, {ref, longArg(VT_I4, 5)}, nullptr), S_OK);
    EXPECT_EQ(rc, 112);
}

TEST(DispatchTable, IntegerArgumentsOfEveryKindAreCoerced) {
    for (VARTYPE vt : {VT_I2, VT_I4, VT_INT, VT_BOOL}) {
        Recorder r;
        VARIANT result;
        VariantInit(&result);
        ASSERT_EQ(invoke(r, 8, {longArg(vt, 1)}, &result), S_OK) << vt;
        EXPECT_EQ(r.lastLong, 1) << vt;
    }
    Recorder r;
    std::int32_t byRef = -1;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = reinterpret_cast<decltype(ref.plVal)>(&byRef);
    ASSERT_EQ(invoke(r, 8, {ref}, nullptr), S_OK);
    EXPECT_EQ(r.lastLong, -1);
}

TEST(DispatchTable, MethodsWithoutResultTakeExactlyTheirArguments) {
    Recorder r;
    ASSERT_EQ(invoke(r, 3, {longArg(VT_I4, 1), longArg(VT_I4, 3)}, nullptr), S_OK);
    EXPECT_EQ(r.lastLong, 3001);  // arguments arrive last-first
    std::int32_t extra = 0;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = reinterpret_cast<decltype(ref.plVal)>(&extra);
    EXPECT_EQ(invoke(r, 3, {ref, longArg(VT_I4, 1), longArg(VT_I4, 3)}, nullptr),
              DISP_E_BADPARAMCOUNT);
}

TEST(DispatchTable, StringResultsAndStringArguments) {
    Recorder r;
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(invoke(r, 4, {longArg(VT_I4, 1)}, &result), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(pos::component::fromBstr(result.bstrVal), u"KVX");
    VariantClear(&result);

    // An [out] string reference may hold garbage; it is written, never freed.
    BSTR out = reinterpret_cast<BSTR>(0x1);
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_BSTR;
    ref.pbstrVal = &out;
    ASSERT_EQ(invoke(r, 4, {ref, longArg(VT_I4, 2)}, nullptr), S_OK);
    EXPECT_EQ(pos::component::fromBstr(out), u"EMPTY");
    SysFreeString(out);
}

TEST(DispatchTable, InOutArgumentsAreReadAndWrittenBack) {
    Recorder r;
    std::int32_t data = 5;
    Bstr text(u"abc");
    BSTR textRef = SysAllocString(reinterpret_cast<const OLECHAR*>(u"abc"));
    VARIANT dataArg, textArg;
    VariantInit(&dataArg);
    VariantInit(&textArg);
    dataArg.vt = VT_BYREF | VT_I4;
    dataArg.plVal = reinterpret_cast<decltype(dataArg.plVal)>(&data);
    textArg.vt = VT_BYREF | VT_BSTR;
    textArg.pbstrVal = &textRef;
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(invoke(r, 11, {textArg, dataArg, longArg(VT_I4, 10)}, &result), S_OK);
    EXPECT_EQ(data, 15);
    EXPECT_EQ(pos::component::fromBstr(textRef), u"abc!");
    SysFreeString(textRef);
}

TEST(DispatchTable, OutParameterLeftAloneKeepsTheCallersValue) {
    Recorder r;
    std::int32_t firmware = 42;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = reinterpret_cast<decltype(ref.plVal)>(&firmware);
    Bstr file(u"fw.bin");
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(invoke(r, 33, {ref, pos::component::asArgument(file.get())}, &result), S_OK);
    EXPECT_EQ(result.lVal, 106);
    EXPECT_EQ(firmware, 42);
}

TEST(DispatchTable, BadCallsGetDispatchErrors) {
    Recorder r;
    VARIANT result;
    VariantInit(&result);
    UINT err = 99;
    EXPECT_EQ(invoke(r, 99, {}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(invoke(r, 8, {}, &result), DISP_E_BADPARAMCOUNT);
    Bstr text(u"x");
    EXPECT_EQ(invoke(r, 8, {pos::component::asArgument(text.get())}, &result, &err),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(err, 0u);
    // In/out parameters must come by reference.
    EXPECT_EQ(invoke(r, 11,
                     {pos::component::asArgument(text.get()), longArg(VT_I4, 1), longArg(VT_I4, 1)},
                     &result, &err),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(err, 1u);
}

TEST(DispatchTable, NamesResolveWithoutRegardToCase) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(reinterpret_cast<const OLECHAR*>(u"claimdevice"))};
    DISPID id = 0;
    EXPECT_EQ(pos::component::idsOfNames<Recorder>(kTable, names, 1, &id), S_OK);
    EXPECT_EQ(id, 8);
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(reinterpret_cast<const OLECHAR*>(u"ClaimDevices"))};
    EXPECT_EQ(pos::component::idsOfNames<Recorder>(kTable, unknown, 1, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
}

}  // namespace
