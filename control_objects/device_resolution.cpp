#include "device_resolution.h"

namespace pos::control {

using platform::Hive;
using platform::ValueType;

std::optional<ResolvedDevice> resolveDevice(platform::RegistryStore& store,
                                            const std::string& deviceClass, const std::string& name,
                                            std::string* error) {
    auto fail = [&](std::string message) -> std::optional<ResolvedDevice> {
        if (error != nullptr) *error = std::move(message);
        return std::nullopt;
    };
    if (name.empty()) return fail("no device name given");
    const std::string classKey = std::string(kServiceOposKey) + "\\" + deviceClass;
    std::string deviceName = name;
    if (auto logical = store.readValue(Hive::LocalMachine, classKey, name);
        logical && logical->type != ValueType::DWord && !logical->text.empty()) {
        deviceName = logical->text;
    }
    const std::string deviceKey = classKey + "\\" + deviceName;
    if (!store.keyExists(Hive::LocalMachine, deviceKey)) {
        return fail("'" + name + "' is not a " + deviceClass + " device");
    }
    auto progId = store.readValue(Hive::LocalMachine, deviceKey, "");
    if (!progId || progId->type == ValueType::DWord || progId->text.empty()) {
        return fail("device '" + deviceName + "' names no service object");
    }
    return ResolvedDevice{deviceKey, progId->text};
}

}  // namespace pos::control
