// The update feed as the update driver reads a downloaded body: the appcast
// parser, then the choice of the newest release by version.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

#include "qt/appcast_update_driver.h"
#include "services/version_comparison.h"

namespace quorvel::fuzz {
namespace {

int sign(int n) {
    return (n > 0) - (n < 0);
}

// A comparison that is not antisymmetric would make the newest release
// depend on the order of the feed.
void checkOrder(const std::vector<ports::UpdateInfo>& items) {
    for (const auto& a : items) {
        for (const auto& b : items) {
            if (sign(services::compareVersions(a.version, b.version)) !=
                -sign(services::compareVersions(b.version, a.version))) {
                __builtin_trap();
            }
        }
    }
}

}  // namespace
}  // namespace quorvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel;
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto parsed = qt::AppcastUpdateDriver::parseAppcast(body);
    const auto* items = std::get_if<std::vector<ports::UpdateInfo>>(&parsed);
    if (!items) return 0;
    fuzz::checkOrder(*items);
    (void)qt::AppcastUpdateDriver::newestUpdate(*items, "0.1.0");
    return 0;
}
