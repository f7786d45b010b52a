#pragma once

namespace quorvel::ports {

/// How the application presents itself: a regular application has a taskbar
/// entry; an accessory lives only in the tray. The numbers are the stored ones.
enum class ActivationPolicy { Regular = 0, Accessory = 1 };

/// The application's presence in the desktop's taskbar.
class ApplicationPresence {
public:
    virtual ~ApplicationPresence() = default;
    /// Called at launch and when the settings window opens or closes; a refused
    /// change leaves the previous policy in place (read it back to know).
    virtual void setActivationPolicy(ActivationPolicy policy) = 0;
    /// Called after a change to report it; the policy in effect.
    virtual ActivationPolicy activationPolicy() const = 0;
};

}  // namespace quorvel::ports
