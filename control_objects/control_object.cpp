#include "control_object.h"

#include "component/bstr.h"
#include "component/dispatch_table.h"
#include "component/variant_args.h"
#include "device_resolution.h"
#include "opos_constants.h"

namespace pos::control {

using namespace pos::opos;

// The control object's dispatch interface. Its lifetime is the control object's: the service
// object stores the pointer without a reference, and the control object outlives it.
class ControlObject::Dispatch final : public IDispatch {
  public:
    explicit Dispatch(ControlObject& owner) : owner_(owner) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDispatch)) {
            *out = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT* argError) override;

  private:
    ControlObject& owner_;
};

namespace {
struct Member {
    const char* name;
    DISPID id;
};
constexpr Member kMembers[] = {
    {"Open", dispid::kOpen},
    {"Close", dispid::kClose},
    {"ClaimDevice", dispid::kClaimDevice},
    {"ReleaseDevice", dispid::kReleaseDevice},
    {"CheckHealth", dispid::kCheckHealth},
    {"DeviceEnabled", dispid::kDeviceEnabled},
    {"ControlObjectVersion", dispid::kControlObjectVersion},
    {"SOData", dispid::kSOData},
    {"SODirectIO", dispid::kSODirectIO},
    {"SOError", dispid::kSOError},
    {"SOOutputCompleteDummy", dispid::kSOOutputComplete},
    {"SOStatusUpdate", dispid::kSOStatusUpdate},
    {"SOProcessID", dispid::kSOProcessID},
};

void setLong(VARIANT* result, std::int32_t value) {
    if (result == nullptr) return;
    VariantInit(result);
    result->vt = VT_I4;
    result->lVal = value;
}

// Arguments arrive last-first.
VARIANT* argAt(DISPPARAMS* params, UINT index) {
    if (params == nullptr || index >= params->cArgs) return nullptr;
    return &params->rgvarg[params->cArgs - 1 - index];
}
}  // namespace

