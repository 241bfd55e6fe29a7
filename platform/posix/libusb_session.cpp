#include "libusb_session.h"

#include <algorithm>

#include "libusb_context.h"

namespace pos::platform::posix {

namespace {

constexpr int kMostPorts = 7;

struct ConfigFree {
    void operator()(libusb_config_descriptor* c) const { libusb_free_config_descriptor(c); }
};

void addSettings(const libusb_interface& interface, std::vector<UsbAltSettingInfo>& settings) {
    for (int a = 0; a < interface.num_altsetting; ++a) {
        const libusb_interface_descriptor& alt = interface.altsetting[a];
        UsbAltSettingInfo info{
            alt.bInterfaceNumber, alt.bAlternateSetting, alt.bInterfaceClass, {}};
        for (int e = 0; e < alt.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor& ep = alt.endpoint[e];
            info.endpoints.push_back({ep.bEndpointAddress, ep.bmAttributes, ep.wMaxPacketSize});
        }
        settings.push_back(std::move(info));
    }
}

}  // namespace

std::optional<LibusbDeviceFacts> describeDevice(libusb_device* device) {
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS) return std::nullopt;
    std::uint8_t ports[kMostPorts] = {};
    const int portCount = libusb_get_port_numbers(device, ports, kMostPorts);
    if (portCount <= 0) return std::nullopt;  // a root hub: no pipes of ours
    libusb_config_descriptor* raw = nullptr;
    if (libusb_get_active_config_descriptor(device, &raw) != LIBUSB_SUCCESS) return std::nullopt;
    const std::unique_ptr<libusb_config_descriptor, ConfigFree> config(raw);

    LibusbDeviceFacts facts;
    facts.location.vendorId = descriptor.idVendor;
    facts.location.productId = descriptor.idProduct;
    facts.location.bus = libusb_get_bus_number(device);
    facts.location.ports.assign(ports, ports + portCount);
    facts.location.configuration = config->bConfigurationValue;
    for (int i = 0; i < config->bNumInterfaces; ++i)
        addSettings(config->interface[i], facts.settings);
    return facts;
}

std::shared_ptr<LibusbSession> LibusbSession::open(const UsbLocation& location) {
    auto context = sharedLibusbContext();
    if (!context) return nullptr;
    const LibusbDeviceList devices(context.get());
    for (libusb_device* device : devices) {
        auto facts = describeDevice(device);
        if (!facts) continue;
        facts->location.interfaceNumber = location.interfaceNumber;
        if (facts->location != location) continue;
        const auto bulk = bulkInterfaces(facts->settings);
        const auto pipes = std::find_if(bulk.begin(), bulk.end(), [&](const UsbBulkInterface& b) {
            return b.interfaceNumber == location.interfaceNumber;
        });
        if (pipes == bulk.end()) return nullptr;
        libusb_device_handle* handle = nullptr;
        if (libusb_open(device, &handle) != LIBUSB_SUCCESS) return nullptr;
        std::shared_ptr<LibusbSession> session(
            new LibusbSession(std::move(context), handle, *pipes));
        if (!session->claim()) return nullptr;
        return session;
    }
    return nullptr;
}

LibusbSession::LibusbSession(std::shared_ptr<libusb_context> context, libusb_device_handle* handle,
                             UsbBulkInterface pipes)
    : context_(std::move(context)), handle_(handle), pipes_(pipes) {}

bool LibusbSession::claim() {
    const int interface = pipes_.interfaceNumber;
    // The kernel's printer driver usually holds a printing interface; borrow it for our use.
    if (libusb_kernel_driver_active(handle_, interface) == 1) {
        if (libusb_detach_kernel_driver(handle_, interface) != LIBUSB_SUCCESS) return false;
        reattachDriver_ = true;
    }
    if (libusb_claim_interface(handle_, interface) != LIBUSB_SUCCESS) return false;
    claimed_ = true;
    return pipes_.alternateSetting == 0 ||
           libusb_set_interface_alt_setting(handle_, interface, pipes_.alternateSetting) ==
               LIBUSB_SUCCESS;
}

LibusbSession::~LibusbSession() {
    const int interface = pipes_.interfaceNumber;
    if (claimed_) libusb_release_interface(handle_, interface);
    if (reattachDriver_) libusb_attach_kernel_driver(handle_, interface);
    libusb_close(handle_);
}

}  // namespace pos::platform::posix
