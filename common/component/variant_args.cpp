#include "variant_args.h"

#include "bstr.h"

namespace pos::component {

namespace {
constexpr VARTYPE kBaseMask = 0x0FFF;

VARTYPE baseType(const VARIANT& arg) {
    return static_cast<VARTYPE>(arg.vt & kBaseMask);
}
}  // namespace

bool isReference(const VARIANT& arg) {
    return (arg.vt & VT_BYREF) != 0;
}

const VARIANT& followReference(const VARIANT& arg, VARIANT& scratch) {
    if (!isReference(arg)) return arg;
    if (arg.byref == nullptr) {
        VariantInit(&scratch);
        scratch.vt = VT_ERROR;
        return scratch;
    }
    if (baseType(arg) == VT_VARIANT) return *arg.pvarVal;
    VariantInit(&scratch);
    scratch.vt = baseType(arg);
    switch (scratch.vt) {
        case VT_I2:
            scratch.iVal = *arg.piVal;
            break;
        case VT_I4:
            scratch.lVal = *arg.plVal;
            break;
        case VT_INT:
            scratch.intVal = *arg.pintVal;
            break;
        case VT_UI1:
            scratch.bVal = *arg.pbVal;
            break;
        case VT_I1:
            scratch.cVal = *arg.pcVal;
            break;
        case VT_UI2:
            scratch.uiVal = *arg.puiVal;
            break;
        case VT_UI4:
            scratch.ulVal = *arg.pulVal;
            break;
        case VT_UINT:
            scratch.uintVal = *arg.puintVal;
            break;
        case VT_BOOL:
            scratch.boolVal = *arg.pboolVal;
            break;
        case VT_BSTR:
            scratch.bstrVal = *arg.pbstrVal;
            break;
        case VT_DISPATCH:
            scratch.pdispVal = *arg.ppdispVal;
            break;
        case VT_UNKNOWN:
            scratch.punkVal = *arg.ppunkVal;
            break;
        default:
            scratch.vt = VT_ERROR;
            break;
    }
    return scratch;
}

std::optional<std::int32_t> toLong(const VARIANT& given) {
    VARIANT scratch;
    const VARIANT& arg = followReference(given, scratch);
    switch (arg.vt) {
        case VT_I2:
            return arg.iVal;
        case VT_I4:
            return arg.lVal;
        case VT_INT:
            return arg.intVal;
        case VT_I1:
            return static_cast<std::int32_t>(static_cast<signed char>(arg.cVal));
        case VT_UI1:
            return arg.bVal;
        case VT_UI2:
            return arg.uiVal;
        // Unsigned 32-bit values keep their bits, as a C caller passing -1 as DWORD expects.
        case VT_UI4:
            return static_cast<std::int32_t>(arg.ulVal);
        case VT_UINT:
            return static_cast<std::int32_t>(arg.uintVal);
        case VT_BOOL:
            return arg.boolVal != 0 ? 1 : 0;
        default:
            return std::nullopt;
    }
}

std::optional<std::u16string> toString(const VARIANT& given) {
    VARIANT scratch;
    const VARIANT& arg = followReference(given, scratch);
    if (arg.vt == VT_BSTR) return fromBstr(arg.bstrVal);
    if (arg.vt == VT_EMPTY || arg.vt == VT_NULL) return std::u16string();
    return std::nullopt;
}

std::optional<IDispatch*> toDispatch(const VARIANT& given) {
    VARIANT scratch;
    const VARIANT& arg = followReference(given, scratch);
    switch (arg.vt) {
        case VT_DISPATCH:
            return arg.pdispVal;
        case VT_EMPTY:
        case VT_NULL:
            return nullptr;
        case VT_UNKNOWN: {
            if (arg.punkVal == nullptr) return nullptr;
            // The stored target is not counted (its owner outlives us), so hand back the
            // interface without keeping the reference QueryInterface added.
            IDispatch* dispatch = nullptr;
            if (FAILED(arg.punkVal->QueryInterface(IID_IDispatch,
                                                   reinterpret_cast<void**>(&dispatch)))) {
                return std::nullopt;
            }
            dispatch->Release();
            return dispatch;
        }
        default:
            return std::nullopt;
    }
}

bool storeLong(VARIANT& arg, std::int32_t value) {
    if (!isReference(arg) || arg.byref == nullptr) return false;
    switch (baseType(arg)) {
        case VT_I4:
            *arg.plVal = value;
            return true;
        case VT_INT:
            *arg.pintVal = value;
            return true;
        case VT_UI4:
            *arg.pulVal = static_cast<ULONG>(value);
            return true;
        case VT_UINT:
            *arg.puintVal = static_cast<UINT>(value);
            return true;
        case VT_VARIANT:
            VariantClear(arg.pvarVal);
            arg.pvarVal->vt = VT_I4;
            arg.pvarVal->lVal = value;
            return true;
        default:
            return false;
    }
}

bool storeString(VARIANT& arg, std::u16string_view value) {
    if (!isReference(arg) || arg.byref == nullptr) return false;
    switch (baseType(arg)) {
        case VT_BSTR:
            SysFreeString(*arg.pbstrVal);
            *arg.pbstrVal = allocBstr(value);
            return true;
        case VT_VARIANT:
            VariantClear(arg.pvarVal);
            arg.pvarVal->vt = VT_BSTR;
            arg.pvarVal->bstrVal = allocBstr(value);
            return true;
        default:
            return false;
    }
}

}  // namespace pos::component
