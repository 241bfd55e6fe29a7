// libFuzzer entry for the bitmap file decoder and the printer's two image forms built from what
// it accepts: any bytes must give a refusal or a bitmap whose sizes agree, never a crash, hang
// or overflow. Seeds: tests/fuzz/corpus/bitmap_decoder/.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "bitmap_file.h"
#include "bitmap_raster.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pos::printer;
    const BitmapDecoding decoded = decodeMonoBitmap(std::span<const std::uint8_t>(data, size));
    if (!decoded.ok()) {
        require(decoded.bitmap.rows.empty());
        return 0;
    }
    const MonoBitmap& bitmap = decoded.bitmap;
    require(bitmap.width >= 1 && bitmap.width <= kMaxBitmapSide);
    require(bitmap.height >= 1 && bitmap.height <= kMaxBitmapSide);
    require(bitmap.rowBytes % 2 == 0 && bitmap.rowBytes >= (bitmap.width + 7) / 8 &&
            bitmap.rowBytes <= (bitmap.width + 7) / 8 + 1);
    require(bitmap.rows.size() == std::size_t{bitmap.rowBytes} * bitmap.height);
    require(bitmap.rows.size() <= kMaxBitmapRowData);

    const std::vector<std::uint8_t> raster = rasterImageBytes(bitmap);
    require(raster.size() == bitmap.rows.size());
    // Nothing beyond the width may print.
    for (std::uint32_t y = 0; y < bitmap.height; ++y) {
        for (std::uint32_t x = bitmap.width; x < bitmap.rowBytes * 8; ++x) {
            require(!(raster[std::size_t{y} * bitmap.rowBytes + x / 8] & (0x80u >> (x % 8))));
        }
    }
    const std::vector<std::uint8_t> columns = downloadImageBytes(bitmap);
    require(columns.size() == std::size_t{bitmap.rowBytes} * downloadRowCount(bitmap));
    return 0;
}
