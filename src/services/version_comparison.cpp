#include "services/version_comparison.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace quorvel::services {

namespace {

struct Part {
    bool numeric = false;
    std::string text;  // numbers without leading zeros
};

struct ParsedVersion {
    std::vector<std::string> core;  // the dotted numbers
    std::vector<Part> preRelease;   // empty for a release
};

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::string stripZeros(std::string digits) {
    const auto first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

// Splits on separators and on changes between digits and letters, so that
// "beta.2", "beta2" and "-beta-2" read alike.
std::vector<Part> splitPreRelease(std::string_view text) {
    std::vector<Part> parts;
    Part current;
    auto flush = [&] {
        if (current.text.empty()) return;
        if (current.numeric) current.text = stripZeros(current.text);
        parts.push_back(current);
        current = Part{};
    };
    for (char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            flush();
            continue;
        }
        if (!current.text.empty() && current.numeric != isDigit(c)) flush();
        current.numeric = isDigit(c);
        current.text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    flush();
    return parts;
}

ParsedVersion parse(std::string_view v) {
    if (!v.empty() && (v.front() == 'v' || v.front() == 'V')) v.remove_prefix(1);
    if (auto plus = v.find('+'); plus != std::string_view::npos) v = v.substr(0, plus);
    ParsedVersion parsed;
    std::size_t i = 0;
    while (i < v.size() && isDigit(v[i])) {
        std::size_t end = i;
        while (end < v.size() && isDigit(v[end])) ++end;
        parsed.core.push_back(stripZeros(std::string(v.substr(i, end - i))));
        i = end;
        // A dot continues the numbers only when another number follows it.
        if (i + 1 < v.size() && v[i] == '.' && isDigit(v[i + 1]))
            ++i;
        else
            break;
    }
    parsed.preRelease = splitPreRelease(v.substr(i));
    return parsed;
}

int compareNumbers(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

int compareParts(const Part& a, const Part& b) {
    if (a.numeric && b.numeric) return compareNumbers(a.text, b.text);
    // A number after a word ("rc" then "1") sorts before a further word.
    if (a.numeric != b.numeric) return a.numeric ? -1 : 1;
    return a.text.compare(b.text) < 0 ? -1 : (a.text == b.text ? 0 : 1);
}

}  // namespace

int compareVersions(std::string_view a, std::string_view b) {
    const ParsedVersion pa = parse(a);
    const ParsedVersion pb = parse(b);
    const std::size_t n = std::max(pa.core.size(), pb.core.size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::string x = i < pa.core.size() ? pa.core[i] : "0";
        const std::string y = i < pb.core.size() ? pb.core[i] : "0";
        if (int c = compareNumbers(x, y)) return c;
    }
    // A release is newer than any of its pre-releases.
    if (pa.preRelease.empty() != pb.preRelease.empty()) return pa.preRelease.empty() ? 1 : -1;
    const std::size_t m = std::min(pa.preRelease.size(), pb.preRelease.size());
    for (std::size_t i = 0; i < m; ++i) {
        if (int c = compareParts(pa.preRelease[i], pb.preRelease[i])) return c;
    }
    if (pa.preRelease.size() == pb.preRelease.size()) return 0;
    return pa.preRelease.size() < pb.preRelease.size() ? -1 : 1;
}

}  // namespace quorvel::services
