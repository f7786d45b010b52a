#include "qt/color_scheme_monitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

namespace quorvel::qt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kNamespace = QStringLiteral("org.freedesktop.appearance");
const QString kKey = QStringLiteral("color-scheme");

/// Read wraps the value in one more variant than ReadOne; unwrap all of them.
std::optional<uint> schemeValue(QVariant value) {
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>()) {
        value = value.value<QDBusVariant>().variant();
    }
    bool ok = false;
    const uint number = value.toUInt(&ok);
    return ok ? std::optional<uint>(number) : std::nullopt;
}

}  // namespace

ports::SystemColorScheme paletteColorScheme() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return ports::SystemColorScheme::light;
    }
    const QColor window = QGuiApplication::palette().color(QPalette::Window);
    return window.lightness() < 128 ? ports::SystemColorScheme::dark
                                    : ports::SystemColorScheme::light;
}

ColorSchemeMonitor::ColorSchemeMonitor(QDBusConnection bus) : bus_(std::move(bus)) {
    last_ = colorScheme();
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
    if (!bus_.isConnected()) return;
    bus_.connect(kService, kPath, kInterface, QStringLiteral("SettingChanged"), this,
                 SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    read(QStringLiteral("ReadOne"));
}

ports::SystemColorScheme ColorSchemeMonitor::colorScheme() const {
    if (portal_ == 1u) return ports::SystemColorScheme::dark;
    if (portal_ == 2u) return ports::SystemColorScheme::light;
    return paletteColorScheme();
}

void ColorSchemeMonitor::read(const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call << kNamespace << kKey;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusMessage answer = w->reply();
                if (answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty()) {
                    setPortal(schemeValue(answer.arguments().constFirst()));
                } else if (method == QStringLiteral("ReadOne")) {
                    read(QStringLiteral("Read"));  // portals before version 2 only have Read
                }
            });
}

void ColorSchemeMonitor::onSettingChanged(const QString& ns, const QString& key,
                                          const QDBusVariant& value) {
    if (ns == kNamespace && key == kKey) setPortal(schemeValue(value.variant()));
}

void ColorSchemeMonitor::setPortal(std::optional<uint> value) {
    portal_ = value;
    recheck();
}

bool ColorSchemeMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() &&
        (event->type() == QEvent::ApplicationPaletteChange ||
         event->type() == QEvent::PaletteChange)) {
        recheck();
    }
    return QObject::eventFilter(watched, event);
}

void ColorSchemeMonitor::recheck() {
    const ports::SystemColorScheme now = colorScheme();
    if (now == last_) return;
    last_ = now;
    changed_.emit();
}

}  // namespace quorvel::qt
