#pragma once
// POSIX only. A Unix-domain stream socket listening at a path, removed again with the object.
#include <string>

#include "platform/descriptor_io.h"

namespace pos::platform {

class UnixStreamListener {
  public:
    // Replaces a socket file nobody listens on any more. Throws std::system_error when the path
    // is too long, belongs to something else or has a live listener.
    explicit UnixStreamListener(std::string path);
    UnixStreamListener(const UnixStreamListener&) = delete;
    UnixStreamListener& operator=(const UnixStreamListener&) = delete;
    ~UnixStreamListener();

    int fd() const { return socket_.get(); }
    const std::string& path() const { return path_; }
    // A waiting client, non-blocking; an invalid descriptor when none is waiting.
    FileDescriptor accept();

  private:
    std::string path_;
    FileDescriptor socket_;
};

}  // namespace pos::platform
