#pragma once

#include <string>
#include <vector>

#include "app/session_environment.h"

namespace quorvel::x11 {
class Connection;
}

namespace quorvel::program {

/// `quorvel --diagnose`: what Quorvel sees on this desktop, read once without
/// starting anything: the session, the window manager and compositor with
/// the veil they lead to, the monitors, the panel table, the shortcut grabs
/// and the window list with each window's verdict. Meant for bug reports.
class Diagnosis final {
public:
    /// `connection` may be null or closed: the report then ends after the session.
    Diagnosis(x11::Connection* connection, app::EnvironmentLookup env);

    /// The report, one line per fact (needs a QCoreApplication).
    std::vector<std::string> report();

private:
    void session();
    void veil();
    void monitors();
    void panels();
    void shortcuts();
    void windows();
    void add(std::string line) { lines_.push_back(std::move(line)); }

    x11::Connection* connection_;
    app::EnvironmentLookup env_;
    std::vector<std::string> lines_;
    bool shellPlacesVeil_ = false;  // GNOME Shell's extension answers
};

}  // namespace quorvel::program
