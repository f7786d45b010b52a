#pragma once

#include <string>

namespace quorvel::ports {

/// The desktop's handler for links (the mail client for mailto:, the browser
/// for web pages).
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    /// Called by the support and product-page commands with a well-formed
    /// URL; false when the desktop has no handler for it.
    virtual bool openURL(const std::string& url) = 0;
};

}  // namespace quorvel::ports
