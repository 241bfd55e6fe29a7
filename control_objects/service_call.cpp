#include "service_call.h"

#include "component/bstr.h"

namespace pos::control {

using component::allocBstr;
using component::fromBstr;

std::optional<DISPID> ServiceCaller::idOf(std::string_view method) {
    for (const auto& [name, id] : ids_) {
        if (name == method) return id;
    }
    std::u16string wide = component::widen(method);
    LPOLESTR names[] = {const_cast<LPOLESTR>(component::oleChars(wide))};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(service_->GetIDsOfNames(IID_NULL, names, 1, GetUserDefaultLCID(), &id)))
        return std::nullopt;
    ids_.emplace_back(std::string(method), id);
    return id;
}

CallResult ServiceCaller::call(std::string_view method, std::vector<CallArg>& args) {
    return invoke(method, args, nullptr);
}

CallResult ServiceCaller::callWithDispatch(std::string_view method, std::vector<CallArg>& before,
                                           IDispatch* target) {
    return invoke(method, before, target);
}

CallResult ServiceCaller::invoke(std::string_view method, std::vector<CallArg>& args,
                                 IDispatch* trailingDispatch) {
    CallResult out;
    const auto id = idOf(method);
    if (!id) {
        out.hr = DISP_E_UNKNOWNNAME;
        return out;
    }
    const std::size_t count = args.size() + (trailingDispatch != nullptr ? 1 : 0);
    std::vector<VARIANT> packed(count);
    std::vector<std::int32_t> numbers(args.size());
    std::vector<BSTR> texts(args.size(), nullptr);
    for (std::size_t i = 0; i < args.size(); ++i) {
        VARIANT& v = packed[count - 1 - i];  // last argument first
        VariantInit(&v);
        if (const auto* n = std::get_if<std::int32_t>(&args[i].value)) {
            numbers[i] = *n;
            if (args[i].byRef) {
                v.vt = VT_BYREF | VT_I4;
                v.plVal = reinterpret_cast<decltype(v.plVal)>(&numbers[i]);
            } else {
                v.vt = VT_I4;
                v.lVal = *n;
            }
        } else {
            texts[i] = allocBstr(std::get<std::u16string>(args[i].value));
            if (args[i].byRef) {
                v.vt = VT_BYREF | VT_BSTR;
                v.pbstrVal = &texts[i];
            } else {
                v.vt = VT_BSTR;
                v.bstrVal = texts[i];
            }
        }
    }
    if (trailingDispatch != nullptr) {
        VariantInit(&packed[0]);
        packed[0].vt = VT_DISPATCH;
        packed[0].pdispVal = trailingDispatch;
    }
    DISPPARAMS params{packed.data(), nullptr, static_cast<UINT>(count), 0};
    VARIANT result;
    VariantInit(&result);
    UINT argError = 0;
    out.hr = service_->Invoke(*id, IID_NULL, GetUserDefaultLCID(), DISPATCH_METHOD, &params,
                              &result, nullptr, &argError);
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].byRef) {
            if (std::holds_alternative<std::int32_t>(args[i].value)) {
                args[i].value = numbers[i];
            } else {
                args[i].value = fromBstr(texts[i]);
            }
        }
        SysFreeString(texts[i]);
    }
    if (SUCCEEDED(out.hr)) {
        if (result.vt == VT_I4) out.number = result.lVal;
        if (result.vt == VT_BSTR) out.text = fromBstr(result.bstrVal);
    }
    VariantClear(&result);
    return out;
}

}  // namespace pos::control
