#include "trace_log.h"

#include <cstdarg>
#include <cstdio>
#include <memory>

#include "platform/trace_files.h"

namespace pos {

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string joined(const std::string& directory, const char* name) {
    if (directory.empty()) return name;
    // The platform names start with ".\" or "./"; keep only the file part below directory.
    return directory + "/" + (name + 2);
}
}  // namespace

TraceLog::TraceLog() : TraceLog(Options{}) {}

TraceLog::TraceLog(Options options, std::string directory, Clock clock)
    : options_(options), directory_(std::move(directory)), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return std::time(nullptr); };
}

std::string TraceLog::textPath() const {
    return joined(directory_, platform::kTraceTextFile);
}
std::string TraceLog::rawPath() const {
    return joined(directory_, platform::kTraceRawFile);
}

bool TraceLog::Write(const char* format, ...) {
    if (!enabled_) return true;
    // Opened and closed per line so the file can be moved or deleted while we are loaded.
    File file(std::fopen(textPath().c_str(), "a+"));
    if (!file) return false;
    if (options_.recordingHeader && !headerWritten_) {
        const std::time_t now = clock_();
        std::tm local{};
#ifdef _WIN32
        localtime_s(&local, &now);
#else
        localtime_r(&now, &local);
#endif
        static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        // The C asctime form, its own newline included.
        char stamp[64];
        std::snprintf(stamp, sizeof stamp, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n",
                      kDays[local.tm_wday % 7], kMonths[local.tm_mon % 12], local.tm_mday,
                      local.tm_hour, local.tm_min, local.tm_sec, 1900 + local.tm_year);
        std::fprintf(file.get(), "======Recording======\nTime Record:%s\n", stamp);
        headerWritten_ = true;
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(file.get(), format, args);
    va_end(args);
    std::fflush(file.get());
    return true;
}

bool TraceLog::WriteRaw(const std::uint8_t* bytes, std::size_t length) {
    if (!enabled_ || !options_.rawFile) return true;
    File file(std::fopen(rawPath().c_str(), "a+b"));
    if (!file) return false;
    if (length > 0) std::fwrite(bytes, 1, length, file.get());
    return true;
}

}  // namespace pos
