// subnotes.dat and notes.dat as the input's bytes: reading and saving any note never fails,
// and an engine's note just saved reads back as saved, whatever the rest of the file holds.

#include "fuzz_check.h"
#include "submit/notes_store.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string file = "/tmp/fuzz_sub_notes_" + std::to_string(::getpid()) + ".dat";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    for (const char* key : {"$Main", "$/home/a/site.sdf"})
        siteherald::GetSubNotes(file, "Lighthouse", key);
    siteherald::LoadNotes(file, "General");

    siteherald::SaveSubNotes(file, "Lighthouse", "$Main", {"first", "", "last"});
    Check(siteherald::GetSubNotes(file, "Lighthouse", "$Main") == "first\r\n\r\nlast");
    siteherald::SaveNotes(file, "General", {"general"});
    ::unlink(file.c_str());
    return 0;
}
