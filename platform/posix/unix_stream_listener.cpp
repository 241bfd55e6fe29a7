#include "platform/unix_stream_listener.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace pos::platform {

namespace {

[[noreturn]] void fail(int error, const std::string& what) {
    throw std::system_error(error, std::generic_category(), what);
}

sockaddr_un addressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) {
        fail(ENAMETOOLONG, "control socket path '" + path + "' is empty or too long");
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

FileDescriptor streamSocket() {
    FileDescriptor s(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!s.valid()) fail(errno, "cannot create a socket");
    return s;
}

// A socket file left behind by a process that is gone refuses connections.
void removeStaleSocket(const std::string& path, const sockaddr_un& address) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return;
    if (!S_ISSOCK(info.st_mode)) fail(EEXIST, "'" + path + "' exists and is not a socket");
    const FileDescriptor probe = streamSocket();
    if (::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
        fail(EADDRINUSE, "another program listens on '" + path + "'");
    }
    if (errno != ECONNREFUSED) fail(errno, "cannot probe '" + path + "'");
    ::unlink(path.c_str());
}

}  // namespace

UnixStreamListener::UnixStreamListener(std::string path) : path_(std::move(path)) {
    const sockaddr_un address = addressOf(path_);
    removeStaleSocket(path_, address);
    socket_ = streamSocket();
    if (::bind(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        fail(errno, "cannot bind '" + path_ + "'");
    }
    if (::listen(socket_.get(), 8) != 0) {
        const int error = errno;
        ::unlink(path_.c_str());
        fail(error, "cannot listen on '" + path_ + "'");
    }
    setNonBlocking(socket_.get());
}

UnixStreamListener::~UnixStreamListener() {
    socket_.reset();
    ::unlink(path_.c_str());
}

FileDescriptor UnixStreamListener::accept() {
    int client;
    do {
        client = ::accept4(socket_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    } while (client < 0 && errno == EINTR);
    return FileDescriptor(client);
}

}  // namespace pos::platform
