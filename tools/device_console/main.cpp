// pos-console: opens a device through its control object and calls service-object methods by
// their OPOS names, one per line, from a script file or standard input.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "component/bstr.h"
#include "console_script.h"
#include "control_object.h"
#include "platform/registry_store.h"

namespace {

std::mutex outputLock;

void say(const std::string& text) {
    std::lock_guard<std::mutex> lock(outputLock);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string describe(const pos::control::CallArg& arg) {
    if (const auto* n = std::get_if<std::int32_t>(&arg.value)) return std::to_string(*n);
    return "\"" + pos::tools::escapeText(std::get<std::u16string>(arg.value)) + "\"";
}

std::string codeText(std::int32_t code) {
    const char* name = pos::tools::resultCodeName(code);
    return std::to_string(code) + (*name != '\0' ? std::string(" ") + name : std::string());
}

int usage() {
    std::fprintf(stderr,
                 "usage: pos-console [--class POSPrinter|LineDisplay] [--script FILE] DEVICE\n"
                 "  DEVICE is a logical device name or a device key name.\n"
                 "  Each line: Method arg ... ; numbers, \"strings\" with C escapes (\\e is ESC),\n"
                 "  &arg to pass by reference. Also: DeviceEnabled 0|1, Sleep MS, Close.\n");
    return 2;
}

// Runs one line; false when the console should stop.
bool run(pos::control::ControlObject& device, pos::tools::ScriptLine& line) {
    using pos::control::CallArg;
    const std::string& m = line.method;
    auto number = [&](std::size_t i) -> std::int32_t {
        return i < line.args.size() && std::holds_alternative<std::int32_t>(line.args[i].value)
                   ? std::get<std::int32_t>(line.args[i].value)
                   : 0;
    };
    if (m == "Sleep") {
        std::this_thread::sleep_for(std::chrono::milliseconds(number(0)));
        say("Sleep(" + std::to_string(number(0)) + ")\n");
        return true;
    }
    if (m == "DeviceEnabled") {
        say("DeviceEnabled = " + std::to_string(number(0)) + " -> " +
            codeText(device.SetDeviceEnabled(number(0) != 0)) + "\n");
        return true;
    }
    if (m == "Close") {
        say("Close() = " + codeText(device.Close()) + "\n");
        return false;
    }
    std::string call = m + "(";
    for (std::size_t i = 0; i < line.args.size(); ++i)
        call += (i ? ", " : "") + describe(line.args[i]);
    call += ")";
    const pos::control::CallResult r = device.callService(m, line.args);
    std::string text = call + " = ";
    if (FAILED(r.hr)) {
        char hr[16];
        std::snprintf(hr, sizeof hr, "0x%08X", static_cast<unsigned>(r.hr));
        text += std::string("call failed, HRESULT ") + hr;
    } else if (r.text) {
        text += "\"" + pos::tools::escapeText(*r.text) + "\"";
    } else if (r.number) {
        text += m.rfind("GetProperty", 0) == 0 ? std::to_string(*r.number) : codeText(*r.number);
    } else {
        text += "done";
    }
    text += "\n";
    for (std::size_t i = 0; i < line.args.size(); ++i) {
        if (line.args[i].byRef)
            text += "  argument " + std::to_string(i + 1) + " = " + describe(line.args[i]) + "\n";
    }
    say(text);
    return true;
}

int runConsole(int argc, char** argv) {
    std::string deviceClass = "POSPrinter";
    std::string scriptPath;
    std::string deviceName;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--class") == 0 && i + 1 < argc) {
            deviceClass = argv[++i];
        } else if (std::strcmp(argv[i], "--script") == 0 && i + 1 < argc) {
            scriptPath = argv[++i];
        } else if (argv[i][0] == '-') {
            return usage();
        } else {
            deviceName = argv[i];
        }
    }
    if (deviceName.empty()) return usage();

    std::ifstream file;
    if (!scriptPath.empty()) {
        file.open(scriptPath);
        if (!file) {
            std::fprintf(stderr, "pos-console: cannot read %s\n", scriptPath.c_str());
            return 2;
        }
    }
    std::istream& script = scriptPath.empty() ? std::cin : file;

    pos::control::ControlObject device(deviceClass,
                                       [] { return pos::platform::openSystemRegistry(); });
    device.setStatusUpdateHandler(
        [](std::int32_t status) { say("StatusUpdateEvent " + std::to_string(status) + "\n"); });
    const std::int32_t opened = device.Open(deviceName);
    say("Open(\"" + deviceName + "\") = " + codeText(opened) + "\n");
    if (opened != 0) {
        if (!device.lastError().empty())
            std::fprintf(stderr, "pos-console: %s\n", device.lastError().c_str());
        return 1;
    }

    int status = 0;
    std::string text;
    int lineNumber = 0;
    while (std::getline(script, text)) {
        ++lineNumber;
        std::string error;
        auto line = pos::tools::parseScriptLine(text, &error);
        if (!line) {
            if (!error.empty()) {
                std::fprintf(stderr, "pos-console: line %d: %s\n", lineNumber, error.c_str());
                status = 3;
            }
            continue;
        }
        if (!run(device, *line)) break;
    }
    if (device.isOpen()) say("Close() = " + codeText(device.Close()) + "\n");
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return runConsole(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pos-console: %s\n", e.what());
        return 1;
    }
}
