#include "desktop_state.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "kwin_compat.h"
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
    const QList<KWin::EffectScreen*> screens = effects->screens();
    for (int i = 0; i < screens.size(); ++i) {
        QJsonObject m = rectObject(screens[i]->geometry());
        m.insert("index", i);
        m.insert("workArea", rectObject(compat::workArea(screens[i])));
        m.insert("primary", i == 0);  // KWin 5.27 names no primary; the first leads
        monitors.append(m);
    }
    return monitors;
}

QJsonObject windowJson(EffectWindow* w, quint64 id) {
    const QString wmClass = w->windowClass().section(QLatin1Char(' '), 1);
    QString app = compat::desktopFileName(w);
    if (!app.isEmpty() && !app.endsWith(QLatin1String(".desktop"))) app += ".desktop";
    QJsonObject o = rectObject(w->frameGeometry().toRect());
    o.insert("id", double(id));
    o.insert("app", orNull(app));
    o.insert("appName", orNull(wmClass));
    o.insert("pid", w->pid() > 0 ? QJsonValue(int(w->pid())) : QJsonValue());
    o.insert("wmClass", orNull(wmClass));
    o.insert("title", orNull(w->caption()));
    o.insert("monitor", int(effects->screens().indexOf(w->screen())));
    o.insert("type", windowTypeName(w));
    o.insert("layer", windowLayer(w));
    o.insert("minimized", w->isMinimized());
    o.insert("fullscreen", w->isFullScreen());
    o.insert("above", w->keepAbove());
    return o;
}

}  // namespace

DesktopState::DesktopState(QObject* parent) : QObject(parent) {
    changedTimer_.setSingleShot(true);
    changedTimer_.setInterval(0);
    connect(&changedTimer_, &QTimer::timeout, this, &DesktopState::changed);

    for (EffectWindow* w : effects->stackingOrder()) track(w);
    for (KWin::EffectScreen* screen : effects->screens()) watchScreen(screen);

    auto* e = effects;
    connect(e, &KWin::EffectsHandler::windowAdded, this, [this](EffectWindow* w) {
        track(w);
        queueChanged();
    });
    connect(e, &KWin::EffectsHandler::windowClosed, this, &DesktopState::onClosed);
    connect(e, &KWin::EffectsHandler::windowDeleted, this, &DesktopState::onDeleted);
    connect(e, &KWin::EffectsHandler::screenAdded, this, [this](KWin::EffectScreen* screen) {
        watchScreen(screen);
        queueChanged();
    });
    const auto queue = [this] { queueChanged(); };
    connect(e, &KWin::EffectsHandler::windowActivated, this, queue);
    connect(e, &KWin::EffectsHandler::windowMinimized, this, queue);
    connect(e, &KWin::EffectsHandler::windowUnminimized, this, queue);
    connect(e, &KWin::EffectsHandler::windowFrameGeometryChanged, this, queue);
    connect(e, &KWin::EffectsHandler::windowFullScreenChanged, this, queue);
    connect(e, &KWin::EffectsHandler::windowKeepAboveChanged, this, queue);
    connect(e, &KWin::EffectsHandler::stackingOrderChanged, this, queue);
    connect(e, qOverload<int, int, EffectWindow*>(&KWin::EffectsHandler::desktopChanged), this,
            queue);
    connect(e, &KWin::EffectsHandler::screenRemoved, this, queue);
    connect(e, &KWin::EffectsHandler::virtualScreenGeometryChanged, this, queue);
    connect(e, &KWin::EffectsHandler::activeFullScreenEffectChanged, this, queue);
    compat::watchCaptions(this, [this](EffectWindow*) { queueChanged(); });
}

QString DesktopState::json() const {
    QJsonArray windows;
    const QList<EffectWindow*> stack = effects->stackingOrder();
    for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
        EffectWindow* w = *it;
        const quint64 id = ids_.value(w);
        if (id == 0 || w->isDeleted()) continue;
        if (!w->isOnCurrentDesktop() && !w->isOnAllDesktops()) continue;
        windows.append(windowJson(w, id));
    }
    EffectWindow* active = effects->activeWindow();
    const quint64 focused = active ? ids_.value(active) : 0;
    const QJsonObject state{
        {"version", 1},
        {"shellVersion", compat::shellVersion()},
        {"session", compat::isWayland() ? "wayland" : "x11"},
        {"workspace", effects->currentDesktop() - 1},  // KWin counts from 1, Quorvel from 0
        {"overview", compat::overviewActive()},
        {"focused", focused ? QJsonValue(double(focused)) : QJsonValue()},
        {"monitors", monitorsJson()},
        {"windows", windows},
    };
    return QString::fromUtf8(QJsonDocument(state).toJson(QJsonDocument::Compact));
}

void DesktopState::queueChanged() {
    if (!changedTimer_.isActive()) changedTimer_.start();
}

void DesktopState::track(EffectWindow* w) {
    if (ids_.contains(w) || w->isDeleted()) return;
    const quint64 id = nextId_++;
    ids_.insert(w, id);
    windows_.insert(id, w);
}

void DesktopState::watchScreen(KWin::EffectScreen* screen) {
    connect(screen, &KWin::EffectScreen::geometryChanged, this, &DesktopState::queueChanged);
}

void DesktopState::onClosed(EffectWindow* w) {
    const QList<EffectWindow*> stack = effects->stackingOrder();
    EffectWindow* successor = nullptr;
    for (int i = stack.indexOf(w) + 1; i > 0 && i < stack.size() && !successor; ++i) {
        EffectWindow* above = stack[i];
        if (!above->isDeleted() && above->isVisible()) successor = above;
    }
    Q_EMIT windowClosing(w, successor);
    windows_.remove(ids_.take(w));
    queueChanged();
}

void DesktopState::onDeleted(EffectWindow* w) {
    windows_.remove(ids_.take(w));
    Q_EMIT windowGone(w);
}

}  // namespace quorvel::kwin
