#pragma once
/* The picture converter library PIXEO_API, which the printer service object loads at run time
 * to print pictures that are not black-and-white bitmaps.
 *
 * Library file: PIXEO_API.dll on Windows, PIXEO_API.so elsewhere (no "lib" prefix, like the
 * service objects' own libraries). The one export uses the C calling convention (cdecl).
 *
 * const char* Pxo_PicConvert(const char* picturePath);
 *   picturePath: full path of a picture file in the system's 8-bit code page: a BMP of any
 *   depth (uncompressed), a JPEG, a GIF (its first frame) or a PNG, told apart by content,
 *   not by name.
 *   Result: full path of a new bitmap file, one bit per dot, written beside the picture under
 *   the picture's name followed by ".1bit.bmp"; or a null pointer when the picture cannot be
 *   read, is not one of those formats, or cannot be written. Pictures with grey levels or
 *   colours are dithered (Floyd-Steinberg); transparent parts turn white. The text belongs to
 *   the library and holds until the next call or until the library is unloaded: copy it.
 *   Calls must not overlap. The library keeps no files: the caller removes the one it gets.
 */

#ifdef __cplusplus
extern "C" {
#endif

#if defined(PXO_BUILDING_LIBRARY) && defined(_WIN32)
#define PXO_API __declspec(dllexport)
#elif defined(PXO_BUILDING_LIBRARY)
#define PXO_API __attribute__((visibility("default")))
#else
#define PXO_API
#endif

PXO_API const char* Pxo_PicConvert(const char* picturePath);

typedef const char* (*Pxo_PicConvertFunction)(const char* picturePath);

#ifdef __cplusplus
}
#endif
