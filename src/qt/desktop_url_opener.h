#pragma once

#include <QDesktopServices>
#include <QUrl>

#include "ports/url_opener.h"

namespace quorvel::qt {

/// Links go to the desktop's handlers (xdg-open's choices).
class DesktopUrlOpener final : public ports::UrlOpener {
public:
    bool openURL(const std::string& url) override {
        return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
    }
};

}  // namespace quorvel::qt
