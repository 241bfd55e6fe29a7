// Bitmaps: printed from files, stored in the printer, and printed from memory.
#include <optional>

#include "bitmap_file.h"
#include "bitmap_raster.h"
#include "file_bytes.h"
#include "opos_constants.h"
#include "picture_converter_call.h"
#include "platform/ansi_text.h"
#include "platform/private_folder.h"
#include "printer_commands.h"
#include "printer_service.h"

namespace pos::printer {

namespace {

constexpr std::int32_t kBitmapAsIs = -11;  // PTR_BM_ASIS: the only width we print at
constexpr std::int32_t kLargestDownloadWidth = 255;
// The download command gives width and height in one byte each, in groups of eight dots.
constexpr std::uint32_t kLargestDownloadGroups = 255;
constexpr std::size_t kMaxBitmapFileBytes = 64u << 20;

// PTR_BM_LEFT, PTR_BM_CENTER and PTR_BM_RIGHT to the justification command's value.
std::optional<std::uint8_t> justificationFor(std::int32_t alignment) {
    switch (alignment) {
        case -1:
            return 0;
        case -2:
            return 1;
        case -3:
            return 2;
        default:
            return std::nullopt;
    }
}

// The temporary file for PTR_BMT_BMP, PTR_BMT_JPEG and PTR_BMT_GIF.
const char* temporaryFileName(std::int32_t type) {
    switch (type) {
        case 1:
            return "buff.bmp";
        case 2:
            return "buff.JPG";
        case 3:
            return "buff.gif";
        default:
            return nullptr;
    }
}

std::int32_t refused(TraceLog& trace, const char* method, const char* item) {
    trace.Write("%s:%s fail!:OPOS_E_ILLEGAL\n", method, item);
    return opos::OPOS_E_ILLEGAL;
}

// The steps the three methods share, with the method name their refusal lines begin with.
struct BitmapJob {
    TraceLog& trace;
    DeviceLink& link;
    PrinterState& state;
    const char* method;

    std::int32_t refuse(const char* item) const { return refused(trace, method, item); }

    // Sets the justification and puts its command in buffer.
    bool justify(std::int32_t alignment, CommandBuffer& buffer) const {
        const std::optional<std::uint8_t> justification = justificationFor(alignment);
        if (!justification) return false;
        state.Settings.Justification = *justification;
        link.PutCommand(buffer, kJustify, DeviceLink::kAtEnd);
        return true;
    }

    // A black-and-white bitmap no wider than the paper; a picture the printer would cut off
    // or wrap is refused rather than printed wrongly.
    std::optional<MonoBitmap> decodeForPaper(const FileBytes& file) const {
        if (file.status != FileBytes::Status::Read) return std::nullopt;
        BitmapDecoding decoded = decodeMonoBitmap(file.bytes);
        if (!decoded.ok() || state.RecLineWidth <= 0 ||
            decoded.bitmap.width > static_cast<std::uint32_t>(state.RecLineWidth)) {
            return std::nullopt;
        }
        return std::move(decoded.bitmap);
    }

