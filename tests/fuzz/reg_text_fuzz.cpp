// libFuzzer entry for the .reg reader: any bytes must give operations or an error naming a line,
// never a crash, hang or overflow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "reg_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<pos::tools::RegOperation> ops;
    std::string error;
    if (pos::tools::parseRegText(bytes, ops, &error)) {
        for (const auto& op : ops) {
            if (op.line < 1) {
                std::abort();
            }
        }
    } else if (!error.starts_with("line ")) {
        std::abort();
    }
    return 0;
}
