#include "screen_capture.h"

#include <QPainter>

#include "kwin_compat_effect.h"

namespace quorvel::kwin {

void ScreenCapture::request(const QString& path, std::function<void(bool)> done) {
    // A newer request takes over; the older one is answered first.
    if (done_) done_(false);
    path_ = path;
    done_ = std::move(done);
    const QRect desktop = KWin::effects->virtualScreenGeometry();
    image_ = QImage(desktop.size(), QImage::Format_RGB32);
    image_.fill(Qt::black);
    covered_ = QRegion();
    KWin::effects->addRepaintFull();
}

void ScreenCapture::add(const compat::PaintTarget& target) {
    if (!done_) return;
    const QImage shot = target.grab();
    if (shot.isNull()) return;
    const QRect desktop = KWin::effects->virtualScreenGeometry();
    QPainter painter(&image_);
    // Logical pixels, as the interface counts them.
    painter.drawImage(QRect(target.area().topLeft() - desktop.topLeft(), target.area().size()),
                      shot);
    covered_ += target.area();
}

void ScreenCapture::frameDone() {
    if (!done_) return;
    QRegion missing;
    for (const auto* screen : KWin::effects->screens()) missing += compat::geometry(screen);
    missing -= covered_;
    if (!missing.isEmpty()) {
        KWin::effects->addRepaintFull();
        return;
    }
    const bool written = image_.save(path_, "PNG");
    auto done = std::move(done_);
    done_ = nullptr;
    image_ = QImage();
    done(written);
}

}  // namespace quorvel::kwin
