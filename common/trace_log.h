#pragma once
// The service objects' diagnostic trace: printf-style lines appended to a text file in the host
// process's current directory, and (printer) the raw bytes of every serial write.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

namespace pos {

class TraceLog {
  public:
    struct Options {
        bool recordingHeader = true;  // printer: one header per load before the first line
        bool rawFile = true;          // printer: keep the raw serial bytes
    };
    using Clock = std::function<std::time_t()>;

    TraceLog();
    explicit TraceLog(Options options, std::string directory = {}, Clock clock = {});

    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }

    bool Write(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool WriteRaw(const std::uint8_t* bytes, std::size_t length);

    std::string textPath() const;
    std::string rawPath() const;

  private:
    Options options_;
    std::string directory_;  // empty: the file names as they are, relative to the current dir
    Clock clock_;
    bool enabled_ = false;
    bool headerWritten_ = false;
};

}  // namespace pos
