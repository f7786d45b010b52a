#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/preference_store.h"
#include "ports/app_catalog.h"

namespace quorvel::settings {

/// The stored form of one excluded application.
struct ExcludedAppData {
    std::string name;
    std::string appId;        // the desktop-entry id; the entry's identity
    std::string desktopFile;  // file URL of the .desktop file, only a fallback for the icon

    bool operator==(const ExcludedAppData&) const = default;
};

/// A JSON array of {"name","appId","desktopFile"} objects, in list order;
/// nothing when some text is not valid UTF-8 and so cannot be encoded.
std::optional<core::Bytes> encodeExcludedAppData(const std::vector<ExcludedAppData>& list);
/// Nothing unless `bytes` are a JSON array whose every element is an object
/// with text "name", "appId" and "desktopFile" (or the older "bundleId" and
/// "bundleURL").
std::optional<std::vector<ExcludedAppData>> decodeExcludedAppData(const core::Bytes& bytes);

/// One excluded application in memory.
struct ExcludedApp {
    std::string id;     // a fresh random UUID each time an entry is made or loaded
    std::string name;   // display name
    std::string appId;  // desktop-entry id; the only field used for matching
    std::string icon;   // an icon theme name or an image file path; may be empty

    bool operator==(const ExcludedApp&) const = default;

    /// The one matching rule: exact, case-sensitive equality of ids. An
    /// application without an id is never excluded.
    bool matches(const std::optional<std::string>& candidate) const {
        return candidate && *candidate == appId;
    }

    /// The entry for the desktop file at `location`. Nothing when the file
    /// cannot be read, has no name (localized or plain) or has no id.
    static std::optional<ExcludedApp> fromLocation(const std::string& location,
                                                   const ports::AppCatalog& catalog);
};

/// True when some entry of `list` matches `appId`.
bool isExcluded(const std::vector<ExcludedApp>& list, const std::optional<std::string>& appId);

/// A random (version 4) UUID in its upper-case text form.
std::string makeUuid();

/// "file://" followed by `path`, percent-encoded where a URL needs it.
std::string fileUrl(const std::string& path);
/// The path of a "file://" URL (percent-decoded); empty for anything else.
std::string pathFromFileUrl(const std::string& url);

}  // namespace quorvel::settings
