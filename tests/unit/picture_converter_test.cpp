// The picture converter: dithering, the bitmap files it writes, and its export loaded as the
// printer loads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "bitmap_file.h"
#include "bmp_fixture.h"
#include "picture_conversion.h"
#include "picture_files.h"
#include "pixeo_api.h"
#include "platform/dynamic_library.h"
#include "temp_folder.h"

namespace {

using pos::pixeo::GreyImage;
using pos::printer::decodeMonoBitmap;
using pos::printer::MonoBitmap;
using pos::test::Bytes;

std::size_t darkDots(const MonoBitmap& bitmap) {
    std::size_t dark = 0;
    for (std::uint32_t y = 0; y < bitmap.height; ++y) {
        for (std::uint32_t x = 0; x < bitmap.width; ++x) {
            if (!(bitmap.rows[y * bitmap.rowBytes + x / 8] & (0x80 >> (x % 8)))) ++dark;
        }
    }
    return dark;
}

TEST(PictureConverter, DitheredDotsFollowTheGreyLevel) {
    for (const int level : {0, 32, 64, 128, 192, 230, 255}) {
        SCOPED_TRACE(level);
        const GreyImage grey{64, 64, Bytes(64 * 64, static_cast<std::uint8_t>(level))};
        const MonoBitmap mono = pos::pixeo::ditherToMono(grey);
        const double expectedDark = 4096.0 * (255 - level) / 255;
        EXPECT_NEAR(static_cast<double>(darkDots(mono)), expectedDark, 4096 * 0.02);
        EXPECT_EQ(mono.rowBytes, 8u);
    }
}

TEST(PictureConverter, AGreyRampDarkensSteadilyFromWhiteToBlack) {
    GreyImage ramp{64, 32, {}};
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) ramp.levels.push_back(static_cast<std::uint8_t>(255 - x * 4));
    }
    const MonoBitmap mono = pos::pixeo::ditherToMono(ramp);
    std::size_t previous = 0;
    for (std::uint32_t x = 0; x < 64; x += 16) {  // four bands of 16 columns
        std::size_t dark = 0;
        for (std::uint32_t y = 0; y < 32; ++y) {
            for (std::uint32_t c = x; c < x + 16; ++c)
                dark += !(mono.rows[y * mono.rowBytes + c / 8] & (0x80 >> (c % 8)));
        }
        EXPECT_GT(dark, previous) << "band from column " << x;
        previous = dark;
    }
}

TEST(PictureConverter, WrittenBitmapsDecodeToTheSameDots) {
    for (const std::uint32_t width : {1u, 8u, 9u, 17u}) {
        SCOPED_TRACE(width);
        GreyImage picture{width, 3, {}};
        for (std::uint32_t i = 0; i < width * 3; ++i)
            picture.levels.push_back(i % 3 == 0 ? 0 : 255);
        const MonoBitmap mono = pos::pixeo::ditherToMono(picture);
        const auto decoded = decodeMonoBitmap(pos::pixeo::encodeMonoBmp(mono));
        ASSERT_TRUE(decoded.ok());
        EXPECT_EQ(decoded.bitmap.width, width);
        EXPECT_EQ(decoded.bitmap.height, 3u);
        EXPECT_EQ(decoded.bitmap.rows, mono.rows);
    }
}

TEST(PictureConverter, TransparentDotsTurnWhite) {
    // Black everywhere, but only the left half opaque.
    const pos::test::GreyPicture black{8, 2, Bytes(16, 0)};
    Bytes alpha(16, 0);
    for (int y = 0; y < 2; ++y) std::fill_n(alpha.begin() + y * 8, 4, 255);
    const auto file = pos::pixeo::convertToMonoBmp(pos::test::pngFileWithAlpha(black, alpha));
    ASSERT_TRUE(file);
    const auto decoded = decodeMonoBitmap(*file);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.bitmap.rows, (Bytes{0x0F, 0xFF, 0x0F, 0xFF}));
}

TEST(PictureConverter, ABlackAndWhiteBitmapIsTakenAsItIsWithBlackFirstInThePalette) {
    const Bytes whiteFirst =
        pos::test::bmpFile({.width = 8, .height = -1, .palette = {0xFFFFFF, 0x000000}}, {{0xA5}});
    const auto file = pos::pixeo::convertToMonoBmp(whiteFirst);
    ASSERT_TRUE(file);
    // Headers, palette black then white, one bottom-up row padded to four bytes.
    const Bytes expected = {'B',  'M',  0x42, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3E,
                            0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00,
                            0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x5A, 0x00, 0x00, 0x00};
    EXPECT_EQ(*file, expected);
}

class ConverterLibrary : public ::testing::Test {
  public:
    ConverterLibrary() : library(pos::platform::DynamicLibrary::open(POS_PICTURE_CONVERTER)) {
        convert = reinterpret_cast<Pxo_PicConvertFunction>(library.symbol("Pxo_PicConvert"));
    }
    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string path = folder.file(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    pos::test::TempFolder folder;
    pos::platform::DynamicLibrary library;
    Pxo_PicConvertFunction convert = nullptr;
};

TEST_F(ConverterLibrary, WritesABlackAndWhiteBitmapBesideThePictureAndReturnsItsPath) {
    ASSERT_NE(convert, nullptr);
    const std::string jpeg = write("photo.jpg", pos::test::jpegFile({16, 8, Bytes(128, 0)}));
    const char* result = convert(jpeg.c_str());
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(std::string(result), jpeg + ".1bit.bmp");
    const std::string written = pos::test::readFile(result);
    const auto decoded =
        decodeMonoBitmap({reinterpret_cast<const std::uint8_t*>(written.data()), written.size()});
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.bitmap.rows, Bytes(16, 0x00));
}

TEST_F(ConverterLibrary, ReturnsNoPathForWhatItCannotConvert) {
    ASSERT_NE(convert, nullptr);
    const std::string cases[] = {
        "",
        folder.file("missing.png"),
        write("text.bmp", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}),
        write("empty.gif", {}),
        write("rle.bmp", pos::test::bmpFile({.bitsPerDot = 8, .compression = 1}, {{0x00}})),
        write("cut.png",
              [] {
                  Bytes png = pos::test::pngFile({16, 16, Bytes(256, 0)});
                  png.resize(png.size() / 2);
                  return png;
              }()),
        folder.path().string(),
    };
    for (const std::string& path : cases) {
        EXPECT_EQ(convert(path.c_str()), nullptr) << path;
    }
    EXPECT_EQ(convert(nullptr), nullptr);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              4);  // only the pictures: nothing written beside them
}

}  // namespace
