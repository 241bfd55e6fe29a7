#pragma once
// Trace files live in the host process's current directory.
namespace pos::platform {
#ifdef _WIN32
inline constexpr const char* kTraceTextFile = ".\\OPOSDebug.txt";
inline constexpr const char* kTraceRawFile = ".\\OPOSDebug.raw";
#else
inline constexpr const char* kTraceTextFile = "./OPOSDebug.txt";
inline constexpr const char* kTraceRawFile = "./OPOSDebug.raw";
#endif
}  // namespace pos::platform