HRESULT ControlObject::Dispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                               DISPID* ids) {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (const Member& m : kMembers) {
        if (names[0] != nullptr && component::namesEqual(m.name, names[0])) {
            ids[0] = m.id;
            return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT ControlObject::Dispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                        VARIANT* result, EXCEPINFO*, UINT* argError) {
    auto longArg = [&](UINT index) -> std::optional<std::int32_t> {
        VARIANT* v = argAt(params, index);
        if (v == nullptr) return std::nullopt;
        return component::toLong(*v);
    };
    auto mismatch = [&](UINT index) {
        if (argError != nullptr && params != nullptr && index < params->cArgs)
            *argError = params->cArgs - 1 - index;
        return DISP_E_TYPEMISMATCH;
    };
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    switch (id) {
        case dispid::kDeviceEnabled:
            if (put) {
                // A property put carries its value as the one (named) argument.
                auto value = longArg(0);
                if (!value) return mismatch(0);
                owner_.SetDeviceEnabled(*value != 0);
                return S_OK;
            }
            if (result != nullptr) {
                VariantInit(result);
                result->vt = VT_BOOL;
                result->boolVal = owner_.DeviceEnabled() ? VARIANT_TRUE : VARIANT_FALSE;
            }
            return S_OK;
        case dispid::kControlObjectVersion:
            if (put) return DISP_E_MEMBERNOTFOUND;
            setLong(result, owner_.ControlObjectVersion());
            return S_OK;
        case dispid::kOpen: {
            VARIANT* v = argAt(params, 0);
            auto name = v != nullptr ? component::toString(*v) : std::nullopt;
            if (!name) return mismatch(0);
            setLong(result, owner_.Open(component::toUtf8(*name)));
            return S_OK;
        }
        case dispid::kClose:
            setLong(result, owner_.Close());
            return S_OK;
        case dispid::kReleaseDevice:
            setLong(result, owner_.ReleaseDevice());
            return S_OK;
        case dispid::kClaimDevice: {
            auto timeout = longArg(0);
            if (!timeout) return mismatch(0);
            setLong(result, owner_.ClaimDevice(*timeout));
            return S_OK;
        }
        case dispid::kCheckHealth: {
            auto level = longArg(0);
            if (!level) return mismatch(0);
            setLong(result, owner_.CheckHealth(*level));
            return S_OK;
        }
        case dispid::kSOStatusUpdate: {
            auto status = longArg(0);
            if (!status) return mismatch(0);
            owner_.raiseStatusUpdate(*status);
            return S_OK;
        }
        case dispid::kSOData:
        case dispid::kSODirectIO:
        case dispid::kSOError:
        case dispid::kSOOutputComplete:
            return S_OK;  // this control object raises no data, direct-I/O, error or completion
                          // events
        case dispid::kSOProcessID:
            setLong(result, 0);
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

ControlObject::ControlObject(std::string deviceClass, StoreOpener openStore)
    : deviceClass_(std::move(deviceClass)),
      openStore_(std::move(openStore)),
      dispatch_(std::make_unique<Dispatch>(*this)) {}

ControlObject::~ControlObject() {
    Close();
}

IDispatch* ControlObject::dispatch() {
    return dispatch_.get();
}

std::int32_t ControlObject::Open(const std::string& deviceName) {
    if (isOpen()) return resultCode_ = OPOS_E_ILLEGAL;
    lastError_.clear();
    auto store = openStore_ ? openStore_() : nullptr;
    if (!store) {
        lastError_ = "the device store cannot be opened";
        return resultCode_ = OPOS_E_NOEXIST;
    }
    auto device = resolveDevice(*store, deviceClass_, deviceName, &lastError_);
    if (!device) return resultCode_ = OPOS_E_NOEXIST;
    service_ = platform::activateByProgId(device->progId, store.get(), &lastError_);
    store.reset();  // the service object opens the store itself
    if (!service_) return resultCode_ = OPOS_E_NOSERVICE;
    caller_ = std::make_unique<ServiceCaller>(service_->dispatch());

    std::vector<CallArg> args{CallArg::text(component::fromUtf8(deviceClass_)),
                              CallArg::text(component::fromUtf8(deviceName))};
    const CallResult opened = caller_->callWithDispatch("OpenService", args, dispatch());
    if (FAILED(opened.hr) || !opened.number) {
        lastError_ = "the service object does not answer OpenService";
        caller_.reset();
        service_.reset();
        return resultCode_ = OPOS_E_NOSERVICE;
    }
    if (*opened.number != OPOS_SUCCESS) {
        lastError_ = "OpenService answered " + std::to_string(*opened.number);
        caller_.reset();
        service_.reset();
    }
    return resultCode_ = *opened.number;
}

std::int32_t ControlObject::Close() {
    if (!isOpen()) return resultCode_ = OPOS_E_CLOSED;
    const std::int32_t rc = callForResult("CloseService", {});
    caller_.reset();
    service_.reset();
    return resultCode_ = rc;
}

CallResult ControlObject::callService(std::string_view method, std::vector<CallArg>& args) {
    if (!isOpen()) {
        resultCode_ = OPOS_E_CLOSED;
        return CallResult{S_OK, OPOS_E_CLOSED, std::nullopt};
    }
    CallResult r = caller_->call(method, args);
    if (r.number) resultCode_ = *r.number;
    return r;
}

std::int32_t ControlObject::callForResult(std::string_view method, std::vector<CallArg> args) {
    const CallResult r = callService(method, args);
    if (FAILED(r.hr) || !r.number) return resultCode_ = OPOS_E_FAILURE;
    return *r.number;
}

std::int32_t ControlObject::ClaimDevice(std::int32_t timeout) {
    return callForResult("ClaimDevice", {CallArg::number(timeout)});
}

std::int32_t ControlObject::ReleaseDevice() {
    return callForResult("ReleaseDevice", {});
}

std::int32_t ControlObject::CheckHealth(std::int32_t level) {
    return callForResult("CheckHealth", {CallArg::number(level)});
}

std::int32_t ControlObject::SetDeviceEnabled(bool enabled) {
    if (!isOpen()) return resultCode_ = OPOS_E_CLOSED;
    std::vector<CallArg> args{CallArg::number(PIDX_DeviceEnabled),
                              CallArg::number(enabled ? 1 : 0)};
    const CallResult r = caller_->call("SetPropertyNumber", args);
    return resultCode_ = SUCCEEDED(r.hr) ? OPOS_SUCCESS : OPOS_E_FAILURE;
}

bool ControlObject::DeviceEnabled() {
    if (!isOpen()) return false;
    std::vector<CallArg> args{CallArg::number(PIDX_DeviceEnabled)};
    const CallResult r = caller_->call("GetPropertyNumber", args);
    return r.number && *r.number != 0;
}

void ControlObject::setStatusUpdateHandler(std::function<void(std::int32_t)> handler) {
    std::lock_guard<std::mutex> lock(handlerLock_);
    statusUpdate_ = std::move(handler);
}

void ControlObject::raiseStatusUpdate(std::int32_t status) {
    std::function<void(std::int32_t)> handler;
    {
        std::lock_guard<std::mutex> lock(handlerLock_);
        handler = statusUpdate_;
    }
    if (handler) handler(status);
}

}  // namespace pos::control
