#pragma once
// One table per dispatch interface: DISPID, name, parameter kinds and the handler, serving
// Invoke, GetIDsOfNames, the early-bound vtable and every tool that calls by name.
//
// Callers pass the in-parameters, and either take the last [out, retval] from the call's result
// VARIANT (as OPOS control objects do) or pass it as a trailing by-reference argument (as a
// vtable call or a C caller does). Integer arguments of any kind, by value or by reference, are
// coerced.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "bstr.h"
#include "platform/com.h"
#include "variant_args.h"

namespace pos::component {

enum class Param : std::uint8_t { Long, String, Dispatch, LongInOut, StringInOut, LongOut };
enum class Result : std::uint8_t { None, Long, String };

// An [out] long the method may leave alone; the caller's value is then kept.
struct LongOut {
    std::optional<std::int32_t> value;
};

template <class Service>
struct Method {
    DISPID id;
    std::string_view name;
    std::span<const Param> params;  // in IDL order, the retval excluded
    Result result;
    HRESULT (*call)(Service& service, DISPPARAMS& args, VARIANT* result, UINT* argError);
};

bool namesEqual(std::string_view ascii, const OLECHAR* wide);

namespace detail {

template <class T>
struct ParamOf;
template <>
struct ParamOf<std::int32_t> {
    static constexpr Param kind = Param::Long;
    using Holder = std::int32_t;
    static bool load(VARIANT& v, Holder& h) {
        auto value = toLong(v);
        if (value) h = *value;
        return value.has_value();
    }
    static bool store(VARIANT&, const Holder&) { return true; }
};
template <>
struct ParamOf<const std::u16string&> {
    static constexpr Param kind = Param::String;
    using Holder = std::u16string;
    static bool load(VARIANT& v, Holder& h) {
        auto value = toString(v);
        if (value) h = std::move(*value);
        return value.has_value();
    }
    static bool store(VARIANT&, const Holder&) { return true; }
};
template <>
struct ParamOf<IDispatch*> {
    static constexpr Param kind = Param::Dispatch;
    using Holder = IDispatch*;
    static bool load(VARIANT& v, Holder& h) {
        auto value = toDispatch(v);
        if (value) h = *value;
        return value.has_value();
    }
    static bool store(VARIANT&, const Holder&) { return true; }
};
template <>
struct ParamOf<std::int32_t&> {
    static constexpr Param kind = Param::LongInOut;
    using Holder = std::int32_t;
    static bool load(VARIANT& v, Holder& h) {
        return isReference(v) && ParamOf<std::int32_t>::load(v, h);
    }
    static bool store(VARIANT& v, const Holder& h) { return storeLong(v, h); }
};
template <>
struct ParamOf<std::u16string&> {
    static constexpr Param kind = Param::StringInOut;
    using Holder = std::u16string;
    static bool load(VARIANT& v, Holder& h) {
        return isReference(v) && ParamOf<const std::u16string&>::load(v, h);
    }
    static bool store(VARIANT& v, const Holder& h) { return storeString(v, h); }
};
template <>
struct ParamOf<LongOut&> {
    static constexpr Param kind = Param::LongOut;
    using Holder = LongOut;
    static bool load(VARIANT& v, Holder&) { return isReference(v); }
    static bool store(VARIANT& v, const Holder& h) { return !h.value || storeLong(v, *h.value); }
};

template <class R>
struct ResultOf;
template <>
struct ResultOf<void> {
    static constexpr Result kind = Result::None;
};
template <>
struct ResultOf<std::int32_t> {
    static constexpr Result kind = Result::Long;
    static void toResult(VARIANT& out, std::int32_t value) {
        VariantInit(&out);
        out.vt = VT_I4;
        out.lVal = value;
    }
    static bool toReference(VARIANT& ref, std::int32_t value) { return storeLong(ref, value); }
};
template <>
struct ResultOf<std::u16string> {
    static constexpr Result kind = Result::String;
    static void toResult(VARIANT& out, const std::u16string& value) {
        VariantInit(&out);
        out.vt = VT_BSTR;
        out.bstrVal = allocBstr(value);
    }
    // An [out] string: whatever the caller's pointer held is not ours to free.
    static bool toReference(VARIANT& ref, const std::u16string& value) {
        if (!isReference(ref) || ref.byref == nullptr) return false;
        if ((ref.vt & 0x0FFF) == VT_BSTR) {
            *ref.pbstrVal = allocBstr(value);
            return true;
        }
        return storeString(ref, value);
    }
};

template <auto Fn>
struct Binder;

template <class Service, class R, class... Args, R (Service::*Fn)(Args...)>
struct Binder<Fn> {
    using ServiceType = Service;
    static constexpr std::size_t kCount = sizeof...(Args);
    static constexpr std::array<Param, kCount> kParams = {ParamOf<Args>::kind...};
    static constexpr Result kResult = ResultOf<R>::kind;

    static HRESULT call(Service& service, DISPPARAMS& args, VARIANT* result, UINT* argError) {
        const bool trailingResult = kResult != Result::None && args.cArgs == kCount + 1;
        if (args.cArgs != kCount && !trailingResult) return DISP_E_BADPARAMCOUNT;
        return callWith(service, args, result, argError, trailingResult,
                        std::index_sequence_for<Args...>{});
    }

