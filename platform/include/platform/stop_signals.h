#pragma once
// POSIX only. Turns SIGINT and SIGTERM into a readable descriptor, so that a program waiting on
// descriptors ends its loop cleanly; ignores SIGPIPE, so that writing to a vanished peer fails
// with an error instead of killing the program. One instance at a time; the previous handlers
// return when it goes away.
#include "platform/descriptor_io.h"

namespace pos::platform {

class StopSignals {
  public:
    // Throws std::system_error, or std::logic_error while another instance exists.
    StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    ~StopSignals();

    // Readable once a stop signal has arrived.
    int fd() const { return readEnd_.get(); }
    // The signal that arrived, 0 while none has.
    int takeSignal();

  private:
    FileDescriptor readEnd_;
    FileDescriptor writeEnd_;
};

}  // namespace pos::platform
