// USB through the device-setup services: the present interfaces of a class by path, and the
// USB driver's pipes opened by name with overlapped transfers bounded by a timeout.
#include "platform/usb_devices.h"

#include <windows.h>
// windows.h first: setupapi.h depends on it.
#include <setupapi.h>

#include <algorithm>

namespace pos::platform {

namespace {

// {28D78FAD-5A12-11D1-AE5B-0000F803A8C2}, the USB printing class interface.
constexpr GUID kPrintingInterface = {
    0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};
// {A5DCBF10-6530-11D2-901F-00C04FB951ED}, the USB device interface.
constexpr GUID kUsbDeviceInterface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

// Empty for text that is not UTF-8 or holds a NUL, which no path or pipe name does.
std::wstring widened(std::string_view text) {
    if (text.empty() || text.find('\0') != std::string_view::npos) return {};
    const int size = static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return wide;
}

std::string narrowed(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
    out.pop_back();  // the terminating NUL
    return out;
}

class DeviceInfoList {
  public:
    explicit DeviceInfoList(const GUID& interfaceClass)
        : list_(SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr,
                                     DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}
    DeviceInfoList(const DeviceInfoList&) = delete;
    DeviceInfoList& operator=(const DeviceInfoList&) = delete;
    ~DeviceInfoList() {
        if (valid()) SetupDiDestroyDeviceInfoList(list_);
    }
    bool valid() const { return list_ != INVALID_HANDLE_VALUE; }
    HDEVINFO get() const { return list_; }

  private:
    HDEVINFO list_;
};

std::string interfacePath(HDEVINFO list, SP_DEVICE_INTERFACE_DATA& entry) {
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailW(list, &entry, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return {};
    // DWORD storage keeps the record aligned; it goes when this returns.
    std::vector<DWORD> storage((required + sizeof(DWORD) - 1) / sizeof(DWORD) + 1, 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(list, &entry, detail, required, nullptr, nullptr)) {
        return {};
    }
    return narrowed(detail->DevicePath);
}

DWORD waitMilliseconds(std::chrono::milliseconds timeout) {
    const auto count = std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, INFINITE - 1);
    return static_cast<DWORD>(count);
}

class Win32UsbPipe final : public UsbPipe {
  public:
    Win32UsbPipe(HANDLE file, HANDLE event) : file_(file), event_(event) {}
    Win32UsbPipe(const Win32UsbPipe&) = delete;
    Win32UsbPipe& operator=(const Win32UsbPipe&) = delete;
    ~Win32UsbPipe() override {
        CloseHandle(file_);
        CloseHandle(event_);
    }

    std::size_t write(std::span<const std::uint8_t> bytes,
                      std::chrono::milliseconds timeout) override {
        return transfer(bytes.size(), timeout, [&](DWORD count, OVERLAPPED& request) {
            return WriteFile(file_, bytes.data(), count, nullptr, &request);
        });
    }

    std::size_t read(std::span<std::uint8_t> dest, std::chrono::milliseconds timeout) override {
        return transfer(dest.size(), timeout, [&](DWORD count, OVERLAPPED& request) {
            return ReadFile(file_, dest.data(), count, nullptr, &request);
        });
    }

  private:
    template <typename Start>
    std::size_t transfer(std::size_t size, std::chrono::milliseconds timeout, Start start) {
        if (size == 0) return 0;  // a zero-length transfer would reach the device as a packet
        const auto count = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
        OVERLAPPED request{};
        request.hEvent = event_;
        ResetEvent(event_);
        if (!start(count, request) && GetLastError() != ERROR_IO_PENDING) return 0;
        if (WaitForSingleObject(event_, waitMilliseconds(timeout)) != WAIT_OBJECT_0) {
            CancelIoEx(file_, &request);
        }
        // Waits for a cancelled request to end too, so neither the record nor the caller's
        // buffer is in use once this returns.
        DWORD moved = 0;
        GetOverlappedResult(file_, &request, &moved, TRUE);
        return moved;
    }

    HANDLE file_;
    HANDLE event_;  // manual reset, one per pipe for all its transfers
};

class Win32UsbDevices final : public UsbDevices {
  public:
    std::vector<std::string> presentInterfacePaths(UsbInterfaceClass interfaceClass) override {
        const GUID& guid =
            interfaceClass == UsbInterfaceClass::Printer ? kPrintingInterface : kUsbDeviceInterface;
        std::vector<std::string> paths;
        const DeviceInfoList list(guid);
        if (!list.valid()) return paths;
        for (DWORD index = 0;; ++index) {
            SP_DEVICE_INTERFACE_DATA entry{};
            entry.cbSize = sizeof entry;
            if (!SetupDiEnumDeviceInterfaces(list.get(), nullptr, &guid, index, &entry)) break;
            std::string path = interfacePath(list.get(), entry);
            if (!path.empty()) paths.push_back(std::move(path));
        }
        return paths;
    }

    std::unique_ptr<UsbPipe> openPipe(const std::string& name) override {
        const std::wstring wide = widened(name);
        if (wide.empty()) return nullptr;
        HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr);
        if (file == INVALID_HANDLE_VALUE) return nullptr;
        HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (event == nullptr) {
            CloseHandle(file);
            return nullptr;
        }
        return std::make_unique<Win32UsbPipe>(file, event);
    }

    // Device paths are ASCII, so the 8-bit call serves; it is also the one debuggers and
    // Wine's debug channel show most readily.
    void writeDebuggerOutput(std::string_view text) override {
        OutputDebugStringA(std::string(text).c_str());
    }
};

}  // namespace

std::unique_ptr<UsbDevices> createUsbDevices() {
    return std::make_unique<Win32UsbDevices>();
}

}  // namespace pos::platform
