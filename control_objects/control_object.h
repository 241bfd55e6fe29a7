#pragma once
// A minimal OPOS control object: finds the device entry, creates the service object by its
// programmatic identifier, calls it by name the way OPOS control objects do, and passes the
// service object's events on to the application.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/com.h"
#include "platform/com_activation.h"
#include "platform/registry_store.h"
#include "service_call.h"

namespace pos::control {

// The dispatch ids applications and the setup utility call the control object by.
namespace dispid {
inline constexpr DISPID kDeviceEnabled = 17;
inline constexpr DISPID kControlObjectVersion = 26;
inline constexpr DISPID kCheckHealth = 31;
inline constexpr DISPID kClaimDevice = 32;
inline constexpr DISPID kClose = 35;
inline constexpr DISPID kOpen = 37;
inline constexpr DISPID kReleaseDevice = 38;
// What service objects call back, found by name.
inline constexpr DISPID kSOData = 1;
inline constexpr DISPID kSODirectIO = 2;
inline constexpr DISPID kSOError = 3;
inline constexpr DISPID kSOOutputComplete = 4;
inline constexpr DISPID kSOStatusUpdate = 5;
inline constexpr DISPID kSOProcessID = 9;
}  // namespace dispid

class ControlObject {
  public:
    using StoreOpener = std::function<std::unique_ptr<platform::RegistryStore>()>;
    static constexpr std::int32_t kVersion = 1014001;  // 1.14.1

    ControlObject(std::string deviceClass, StoreOpener openStore);
    ControlObject(const ControlObject&) = delete;
    ControlObject& operator=(const ControlObject&) = delete;
    virtual ~ControlObject();

    std::int32_t Open(const std::string& deviceName);
    std::int32_t Close();
    std::int32_t ClaimDevice(std::int32_t timeout);
    std::int32_t ReleaseDevice();
    std::int32_t CheckHealth(std::int32_t level);
    std::int32_t SetDeviceEnabled(bool enabled);
    bool DeviceEnabled();
    std::int32_t ControlObjectVersion() const { return kVersion; }
    std::int32_t ResultCode() const { return resultCode_; }

    bool isOpen() const { return service_ != nullptr; }
    const std::string& deviceClass() const { return deviceClass_; }
    // Why the last Open failed, in words.
    const std::string& lastError() const { return lastError_; }

    // Any method of the service object by its OPOS name; by-reference arguments come back
    // updated. OPOS_E_CLOSED when nothing is open.
    CallResult callService(std::string_view method, std::vector<CallArg>& args);
    std::int32_t callForResult(std::string_view method, std::vector<CallArg> args);

    // Raised from whichever thread the service object fires on.
    void setStatusUpdateHandler(std::function<void(std::int32_t)> handler);
    void raiseStatusUpdate(std::int32_t status);

    // This control object's own dispatch interface (the service object's event target).
    IDispatch* dispatch();

  private:
    class Dispatch;

    std::string deviceClass_;
    StoreOpener openStore_;
    std::unique_ptr<platform::ActivatedObject> service_;
    std::unique_ptr<ServiceCaller> caller_;
    std::unique_ptr<Dispatch> dispatch_;
    std::int32_t resultCode_ = 0;
    std::string lastError_;
    std::mutex handlerLock_;
    std::function<void(std::int32_t)> statusUpdate_;
};

}  // namespace pos::control
