#pragma once
// A folder for one piece of work that nobody else shares: made fresh under a unique name, so
// that a folder, file or link planted beforehand under a guessable name is never used or
// followed, and removed with everything in it when the object goes away.
#include <string>

namespace pos::platform {

class PrivateFolder {
  public:
    // Made below parent (empty: the system's folder for temporary files), named prefix
    // followed by a unique ending. made() is false when no such folder could be made.
    static PrivateFolder create(const std::string& parent, const std::string& prefix);

    PrivateFolder() = default;
    PrivateFolder(PrivateFolder&& other) noexcept;
    PrivateFolder& operator=(PrivateFolder&& other) noexcept;
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    ~PrivateFolder();

    bool made() const { return !path_.empty(); }
    // In the system's 8-bit code page, ending with the path separator.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

    // Deletes what the folder holds (links themselves, never what they point to) and the
    // folder. Done at the latest when the object goes away.
    void remove();

  private:
    explicit PrivateFolder(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

}  // namespace pos::platform
