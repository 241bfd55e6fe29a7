// libFuzzer entry for the receipt view: any bytes, at either paper width and in either form,
// give a rendering whose last line is ended (commands that show nothing may leave it empty),
// and nothing for no bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "receipt_renderer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const int columns : {32, 48}) {
        for (const bool ansi : {false, true}) {
            pos::receipt::RenderOptions options;
            options.columns = columns;
            options.ansi = ansi;
            const std::string text = pos::receipt::renderReceipt({data, size}, options);
            if (!text.empty() && (size == 0 || text.back() != '\n')) std::abort();
        }
    }
    return 0;
}
