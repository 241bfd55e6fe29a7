#pragma once
// Calling a service object's method by name, as OPOS control objects do: in-parameters only,
// the result code (or property value) taken from the call's result.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/com.h"

namespace pos::control {

struct CallArg {
    std::variant<std::int32_t, std::u16string> value;
    bool byRef = false;  // [in, out] and [out] parameters; updated in place after the call

    static CallArg number(std::int32_t v) { return {v, false}; }
    static CallArg text(std::u16string v) { return {std::move(v), false}; }
    static CallArg numberRef(std::int32_t v) { return {v, true}; }
    static CallArg textRef(std::u16string v) { return {std::move(v), true}; }
};

struct CallResult {
    HRESULT hr = E_FAIL;
    std::optional<std::int32_t> number;
    std::optional<std::u16string> text;
};

// A cache of the names already looked up, per service object.
class ServiceCaller {
  public:
    explicit ServiceCaller(IDispatch* service) : service_(service) {}
    CallResult call(std::string_view method, std::vector<CallArg>& args);
    CallResult call(std::string_view method, std::vector<CallArg>&& args) {
        return call(method, args);
    }
    // Passes a dispatch pointer as an argument (OpenService's event target).
    CallResult callWithDispatch(std::string_view method, std::vector<CallArg>& before,
                                IDispatch* target);

  private:
    std::optional<DISPID> idOf(std::string_view method);
    CallResult invoke(std::string_view method, std::vector<CallArg>& args,
                      IDispatch* trailingDispatch);

    IDispatch* service_;
    std::vector<std::pair<std::string, DISPID>> ids_;
};

}  // namespace pos::control
