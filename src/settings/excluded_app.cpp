#include "settings/excluded_app.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <random>
#include <string_view>

namespace quorvel::settings {

namespace {

using nlohmann::json;

bool keptInUrlPath(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("-._~/!$&'()*+,;=:@").find(static_cast<char>(c)) !=
           std::string_view::npos;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> textMember(const json& object, const char* member) {
    auto it = object.find(member);
    if (it == object.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

std::optional<std::string> nonEmpty(const std::optional<std::string>& text) {
    if (text && !text->empty()) return text;
    return std::nullopt;
}

}  // namespace

std::optional<core::Bytes> encodeExcludedAppData(const std::vector<ExcludedAppData>& list) {
    json array = json::array();
    for (const auto& app : list) {
        array.push_back(
            {{"name", app.name}, {"appId", app.appId}, {"desktopFile", app.desktopFile}});
    }
    try {
        return core::toBytes(array.dump());
    } catch (const json::exception&) {
        return std::nullopt;  // text that is not UTF-8
    }
}

std::optional<std::vector<ExcludedAppData>> decodeExcludedAppData(const core::Bytes& bytes) {
    const json doc = json::parse(core::toString(bytes), nullptr, false);
    if (!doc.is_array()) return std::nullopt;
    std::vector<ExcludedAppData> list;
    for (const json& element : doc) {
        if (!element.is_object()) return std::nullopt;
        // Earlier versions stored the id and the file under other names.
        auto name = textMember(element, "name");
        auto appId = textMember(element, "appId");
        if (!appId) appId = textMember(element, "bundleId");
        auto file = textMember(element, "desktopFile");
        if (!file) file = textMember(element, "bundleURL");
        if (!name || !appId || !file) return std::nullopt;
        list.push_back({*name, *appId, *file});
    }
    return list;
}

std::optional<ExcludedApp> ExcludedApp::fromLocation(const std::string& location,
                                                     const ports::AppCatalog& catalog) {
    auto entry = catalog.read(location);
    if (!entry) return std::nullopt;
    // No fallback to the file name: an entry without a name is not an application.
    auto name = nonEmpty(entry->localizedName);
    if (!name) name = nonEmpty(entry->name);
    auto appId = nonEmpty(entry->id);
    if (!name || !appId) return std::nullopt;
    return ExcludedApp{makeUuid(), *name, *appId, catalog.iconForFile(location)};
}

bool isExcluded(const std::vector<ExcludedApp>& list, const std::optional<std::string>& appId) {
    for (const auto& app : list) {
        if (app.matches(appId)) return true;
    }
    return false;
}

std::string makeUuid() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<unsigned> byteDistribution(0, 255);
    unsigned char b[16];
    for (auto& byte : b) byte = static_cast<unsigned char>(byteDistribution(generator));
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
    char text[37];
    std::snprintf(text, sizeof text,
                  "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return text;
}

std::string fileUrl(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        if (keptInUrlPath(c)) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 0xF];
        }
    }
    return url;
}

std::string pathFromFileUrl(const std::string& url) {
    constexpr std::string_view kScheme = "file://";
    if (url.compare(0, kScheme.size(), kScheme) != 0) return {};
    std::string path;
    for (std::size_t i = kScheme.size(); i < url.size(); ++i) {
        if (url[i] == '%' && i + 2 < url.size() && hexValue(url[i + 1]) >= 0 &&
            hexValue(url[i + 2]) >= 0) {
            path += static_cast<char>(hexValue(url[i + 1]) * 16 + hexValue(url[i + 2]));
            i += 2;
        } else {
            path += url[i];
        }
    }
    return path;
}

}  // namespace quorvel::settings
