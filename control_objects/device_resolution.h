#pragma once
// Finding a device's service object from the OPOS device entries.
#include <optional>
#include <string>

#include "platform/registry_store.h"

namespace pos::control {

inline constexpr const char* kServiceOposKey = "SOFTWARE\\OLEforRetail\\ServiceOPOS";

struct ResolvedDevice {
    std::string deviceKey;  // e.g. "SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO"
    std::string progId;     // the device key's default value
};

// name is a logical device name (a value of the class key whose data names the device key)
// or the device key's own name. nullopt with a message when neither leads to a service object.
std::optional<ResolvedDevice> resolveDevice(platform::RegistryStore& store,
                                            const std::string& deviceClass, const std::string& name,
                                            std::string* error);

}  // namespace pos::control
