#pragma once
// Windows-style folder texts from the simulator's files (backslashes, drive letters, any letter
// case) found among the real folders of this system, so an installation copied from Windows works
// unchanged.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::scenery {

// The components of a folder text split at '\' and '/'; empty and "." components are left out.
std::vector<std::string> SplitFolderText(std::string_view text);

// The entry `components` names under `base`, each component matched in any ASCII letter case;
// where several entries match, the exact name is tried first, then the others in name order, and
// the first that holds the rest of the path wins. ".." goes up. nullopt when nothing matches.
std::optional<std::filesystem::path> FindCaseInsensitive(
    const std::filesystem::path& base, const std::vector<std::string>& components);

// The real folder or file a text names:
// - under the FS main folder when the text begins with it (in any case, either separator), the
//   main folder itself taken as written;
// - an absolute path from the root;
// - a Windows drive path ("C:\Program Files\FS2002\Addon Scenery\Park\scenery") by the longest
//   tail of at least two components that exists under the FS main folder, where a copied
//   installation keeps it;
// - any other text under the FS main folder.
std::optional<std::filesystem::path> ResolveFolderText(std::string_view text,
                                                       const std::string& fsMainFolder);

// The files of a folder whose extension is ".bgl" in any case, sorted by name.
struct BglListing {
    bool readable = true;
    std::string error;  // why the folder could not be listed
    std::vector<std::filesystem::path> files;
};
BglListing ListBglFiles(const std::filesystem::path& folder);

}  // namespace corvane::scenery
