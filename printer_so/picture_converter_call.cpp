#include "picture_converter_call.h"

#include "pixeo_api.h"
#include "platform/dynamic_library.h"

namespace pos::printer {

std::string defaultPictureConverterPath() {
    const std::string self =
        platform::modulePathOf(reinterpret_cast<const void*>(&defaultPictureConverterPath));
    const auto folderEnd = self.find_last_of("/\\");
    if (folderEnd == std::string::npos) return POS_PICTURE_CONVERTER_FILE;
    return self.substr(0, folderEnd + 1) + POS_PICTURE_CONVERTER_FILE;
}

std::string convertPicture(const std::string& libraryPath, const std::string& picturePath) {
    platform::DynamicLibrary library = platform::DynamicLibrary::open(
        libraryPath.empty() ? defaultPictureConverterPath() : libraryPath);
    if (!library.loaded() && libraryPath.empty())
        library = platform::DynamicLibrary::open(POS_PICTURE_CONVERTER_FILE);
    if (!library.loaded()) return {};
    const auto convert = reinterpret_cast<Pxo_PicConvertFunction>(library.symbol("Pxo_PicConvert"));
    if (convert == nullptr) return {};
    const char* converted = convert(picturePath.c_str());
    return converted != nullptr ? std::string(converted) : std::string();
}

}  // namespace pos::printer
