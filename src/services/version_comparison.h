#pragma once

#include <string_view>

namespace quorvel::services {

/// Orders release versions: dotted numbers compare numerically and missing
/// parts count as zero ("1.10" > "1.9", "1.2" == "1.2.0"); a pre-release
/// ("1.2-beta.2", "1.2rc1") comes before its release, and pre-releases order
/// part by part (numbers numerically, words alphabetically, "alpha" < "beta"
/// < "rc"). A leading "v" and build metadata after "+" are ignored.
/// Negative when `a` is older than `b`, zero when equal, positive when newer.
int compareVersions(std::string_view a, std::string_view b);

}  // namespace quorvel::services
