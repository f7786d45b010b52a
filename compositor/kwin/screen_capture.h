#pragma once

#include <QImage>
#include <QRegion>
#include <QString>
#include <functional>

namespace quorvel::kwin {

namespace compat {
class PaintTarget;
}

/// A PNG of every monitor as KWin paints them, pieced together output by
/// output over the next frames (KWin Wayland paints each on its own).
class ScreenCapture {
public:
    /// `done(written)` is called once, when the file is written or failed.
    void request(const QString& path, std::function<void(bool)> done);
    bool pending() const { return bool(done_); }
    /// At the end of painting `target`: takes what it shows.
    void add(const compat::PaintTarget& target);
    /// After a frame: writes the file once every monitor is in.
    void frameDone();

private:
    QString path_;
    std::function<void(bool)> done_;
    QImage image_;
    QRegion covered_;
};

}  // namespace quorvel::kwin
