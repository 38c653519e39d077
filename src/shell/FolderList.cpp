#include "shell/FolderList.h"

#include <algorithm>
#include <system_error>

namespace corvane::shell {

namespace fs = std::filesystem;

FolderList::FolderList(fs::path start) {
    if (!Open(start)) {
        path_ = "/";
    }
}

std::vector<std::string> FolderList::Subfolders() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(path_, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            names.push_back(it->path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool FolderList::Enter(const std::string& name) {
    if (name == "..") {
        return Open(path_.parent_path());
    }
    return Open(path_ / name);
}

bool FolderList::Open(const fs::path& folder) {
    std::error_code ec;
    fs::path full = fs::weakly_canonical(fs::absolute(folder, ec), ec);
    if (ec || !fs::is_directory(full, ec)) {
        return false;
    }
    path_ = full;
    return true;
}

}  // namespace corvane::shell
