#pragma once

#include <algorithm>

namespace quorvel::core {

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

/// A rectangle by origin and size. Whether y grows up or down is the caller's
/// convention: window frames are top-left origin, monitor frames bottom-left.
struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    bool operator==(const Rect&) const = default;

    double minX() const { return x; }
    double minY() const { return y; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    bool isEmpty() const { return width <= 0 || height <= 0; }

    /// Like the platform's rectangle intersection test: touching edges do not
    /// intersect and empty rectangles intersect nothing.
    bool intersects(const Rect& o) const {
        if (isEmpty() || o.isEmpty()) return false;
        return std::max(minX(), o.minX()) < std::min(maxX(), o.maxX()) &&
               std::max(minY(), o.minY()) < std::min(maxY(), o.maxY());
    }

    bool contains(Point p) const {
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }
};

}  // namespace quorvel::core
