// scenery.cfg as anybody might have edited it: its areas, their keys, and the folder passes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "scenery/CaseFolders.h"
#include "scenery/SceneryCfg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace corvane::scenery;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<SceneryArea> areas = ParseSceneryCfg(text);
    // The first line's text as a key too, to reach odd keys.
    GetKeyValue(text, text.substr(0, text.find('\n')));
    const std::vector<Volume> drives = {
        {"/", "/dev/vda", "ext4", "", false},
        {"/media/cdrom0", "/dev/sr0", "iso9660", "FS2002_2", true},
        {"/media/Game Disk", "/dev/sdb1", "vfat", "[odd]", false},
    };
    ResolveAreaFolders(areas, "/home/pilot/FS2002", drives);
    for (const SceneryArea& area : areas) {
        IsAirportArea(area);
        SplitFolderText(area.local);
        NamesADrive(area.local);
    }
    return 0;
}
