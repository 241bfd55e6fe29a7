// PrintBitmap, SetBitmap and PrintMemoryBitmap on a printer behind a fake serial port, with the
// real picture converter library loaded at run time.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "bmp_fixture.h"
#include "fakes/printer_fixture.h"
#include "opos_constants.h"
#include "picture_files.h"

namespace {

using namespace pos::opos;
using pos::test::bmpFile;
using pos::test::BmpHeader;
using pos::test::Bytes;
using pos::test::GreyPicture;
namespace fs = std::filesystem;

constexpr std::int32_t kAsIs = -11;
constexpr std::int32_t kLeft = -1;
constexpr std::int32_t kCenter = -2;
constexpr std::int32_t kRight = -3;

Bytes repeated(const Bytes& pattern, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) out.insert(out.end(), pattern.begin(), pattern.end());
    return out;
}

Bytes joined(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

std::u16string wide(const std::string& text) {
    return {text.begin(), text.end()};
}

// The OPOS nibble form: each byte as two characters from 0x30 to 0x3F.
std::u16string nibbleText(const Bytes& bytes) {
    std::u16string text;
    for (const std::uint8_t b : bytes) {
        text.push_back(static_cast<char16_t>(0x30 + (b >> 4)));
        text.push_back(static_cast<char16_t>(0x30 + (b & 0x0F)));
    }
    return text;
}

class BitmapPrinting : public pos::testing::PrinterFixture {
  public:
    BitmapPrinting() {
        fs::create_directories(pictures);
        fs::create_directories(scratch);
        useConverter(POS_PICTURE_CONVERTER);
    }

    // A fresh service that loads the converter from converterPath, opened on the fake port.
    void useConverter(const std::string& converterPath) {
        service.reset();
        auto p = std::make_unique<pos::testing::FakeMessagePump>();
        pump = p.get();
        service = std::make_unique<pos::printer::PrinterService>(pos::printer::PrinterPlatform{
            .serial = std::make_unique<pos::testing::FakeSerialPort>(port),
            .usb = std::make_unique<pos::testing::FakeUsbDevices>(usb),
            .pump = std::move(p),
            .openRegistry =
                [this] { return pos::platform::openSqliteRegistry(registryPath, nullptr); },
            .traceDirectory = dir.string(),
            .pictureConverter = converterPath,
            .temporaryDirectory = scratch.string(),
        });
        std::filesystem::remove(registryPath);
        writeSerialEntry();
        ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
        port.writes.clear();
    }

    std::string picture(const std::string& name, const Bytes& bytes) {
        const fs::path path = pictures / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    std::string lastTraceLine() {
        const std::string lines = traceLines();
        const auto start = lines.rfind('\n', lines.size() - 2);
        return lines.substr(start == std::string::npos ? 0 : start + 1);
    }

    bool scratchIsEmpty() const { return fs::is_empty(scratch); }

    fs::path pictures = dir / "pictures";
    fs::path scratch = dir / "scratch";
};

TEST_F(BitmapPrinting, PrintBitmapSendsJustifyRasterHeaderAndDarkDotsInOneWrite) {
    struct Case {
        const char* what;
        Bytes file;
        std::int32_t alignment;
        Bytes sent;
    };
    const Case cases[] = {
        {"16 x 2: a black row over a white row",
         bmpFile({.width = 16, .height = 2}, {{0x00, 0x00}, {0xFF, 0xFF}}),
         kLeft,
         {0x1B, 0x61, 0x00, 0x1D, 0x28, 0x76, 0x30, 0x02, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0x00,
          0x00}},
        {"width 12: the used dots of the last byte print, the rest not",
         bmpFile({.width = 12, .height = 1}, {{0x0F, 0x00}}),
         kCenter,
         {0x1B, 0x61, 0x01, 0x1D, 0x28, 0x76, 0x30, 0x02, 0x00, 0x01, 0x00, 0xF0, 0xF0}},
        {"width 8: the padding byte prints nothing",
         bmpFile({.width = 8, .height = 1}, {{0x00}}),
         kRight,
         {0x1B, 0x61, 0x02, 0x1D, 0x28, 0x76, 0x30, 0x02, 0x00, 0x01, 0x00, 0xFF, 0x00}},
        {"width 1",
         bmpFile({.width = 1, .height = 1}, {{0x00}}),
         kLeft,
         {0x1B, 0x61, 0x00, 0x1D, 0x28, 0x76, 0x30, 0x02, 0x00, 0x01, 0x00, 0x80, 0x00}},
        {"width 9, top-down",
         bmpFile({.width = 9, .height = -1}, {{0x00, 0x7F}}),
         kLeft,
         {0x1B, 0x61, 0x00, 0x1D, 0x28, 0x76, 0x30, 0x02, 0x00, 0x01, 0x00, 0xFF, 0x80}},
        {"width 17 with white first in the palette",
         bmpFile({.width = 17, .height = 1, .palette = {0xFFFFFF, 0x000000}}, {{0x00, 0xFF, 0x80}}),
         kLeft,
         {0x1B, 0x61, 0x00, 0x1D, 0x28, 0x76, 0x30, 0x04, 0x00, 0x01, 0x00, 0x00, 0xFF, 0x80,
          0x00}},
        {"300 rows: the height's high byte",
         bmpFile({.width = 8, .height = 300}, std::vector<Bytes>(300, {0x00})), kLeft,
         joined({0x1B, 0x61, 0x00, 0x1D, 0x28, 0x76, 0x30, 0x02, 0x00, 0x2C, 0x01},
                repeated({0xFF, 0x00}, 300))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        port.writes.clear();
        EXPECT_EQ(
            service->PrintBitmap(PTR_S_RECEIPT, wide(picture("p.bmp", c.file)), kAsIs, c.alignment),
            OPOS_SUCCESS);
        EXPECT_EQ(port.writes, std::vector<Bytes>{c.sent});
    }
    EXPECT_EQ(lastTraceLine(), "PrintBitmap:Station:0x2,FileName:" + (pictures / "p.bmp").string() +
                                   ",Width:0xfffffff5,Alignment:0xffffffff\n");
}

TEST_F(BitmapPrinting, PrintBitmapRefusalsNameTheFailingItemInOrderAndSendNothing) {
    const std::string good = picture("good.bmp", bmpFile({.width = 8, .height = 1}, {{0x00}}));
    const std::string missing = (pictures / "missing.bmp").string();
    struct Case {
        const char* what;
        std::int32_t station;
        std::string file;
        std::int32_t width;
        std::int32_t alignment;
        const char* line;
    };
    const Case cases[] = {
        {"journal station", 1, good, kAsIs, kLeft, "PrintBitmap:Station fail!:OPOS_E_ILLEGAL\n"},
        {"width equal to the line width, checked before the file", 2, missing, 576, kLeft,
         "PrintBitmap:Width fail!:OPOS_E_ILLEGAL\n"},
        {"a negative width other than as-is", 2, good, -12, kLeft,
         "PrintBitmap:Width fail!:OPOS_E_ILLEGAL\n"},
        {"no such file", 2, missing, kAsIs, kLeft, "PrintBitmap:FileName fail!:OPOS_E_ILLEGAL\n"},
        {"alignment 0", 2, good, kAsIs, 0, "PrintBitmap:Alignment fail!:OPOS_E_ILLEGAL\n"},
        {"alignment -4", 2, good, kAsIs, -4, "PrintBitmap:Alignment fail!:OPOS_E_ILLEGAL\n"},
        {"text, not a bitmap", 2, picture("text.bmp", {'h', 'e', 'l', 'l', 'o'}), kAsIs, kLeft,
         "PrintBitmap:BitmapImageSize fail!:OPOS_E_ILLEGAL\n"},
        {"eight bits per dot", 2,
         picture("grey.bmp", bmpFile({.bitsPerDot = 8, .palette = {}}, {{0x00}})), kAsIs, kLeft,
         "PrintBitmap:BitmapImageSize fail!:OPOS_E_ILLEGAL\n"},
        {"one dot wider than the paper", 2,
         picture("wide.bmp", bmpFile({.width = 577, .height = 1}, {{}})), kAsIs, kLeft,
         "PrintBitmap:BitmapImageSize fail!:OPOS_E_ILLEGAL\n"},
        {"rows missing", 2, picture("short.bmp", bmpFile({.width = 8, .height = 4}, {})), kAsIs,
         kLeft, "PrintBitmap:BitmapImageSize fail!:OPOS_E_ILLEGAL\n"},
        {"a width in dots, once the image is ready", 2, good, 100, kLeft,
         "PrintBitmap:Width fail!:OPOS_E_ILLEGAL\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(service->PrintBitmap(c.station, wide(c.file), c.width, c.alignment),
                  OPOS_E_ILLEGAL);
        EXPECT_EQ(lastTraceLine(), c.line);
    }
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(BitmapPrinting, AlignmentKeepsItsNewValueWhenALaterCheckRefuses) {
    const std::string good = picture("good.bmp", bmpFile({.width = 8, .height = 1}, {{0x00}}));
    EXPECT_EQ(service->PrintBitmap(PTR_S_RECEIPT, wide(good), 100, kRight), OPOS_E_ILLEGAL);
    EXPECT_EQ(service->state().Settings.Justification, 2);
    EXPECT_EQ(service->SetBitmap(1, PTR_S_RECEIPT, wide(good), 100, kCenter), OPOS_E_ILLEGAL);
    EXPECT_EQ(service->state().Settings.Justification, 1);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(BitmapPrinting, SetBitmapSendsDotColumnsPaddedToWholeGroupsOfEightRows) {
    // 16 x 10: row 0 has its left eight dots black, row 9 its last dot; all else white.
    std::vector<Bytes> rows(10, {0xFF, 0xFF});
    rows[0] = {0x00, 0xFF};
    rows[9] = {0xFF, 0xFE};
    const std::string file = picture("logo.bmp", bmpFile({.width = 16, .height = 10}, rows));
    EXPECT_EQ(service->SetBitmap(1, PTR_S_RECEIPT, wide(file), kAsIs, kLeft), OPOS_SUCCESS);
    const Bytes sent = {0x1B, 0x61, 0x00, 0x1D, 0x2A, 0x02, 0x02,         //
                        0x80, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00,   // dot columns 0-3
                        0x80, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00,   // 4-7
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,   // 8-11
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40};  // 12-15
    EXPECT_EQ(port.writes, std::vector<Bytes>{sent});
    EXPECT_EQ(lastTraceLine(), "SetBitmap:\t\tBitmapNumber:0x1,\t\tStation:0x2,\t\tFileName:" +
                                   file + ",\t\tWidth:0xfffffff5,\t\tAlignment:0xffffffff\n");
}

TEST_F(BitmapPrinting, SetBitmapLeavesTheUnusedDotsOfAPartlyUsedByteWhite) {
    // 12 white dots; the four bits after them are 0, black in this palette, as writers leave them.
    const std::string file =
        picture("white.bmp", bmpFile({.width = 12, .height = 1}, {{0xFF, 0xF0}}));
    EXPECT_EQ(service->SetBitmap(7, PTR_S_RECEIPT, wide(file), kAsIs, kCenter), OPOS_SUCCESS);
    EXPECT_EQ(port.writes, std::vector<Bytes>{joined({0x1B, 0x61, 0x01, 0x1D, 0x2A, 0x02, 0x01},
                                                     Bytes(16, 0x00))});
}

TEST_F(BitmapPrinting, SetBitmapRefusalsNameTheFailingItemInOrderAndSendNothing) {
    const std::string good = picture("good.bmp", bmpFile({.width = 8, .height = 1}, {{0x00}}));
    const std::string missing = (pictures / "missing.bmp").string();
    struct Case {
        const char* what;
        std::int32_t station;
        std::string file;
        std::int32_t width;
        std::int32_t alignment;
        const char* line;
    };
    const Case cases[] = {
        {"journal station", 1, good, kAsIs, kLeft, "SetBitmap:Station fail!:OPOS_E_ILLEGAL\n"},
        {"no such file, checked before the width", 2, missing, 0, kLeft,
         "SetBitmap:FileName fail!:OPOS_E_ILLEGAL\n"},
        {"width 0, checked before the alignment", 2, good, 0, 0,
         "SetBitmap:Width fail!:OPOS_E_ILLEGAL\n"},
        {"width 256", 2, good, 256, kLeft, "SetBitmap:Width fail!:OPOS_E_ILLEGAL\n"},
        {"alignment 5", 2, good, kAsIs, 5, "SetBitmap:Alignment fail!:OPOS_E_ILLEGAL\n"},
        {"eight bits per dot", 2,
         picture("grey.bmp", bmpFile({.bitsPerDot = 8, .palette = {}}, {{0x00}})), kAsIs, kLeft,
         "SetBitmap:BitmapImageSize fail!:OPOS_E_ILLEGAL\n"},
        {"taller than the download command can say", 2,
         picture("tall.bmp",
                 bmpFile({.width = 8, .height = 2041}, std::vector<Bytes>(2041, {0x00}))),
         kAsIs, kLeft, "SetBitmap:BitmapImageSize fail!:OPOS_E_ILLEGAL\n"},
        {"width 100, once the image is ready", 2, good, 100, kLeft,
         "SetBitmap:Width fail!:OPOS_E_ILLEGAL\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(service->SetBitmap(1, c.station, wide(c.file), c.width, c.alignment),
                  OPOS_E_ILLEGAL);
        EXPECT_EQ(lastTraceLine(), c.line);
    }
    EXPECT_TRUE(port.writes.empty());
}

// 16 x 16: the top left and bottom right quarters black.
GreyPicture quarters() {
    GreyPicture p{16, 16, Bytes(256, 255)};
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if ((y < 8) == (x < 8)) p.levels[static_cast<std::size_t>(y * 16 + x)] = 0;
        }
    }
    return p;
}

TEST_F(BitmapPrinting, PrintMemoryBitmapConvertsEachFormatPrintsItAndRemovesItsFolder) {
    const GreyPicture picture = quarters();
    std::vector<Bytes> monoRows(8, {0xFF, 0x00});  // white first in the palette: 1 is black
    monoRows.resize(16, {0x00, 0xFF});
    struct Case {
        const char* what;
        std::int32_t type;
        Bytes data;
        const char* fileName;
    };
    const Case cases[] = {
        {"a black-and-white BMP, white first", 1,
         bmpFile({.width = 16, .height = 16, .palette = {0xFFFFFF, 0x000000}}, monoRows),
         "buff.bmp"},
        {"a 24-bit BMP", 1, pos::test::bmp24File(picture), "buff.bmp"},
        {"a PNG, told by its content", 1, pos::test::pngFile(picture), "buff.bmp"},
        {"a JPEG", 2, pos::test::jpegFile(picture), "buff.JPG"},
        {"a GIF", 3, pos::test::gifFile(picture), "buff.gif"},
    };
    const Bytes sent =
        joined(joined({0x1B, 0x61, 0x00, 0x1D, 0x28, 0x76, 0x30, 0x02, 0x00, 0x10, 0x00},
                      repeated({0xFF, 0x00}, 8)),
               repeated({0x00, 0xFF}, 8));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        port.writes.clear();
        EXPECT_EQ(
            service->PrintMemoryBitmap(PTR_S_RECEIPT, nibbleText(c.data), c.type, kAsIs, kLeft),
            OPOS_SUCCESS);
        EXPECT_EQ(port.writes, std::vector<Bytes>{sent});
        const std::regex traced("PrintBitmap:Station:0x2,FileName:" + scratch.string() +
                                "/printerutilitylogo-[^/]+/" + c.fileName +
                                "\\.1bit\\.bmp,Width:0xfffffff5,Alignment:0xffffffff\n");
        EXPECT_TRUE(std::regex_match(lastTraceLine(), traced)) << lastTraceLine();
        EXPECT_TRUE(scratchIsEmpty());
    }
}

TEST_F(BitmapPrinting, PrintMemoryBitmapRemovesItsFolderOnEveryRefusal) {
    const std::u16string logo = nibbleText(pos::test::pngFile(quarters()));
    struct Case {
        const char* what;
        std::int32_t station;
        std::u16string data;
        std::int32_t type;
        std::int32_t width;
        const char* line;
    };
    const Case cases[] = {
        {"type 4 has no file name", 2, logo, 4, kAsIs,
         "PrintMemoryBitmap:Type fail!:OPOS_E_ILLEGAL\n"},
        {"no picture in the data", 2, u"0123456789", 1, kAsIs,
         "PrintBitmap:FileName fail!:OPOS_E_ILLEGAL\n"},
        {"no data", 2, u"", 1, kAsIs, "PrintBitmap:FileName fail!:OPOS_E_ILLEGAL\n"},
        {"journal station, after converting", 1, logo, 1, kAsIs,
         "PrintBitmap:Station fail!:OPOS_E_ILLEGAL\n"},
        {"a width in dots, after converting", 2, logo, 1, 100,
         "PrintBitmap:Width fail!:OPOS_E_ILLEGAL\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(service->PrintMemoryBitmap(c.station, c.data, c.type, c.width, kLeft),
                  OPOS_E_ILLEGAL);
        EXPECT_EQ(lastTraceLine(), c.line);
        EXPECT_TRUE(scratchIsEmpty());
    }
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(BitmapPrinting, PrintMemoryBitmapWithoutItsConverterLibraryIsRefused) {
    useConverter((dir / "no-such-converter.so").string());
    EXPECT_EQ(service->PrintMemoryBitmap(PTR_S_RECEIPT, nibbleText(pos::test::pngFile(quarters())),
                                         1, kAsIs, kLeft),
              OPOS_E_ILLEGAL);
    EXPECT_EQ(lastTraceLine(), "PrintBitmap:FileName fail!:OPOS_E_ILLEGAL\n");
    EXPECT_TRUE(scratchIsEmpty());
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(BitmapPrinting, PrintMemoryBitmapNeverWritesThroughAFolderPlantedUnderTheOldSharedName) {
    const fs::path victim = dir / "victim";
    fs::create_directories(victim);
    fs::create_directory_symlink(victim, scratch / "printerutilitylogo");
    EXPECT_EQ(service->PrintMemoryBitmap(PTR_S_RECEIPT, nibbleText(pos::test::pngFile(quarters())),
                                         1, kAsIs, kLeft),
              OPOS_SUCCESS);
    EXPECT_TRUE(fs::is_empty(victim));
    EXPECT_TRUE(fs::is_symlink(scratch / "printerutilitylogo"));  // someone else's: left alone
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch), fs::directory_iterator()), 1);
}

}  // namespace
