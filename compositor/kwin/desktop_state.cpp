#include "desktop_state.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "kwin_compat.h"
#include "kwin_compat_watch.h"
#include "window_layers.h"

namespace quorvel::kwin {
namespace {

using KWin::effects;
using KWin::EffectWindow;

QJsonObject rectObject(const QRect& r) {
    return {{"x", r.x()}, {"y", r.y()}, {"width", r.width()}, {"height", r.height()}};
}

QJsonValue orNull(const QString& s) {
    return s.isEmpty() ? QJsonValue() : QJsonValue(s);
}

QJsonArray monitorsJson() {
    QJsonArray monitors;
    const auto screens = effects->screens();
    for (int i = 0; i < screens.size(); ++i) {
        QJsonObject m = rectObject(compat::geometry(screens[i]));
        m.insert("index", i);
        m.insert("workArea", rectObject(compat::workArea(screens[i])));
        // KWin keeps its outputs in the user's order, the primary first.
        m.insert("primary", i == 0);
        monitors.append(m);
    }
    return monitors;
}

bool onScreen(const EffectWindow* w) {
    return !w->isDeleted() && w->isManaged() && !w->isMinimized() && w->isVisible() &&
           (w->isOnCurrentDesktop() || w->isOnAllDesktops());
}

QJsonObject windowJson(const EffectWindow* w, quint64 id, bool own) {
    QString app = compat::desktopFileName(w);
    if (!app.isEmpty() && !app.endsWith(QLatin1String(".desktop"))) app += ".desktop";
    QJsonObject o = rectObject(compat::frameGeometry(w));
    o.insert("id", double(id));
    o.insert("app", orNull(app));
    // The class's second part is the program's own name for itself.
    o.insert("appName", orNull(w->windowClass().section(QLatin1Char(' '), 1)));
    o.insert("monitor", int(effects->screens().indexOf(w->screen())));
    o.insert("type", windowTypeName(w));
    o.insert("fullscreen", w->isFullScreen());
    o.insert("above", w->keepAbove());
    o.insert("own", own);
    return o;
}

}  // namespace

DesktopState::DesktopState(QObject* parent) : QObject(parent) {
    changedTimer_.setSingleShot(true);
    changedTimer_.setInterval(0);
    connect(&changedTimer_, &QTimer::timeout, this, &DesktopState::changed);

    for (EffectWindow* w : effects->stackingOrder()) track(w);
    using E = KWin::EffectsHandler;
    connect(effects, &E::windowAdded, this, [this](EffectWindow* w) {
        track(w);
        queueChanged();
    });
    connect(effects, &E::windowClosed, this, &DesktopState::onClosed);
    connect(effects, &E::windowDeleted, this, &DesktopState::onClosed);
    const auto queue = [this] { queueChanged(); };
    connect(effects, &E::windowActivated, this, queue);
    connect(effects, &E::stackingOrderChanged, this, queue);
    connect(effects, &E::screenAdded, this, queue);
    connect(effects, &E::screenRemoved, this, queue);
    connect(effects, &E::virtualScreenGeometryChanged, this, queue);
    connect(effects, &E::activeFullScreenEffectChanged, this, queue);
    compat::watchAllWindows(this, queue);
    compat::watchDesktopSwitches(
        this, [this] { setSwitching(true); }, [this] { setSwitching(false); });
}

QString DesktopState::json() const {
    QJsonArray windows;
    const auto stack = effects->stackingOrder();
    for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
        const quint64 id = ids_.value(*it);
        if (id == 0 || !onScreen(*it)) continue;
        windows.append(windowJson(*it, id, ownerPid_ > 0 && (*it)->pid() == ownerPid_));
    }
    EffectWindow* active = effects->activeWindow();
    const quint64 activeId = active && onScreen(active) ? ids_.value(active) : 0;
    const QJsonObject state{
        {"version", 2},
        {"compositor", "KWin"},
        {"compositorVersion", compat::compositorVersion()},
        {"session", compat::isWayland() ? "wayland" : "x11"},
        {"frost", effects->isOpenGLCompositing()},
        {"monitors", monitorsJson()},
        {"windows", windows},
        {"active", activeId ? QJsonValue(double(activeId)) : QJsonValue()},
        {"workspace", QJsonObject{{"index", compat::currentDesktop()}, {"switching", switching_}}},
        {"overview", compat::overviewActive()},
        {"trayItem", QJsonValue()},
    };
    return QString::fromUtf8(QJsonDocument(state).toJson(QJsonDocument::Compact));
}

void DesktopState::setOwnerPid(qint64 pid) {
    if (pid == ownerPid_) return;
    ownerPid_ = pid;
    queueChanged();
}

void DesktopState::framePainted() {
    // The slide between desktops is a full-screen effect while it runs.
    if (switching_ && !effects->activeFullScreenEffect()) setSwitching(false);
}

void DesktopState::setSwitching(bool switching) {
    if (switching_ == switching) return;
    switching_ = switching;
    // The frame that ends a switch may never come on its own.
    if (switching) effects->addRepaintFull();
    queueChanged();
}

void DesktopState::queueChanged() {
    if (!changedTimer_.isActive()) changedTimer_.start();
}

void DesktopState::track(EffectWindow* w) {
    if (ids_.contains(w) || w->isDeleted()) return;
    const quint64 id = nextId_++;
    ids_.insert(w, id);
    windows_.insert(id, w);
    compat::watchWindow(this, w, [this] { queueChanged(); });
}

void DesktopState::onClosed(EffectWindow* w) {
    const quint64 id = ids_.take(w);
    if (id == 0) return;
    windows_.remove(id);
    const auto stack = effects->stackingOrder();
    quint64 successor = 0;
    for (int i = int(stack.indexOf(w)) + 1; i > 0 && i < stack.size() && !successor; ++i) {
        if (!stack[i]->isDeleted() && stack[i]->isVisible()) successor = ids_.value(stack[i]);
    }
    Q_EMIT windowClosing(id, successor);
    queueChanged();
}

}  // namespace quorvel::kwin
