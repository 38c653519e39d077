#pragma once
// The simulator's scenery library list, scenery.cfg: Windows-1252 text in sections such as
//
//   [Area.002]
//   Title=Airport and Facilities Data
//   Local=Scenery\NAMERICA
//   Layer=2
//   Active=TRUE
//   Required=TRUE
//
// Keys are found by a plain case-insensitive substring search inside the section's text, so
// "local=" also matches inside "xlocal="; values keep their letter case and blanks.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scenery/Volumes.h"

namespace corvane::scenery {

// One "[area." section: each field is the raw value of its key, empty when the key is absent.
struct SceneryArea {
    std::string title;      // "Title"
    std::string textureId;  // "Texture_ID"
    std::string active;     // "Active"
    std::string layer;      // "Layer"
    std::string required;   // "Required"
    std::string remote;     // "Remote": part of the area is on the simulator CD
    std::string local;      // "Local": the area's folder; made absolute by ResolveAreaFolders

    bool operator==(const SceneryArea&) const = default;
};

inline constexpr const char* kAirportAreaTitle = "airport and facilities data";

// Title "Airport and Facilities Data" and Required "TRUE", both in any letter case.
bool IsAirportArea(const SceneryArea& area);

// The value of `key` in one section's text: the text after the first "key=" (case-insensitive)
// up to the end of its line; empty when the key is not there.
std::string GetKeyValue(std::string_view sectionText, std::string_view key);

// The areas of a scenery.cfg text, in file order. Lines end with CR LF, CR or LF. A header is a
// line beginning with "[" and holding "]", taken up to its first "]"; an area is a header holding
// "[area." in any case, and its text runs from the header's first occurrence up to and including
// the first character of the next header's. Values are turned into UTF-8.
std::vector<SceneryArea> ParseSceneryCfg(std::string_view bytes);

// ParseSceneryCfg of a file; nullopt when it cannot be read.
std::optional<std::vector<SceneryArea>> ReadSceneryCfg(const std::filesystem::path& path);

// True when a folder text already names a drive of this system: an absolute path (a volume's
// mount point, as pass 1 leaves it) or a Windows drive letter such as "D:".
bool NamesADrive(std::string_view folder);

// Makes every area's `local` an absolute folder text, in three passes over all areas:
// 1. a local beginning with "[label]" for the label of a volume gets, lower-cased, that bracket
//    replaced by the volume's mount point;
// 2. a non-empty local that names no drive becomes FsMainFolder + "\" + local;
// 3. a non-empty local other than FsMainFolder + "\Scenery" (compared in lower case) becomes the
//    lower-cased local + "\scenery".
// Scenery with main folder C:\FS2002 gives C:\FS2002\Scenery; Scenery\World gives
// c:\fs2002\scenery\world\scenery. The result is still a Windows-style text: ResolveFolderText
// (CaseFolders.h) finds the real folder.
void ResolveAreaFolders(std::vector<SceneryArea>& areas, const std::string& fsMainFolder,
                        const std::vector<Volume>& drives);

}  // namespace corvane::scenery
