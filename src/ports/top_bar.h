#pragma once

namespace quorvel::ports {

/// A top bar the compositor slides away while asked and brings back by
/// itself when Quorvel is gone (GNOME's, through Quorvel's extension):
/// nothing of the user's own settings is touched.
class TopBar {
public:
    virtual ~TopBar() = default;
    /// Called when the top bar should slide away or come back.
    virtual void setHidden(bool hidden) = 0;
};

}  // namespace quorvel::ports
