#pragma once
// What the configuration window's drive and folder lists show: the mounted volumes, and the
// sub-folders of the current folder, entered one at a time.

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::shell {

class FolderList {
  public:
    explicit FolderList(std::filesystem::path start);

    const std::filesystem::path& Path() const { return path_; }
    // The sub-folders of Path(), sorted by name; unreadable folders give an empty list.
    std::vector<std::string> Subfolders() const;
    // Moves into a sub-folder, or up with "..". Returns false (and stays) when it does not exist.
    bool Enter(const std::string& name);
    // Moves to another volume's mount point, or any existing folder.
    bool Open(const std::filesystem::path& folder);

  private:
    std::filesystem::path path_;
};

}  // namespace corvane::shell
