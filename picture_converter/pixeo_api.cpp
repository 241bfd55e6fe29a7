// The exported entry of the converter library.
#include "pixeo_api.h"

#include <string>

#include "file_bytes.h"
#include "picture_conversion.h"

namespace {
std::string lastResult;  // the text handed out by the last successful call
}  // namespace

const char* Pxo_PicConvert(const char* picturePath) {
    if (picturePath == nullptr || picturePath[0] == '\0') return nullptr;
    const pos::printer::FileBytes picture =
        pos::printer::readFileBytes(picturePath, pos::pixeo::kMaxPictureFileBytes);
    if (picture.status != pos::printer::FileBytes::Status::Read) return nullptr;
    const auto converted = pos::pixeo::convertToMonoBmp(picture.bytes);
    if (!converted) return nullptr;
    std::string output = std::string(picturePath) + ".1bit.bmp";
    if (!pos::printer::writeFileBytes(output, *converted)) return nullptr;
    lastResult = std::move(output);
    return lastResult.c_str();
}
