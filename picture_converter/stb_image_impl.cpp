// The stb image decoder, limited to the formats we convert. No thread-local state: it would
// outlive the library's unloading on some runtimes.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#define STBI_NO_THREAD_LOCALS
#define STBI_MAX_DIMENSIONS 65535
#include "stb_image.h"
