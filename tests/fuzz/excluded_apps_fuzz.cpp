// The stored list of excluded applications (the bytes kept under
// "excludedApps" in the settings file) as the settings manager reads it, and
// the file URLs it holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/preference_store.h"
#include "settings/excluded_app.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel;
    const core::Bytes bytes(data, data + size);
    const auto list = settings::decodeExcludedAppData(bytes);
    if (!list) return 0;
    // A list read from the file is written back when the user changes it;
    // it must read back the same.
    if (const auto written = settings::encodeExcludedAppData(*list)) {
        if (settings::decodeExcludedAppData(*written) != list) __builtin_trap();
    }
    for (const auto& app : *list) {
        const std::string path = settings::pathFromFileUrl(app.desktopFile);
        if (settings::pathFromFileUrl(settings::fileUrl(path)) != path) __builtin_trap();
    }
    return 0;
}