    template <std::size_t... I>
    static HRESULT callWith(Service& service, DISPPARAMS& args, VARIANT* result, UINT* argError,
                            bool trailingResult, std::index_sequence<I...>) {
        std::tuple<typename ParamOf<Args>::Holder...> holders;
        // Arguments arrive last-first.
        auto at = [&](std::size_t i) -> VARIANT& { return args.rgvarg[args.cArgs - 1 - i]; };
        std::size_t failed = kCount;
        ((failed == kCount && !ParamOf<Args>::load(at(I), std::get<I>(holders)) ? failed = I : 0),
         ...);
        if (failed != kCount) {
            if (argError != nullptr) *argError = static_cast<UINT>(args.cArgs - 1 - failed);
            return DISP_E_TYPEMISMATCH;
        }
        if constexpr (kResult == Result::None) {
            (service.*Fn)(std::get<I>(holders)...);
            if (!(ParamOf<Args>::store(at(I), std::get<I>(holders)) && ...))
                return DISP_E_TYPEMISMATCH;
        } else {
            R value = (service.*Fn)(std::get<I>(holders)...);
            if (!(ParamOf<Args>::store(at(I), std::get<I>(holders)) && ...))
                return DISP_E_TYPEMISMATCH;
            if (trailingResult) {
                if (!ResultOf<R>::toReference(args.rgvarg[0], value)) {
                    if (argError != nullptr) *argError = 0;
                    return DISP_E_TYPEMISMATCH;
                }
            } else if (result != nullptr) {
                ResultOf<R>::toResult(*result, value);
            }
        }
        return S_OK;
    }
};

}  // namespace detail

template <auto Fn>
constexpr Method<typename detail::Binder<Fn>::ServiceType> method(DISPID id,
                                                                  std::string_view name) {
    using B = detail::Binder<Fn>;
    return {id, name, std::span<const Param>(B::kParams), B::kResult, &B::call};
}

template <class Service>
const Method<Service>* findMethod(std::span<const Method<Service>> table, DISPID id) {
    for (const auto& m : table) {
        if (m.id == id) return &m;
    }
    return nullptr;
}

template <class Service>
const Method<Service>* findMethod(std::span<const Method<Service>> table, std::string_view name) {
    for (const auto& m : table) {
        if (m.name.size() == name.size()) {
            bool same = true;
            for (std::size_t i = 0; same && i < name.size(); ++i) {
                auto lower = [](char c) {
                    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
                };
                same = lower(m.name[i]) == lower(name[i]);
            }
            if (same) return &m;
        }
    }
    return nullptr;
}

template <class Service>
HRESULT idsOfNames(std::span<const Method<Service>> table, LPOLESTR* names, UINT count,
                   DISPID* ids) {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    const Method<Service>* found = nullptr;
    for (const auto& m : table) {
        if (names[0] != nullptr && namesEqual(m.name, names[0])) {
            found = &m;
            break;
        }
    }
    if (found == nullptr) return DISP_E_UNKNOWNNAME;
    ids[0] = found->id;
    // Named arguments are not offered.
    if (count > 1) hr = DISP_E_UNKNOWNNAME;
    return hr;
}

template <class Service>
HRESULT invokeMethod(std::span<const Method<Service>> table, Service& service, DISPID id,
                     WORD flags, DISPPARAMS* args, VARIANT* result, UINT* argError) {
    const Method<Service>* m = findMethod(table, id);
    if (m == nullptr) return DISP_E_MEMBERNOTFOUND;
    if ((flags & DISPATCH_METHOD) == 0 && flags != DISPATCH_PROPERTYGET)
        return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    DISPPARAMS& given = args != nullptr ? *args : none;
    if (given.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (given.cArgs != 0 && given.rgvarg == nullptr) return E_INVALIDARG;
    return m->call(service, given, result, argError);
}

// Early-bound calls: pack the C arguments as the late-bound caller would, retval last.
inline VARIANT asArgument(std::int32_t value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}
#ifdef _WIN32
inline VARIANT asArgument(LONG value) {
    return asArgument(static_cast<std::int32_t>(value));
}
inline VARIANT asArgument(LONG* ref) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_I4;
    v.plVal = ref;
    return v;
}
#else
inline VARIANT asArgument(std::int32_t* ref) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_I4;
    v.plVal = ref;
    return v;
}
#endif
inline VARIANT asArgument(BSTR value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = value;
    return v;
}
inline VARIANT asArgument(BSTR* ref) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_BSTR;
    v.pbstrVal = ref;
    return v;
}
inline VARIANT asArgument(IDispatch* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = value;
    return v;
}

template <class Service, class... A>
HRESULT callById(std::span<const Method<Service>> table, Service& service, DISPID id, A... args) {
    std::array<VARIANT, sizeof...(A)> packed{asArgument(args)...};
    // Invoke expects the last argument first.
    for (std::size_t i = 0; i < packed.size() / 2; ++i)
        std::swap(packed[i], packed[packed.size() - 1 - i]);
    DISPPARAMS params{packed.data(), nullptr, static_cast<UINT>(packed.size()), 0};
    UINT argError = 0;
    const HRESULT hr =
        invokeMethod(table, service, id, DISPATCH_METHOD, &params, nullptr, &argError);
    // A null out-pointer from an early-bound caller is a pointer error, not a type mismatch.
    return hr == DISP_E_TYPEMISMATCH ? E_POINTER : hr;
}

}  // namespace pos::component
