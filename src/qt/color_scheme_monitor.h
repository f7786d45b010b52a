#pragma once

#include "ports/color_scheme.h"

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <optional>

namespace quorvel::qt {

/// The desktop's light/dark preference. The XDG desktop portal's
/// "org.freedesktop.appearance" "color-scheme" decides when it answers (1 dark,
/// 2 light); with no portal, or 0 (no preference), the lightness of the
/// toolkit palette's window colour does. Both are followed while it lives: the
/// portal's SettingChanged signal and the application's palette changes.
class ColorSchemeMonitor final : public QObject, public ports::ColorSchemeSource {
    Q_OBJECT

public:
    explicit ColorSchemeMonitor(QDBusConnection bus = QDBusConnection::sessionBus());

    ports::SystemColorScheme colorScheme() const override;
    core::Signal<>& colorSchemeChanged() override { return changed_; }

    /// What the portal said last: 0 no preference, 1 dark, 2 light; none before it answers.
    std::optional<uint> portalValue() const { return portal_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    // D-Bus signals can only be connected by signature, hence the slot.
    void onSettingChanged(const QString& ns, const QString& key, const QDBusVariant& value);

private:
    void read(const QString& method);
    void setPortal(std::optional<uint> value);
    void recheck();

    QDBusConnection bus_;
    std::optional<uint> portal_;
    ports::SystemColorScheme last_ = ports::SystemColorScheme::light;
    core::Signal<> changed_;
};

/// The scheme the toolkit palette suggests: dark when the window colour is dark.
ports::SystemColorScheme paletteColorScheme();

}  // namespace quorvel::qt
