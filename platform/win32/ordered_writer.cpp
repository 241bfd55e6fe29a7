#include "ordered_writer.h"

#include <algorithm>

namespace pos::platform::win32 {

bool OrderedWriter::start(HANDLE port) {
    if (thread_.joinable()) return false;
    wake_ = UniqueHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    stop_ = makeManualResetEvent();
    wrote_ = makeManualResetEvent();
    if (!wake_ || !stop_ || !wrote_) {
        wake_.reset();
        stop_.reset();
        wrote_.reset();
        return false;
    }
    port_ = port;
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

bool OrderedWriter::enqueue(std::span<const std::uint8_t> bytes) {
    // One WriteFile takes at most a DWORD's worth of bytes.
    constexpr std::size_t kMaxPiece = MAXDWORD;
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable() || stopping_) return false;
        while (!bytes.empty()) {
            const std::size_t size = std::min(bytes.size(), kMaxPiece);
            queue_.emplace_back(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
            waitingBytes_ += size;
            bytes = bytes.subspan(size);
        }
    }
    SetEvent(wake_.get());
    return true;
}

std::size_t OrderedWriter::waitingBytes() const {
    std::lock_guard lock(mutex_);
    return waitingBytes_;
}

void OrderedWriter::finish(std::chrono::milliseconds limit) {
    if (!thread_.joinable()) return;
    {
        std::unique_lock lock(mutex_);
        drained_.wait_for(lock, limit, [this] { return queue_.empty(); });
        stopping_ = true;
    }
    SetEvent(stop_.get());
    thread_.join();
    queue_.clear();
    waitingBytes_ = 0;
    wake_.reset();
    stop_.reset();
    wrote_.reset();
    port_ = nullptr;
}

void OrderedWriter::run() {
    for (;;) {
        const std::vector<std::uint8_t>* piece = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            // The front stays put while pieces are added behind it.
            if (!queue_.empty()) {
                piece = &queue_.front();
                waitingBytes_ -= piece->size();
            }
        }
        if (piece == nullptr) {
            const HANDLE events[] = {wake_.get(), stop_.get()};
            WaitForMultipleObjects(2, events, FALSE, INFINITE);
            continue;
        }
        writeOne(*piece);
        std::lock_guard lock(mutex_);
        queue_.pop_front();
        if (queue_.empty()) drained_.notify_all();
    }
}

void OrderedWriter::writeOne(const std::vector<std::uint8_t>& piece) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = wrote_.get();
    if (!WriteFile(port_, piece.data(), static_cast<DWORD>(piece.size()), nullptr, &overlapped) &&
        GetLastError() != ERROR_IO_PENDING) {
        return;  // the driver refused it; the bytes are dropped and the next piece goes on
    }
    const HANDLE events[] = {wrote_.get(), stop_.get()};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CancelIoEx(port_, &overlapped);
    }
    DWORD transferred = 0;
    GetOverlappedResult(port_, &overlapped, &transferred, TRUE);
}

}  // namespace pos::platform::win32
