#pragma once
// One call of the picture converter library (PIXEO_API), loaded for that call and unloaded
// after it, as the maker's library would be.
#include <string>

namespace pos::printer {

// The library's file beside this service object's own library; the bare file name (the
// system's library search) when our own location is unknown.
std::string defaultPictureConverterPath();

// The converter's answer for picturePath, copied; empty when the library cannot be loaded,
// lacks its export or returns no path. An empty libraryPath looks beside this library first,
// then through the system's library search.
std::string convertPicture(const std::string& libraryPath, const std::string& picturePath);

}  // namespace pos::printer
