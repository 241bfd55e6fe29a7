#pragma once
// The property indices the printer knows, as data: each row carries the OPOS constant name the
// trace shows and how the value is answered or stored. Indices without a row read as 0 or
// "EMPTY" and ignore writes.
#include <cstdint>
#include <functional>
#include <string>

#include "printer_state.h"

namespace pos::printer {

// What a row reaches besides the state record. Each property method fills in what its rows use.
struct PropertyHost {
    explicit PropertyHost(PrinterState& s) : state(s) {}
    PrinterState& state;
    std::function<bool()> powerTestPasses;
    std::function<void(bool on)> switchStatusMonitoring;
    std::function<void()> runInteractiveHealthCheck;
};

struct NumberRead {
    std::int32_t index;
    const char* name;
    std::int32_t (*answer)(PropertyHost&);
    int nameLines = 1;
};

enum class WriteTrace { Hex, Decimal, None };

struct NumberWrite {
    std::int32_t index;
    const char* name;
    WriteTrace trace;
    void (*store)(PropertyHost&, std::int32_t number);  // nullptr: traced, nothing changes
};

struct StringRead {
    std::int32_t index;
    const char* name;
    const char* text;  // the answer unless `answer` is given
    std::string (*answer)(PropertyHost&) = nullptr;
    bool tracesName = true;
};

const NumberRead* findNumberRead(std::int32_t index);
const NumberWrite* findNumberWrite(std::int32_t index);
const StringRead* findStringRead(std::int32_t index);

}  // namespace pos::printer