    void send(CommandBuffer& buffer, std::int32_t header,
              const std::vector<std::uint8_t>& image) const {
        link.PutCommand(buffer, header, DeviceLink::kAtEnd);
        buffer.append(image);
        link.PutCommand(buffer, DeviceLink::kSend, DeviceLink::kAtEnd);
    }
};

// PrintBitmap from its station check on, for a file named in the system's code page.
std::int32_t printBitmapFile(const BitmapJob& job, std::int32_t station,
                             const std::string& fileName, std::int32_t width,
                             std::int32_t alignment) {
    if (station != opos::PTR_S_RECEIPT) return job.refuse("Station");
    if (width != kBitmapAsIs && (width < 0 || width >= job.state.RecLineWidth))
        return job.refuse("Width");
    const FileBytes file = readFileBytes(fileName, kMaxBitmapFileBytes);
    if (file.status == FileBytes::Status::CannotOpen) return job.refuse("FileName");
    CommandBuffer buffer;
    if (!job.justify(alignment, buffer)) return job.refuse("Alignment");
    const std::optional<MonoBitmap> bitmap = job.decodeForPaper(file);
    if (!bitmap) return job.refuse("BitmapImageSize");
    const std::vector<std::uint8_t> image = rasterImageBytes(*bitmap);
    if (width != kBitmapAsIs) return job.refuse("Width");

    PrintSettings& settings = job.state.Settings;
    settings.RasterWidthLow = static_cast<std::uint8_t>(bitmap->rowBytes % 256);
    settings.RasterWidthHigh = static_cast<std::uint8_t>(bitmap->rowBytes / 256);
    settings.RasterHeightLow = static_cast<std::uint8_t>(bitmap->height % 256);
    settings.RasterHeightHigh = static_cast<std::uint8_t>(bitmap->height / 256);
    job.send(buffer, kRasterImage, image);
    return opos::OPOS_SUCCESS;
}

void tracePrintBitmap(TraceLog& trace, std::int32_t station, const std::string& fileName,
                      std::int32_t width, std::int32_t alignment) {
    trace.Write("PrintBitmap:Station:0x%x,FileName:%s,Width:0x%x,Alignment:0x%x\n",
                static_cast<unsigned>(station), fileName.c_str(), static_cast<unsigned>(width),
                static_cast<unsigned>(alignment));
}

}  // namespace

std::int32_t PrinterService::PrintBitmap(std::int32_t station, const String& fileName,
                                         std::int32_t width, std::int32_t alignment) {
    const std::string name = platform::toAnsi(fileName);
    tracePrintBitmap(trace_, station, name, width, alignment);
    return printBitmapFile({trace_, link_, state_, "PrintBitmap"}, station, name, width, alignment);
}

std::int32_t PrinterService::SetBitmap(std::int32_t bitmapNumber, std::int32_t station,
                                       const String& fileName, std::int32_t width,
                                       std::int32_t alignment) {
    const std::string name = platform::toAnsi(fileName);
    trace_.Write(
        "SetBitmap:\t\tBitmapNumber:0x%x,\t\tStation:0x%x,\t\tFileName:%s,\t\tWidth:0x%x,"
        "\t\tAlignment:0x%x\n",
        static_cast<unsigned>(bitmapNumber), static_cast<unsigned>(station), name.c_str(),
        static_cast<unsigned>(width), static_cast<unsigned>(alignment));
    const BitmapJob job{trace_, link_, state_, "SetBitmap"};
    if (station != opos::PTR_S_RECEIPT) return job.refuse("Station");
    const FileBytes file = readFileBytes(name, kMaxBitmapFileBytes);
    if (file.status == FileBytes::Status::CannotOpen) return job.refuse("FileName");
    if (width != kBitmapAsIs && (width < 1 || width > kLargestDownloadWidth))
        return job.refuse("Width");
    CommandBuffer buffer;
    if (!job.justify(alignment, buffer)) return job.refuse("Alignment");
    const std::optional<MonoBitmap> bitmap = job.decodeForPaper(file);
    if (!bitmap || bitmap->rowBytes > kLargestDownloadGroups ||
        downloadRowCount(*bitmap) / 8 > kLargestDownloadGroups) {
        return job.refuse("BitmapImageSize");
    }
    const std::vector<std::uint8_t> image = downloadImageBytes(*bitmap);
    if (width != kBitmapAsIs) return job.refuse("Width");

    state_.Settings.DownloadWidth = static_cast<std::uint8_t>(bitmap->rowBytes);
    state_.Settings.DownloadHeight = static_cast<std::uint8_t>(downloadRowCount(*bitmap) / 8);
    job.send(buffer, kDefineImage, image);
    return opos::OPOS_SUCCESS;
}

std::int32_t PrinterService::PrintMemoryBitmap(std::int32_t station, const String& data,
                                               std::int32_t type, std::int32_t width,
                                               std::int32_t alignment) {
    const char* pictureName = temporaryFileName(type);
    if (pictureName == nullptr) return refused(trace_, "PrintMemoryBitmap", "Type");
    const std::vector<std::uint8_t> picture = decodeNibbleText(platform::toAnsi(data));

    // A folder of this call's own, gone again however the call ends.
    platform::PrivateFolder folder =
        platform::PrivateFolder::create(platform_.temporaryDirectory, "printerutilitylogo");
    if (!folder.made() || !writeFileBytes(folder.file(pictureName), picture)) {
        return refused(trace_, "PrintBitmap", "FileName");
    }
    const std::string converted =
        convertPicture(platform_.pictureConverter, folder.file(pictureName));
    if (converted.empty()) return refused(trace_, "PrintBitmap", "FileName");
    tracePrintBitmap(trace_, station, converted, width, alignment);
    return printBitmapFile({trace_, link_, state_, "PrintBitmap"}, station, converted, width,
                           alignment);
}

}  // namespace pos::printer
