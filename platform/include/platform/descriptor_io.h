#pragma once
// POSIX only. Descriptors for programs that serve several of them from one wait.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pos::platform {

inline constexpr int kStandardInput = 0;

// Owns a descriptor and closes it.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release();
    void reset(int fd = -1);

  private:
    int fd_ = -1;
};

enum class IoStatus : std::uint8_t { Done, WouldBlock, EndOfFile, Failed };

struct IoResult {
    IoStatus status = IoStatus::Failed;
    std::size_t count = 0;  // bytes moved when Done
    int error = 0;          // errno when Failed
};

// One read; blocks only when fd is blocking and nothing is waiting.
IoResult readSome(int fd, std::span<std::uint8_t> into);
// One write; may move fewer bytes than given.
IoResult writeSome(int fd, std::span<const std::uint8_t> bytes);
// Throws std::system_error.
void setNonBlocking(int fd);

struct PollItem {
    int fd = -1;
    bool wantRead = false;
    bool wantWrite = false;
    // Set by waitForDescriptors. A hang-up or error counts as readable and writable, so that
    // the next read or write reports it.
    bool readable = false;
    bool writable = false;
};

// Waits until an item is ready or the timeout (none: no limit) passes; returns how many items
// are ready, 0 also when a signal interrupted the wait. Throws std::system_error.
int waitForDescriptors(std::span<PollItem> items, std::optional<std::chrono::milliseconds> timeout);

}  // namespace pos::platform
