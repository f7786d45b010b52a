#include "compositor_service.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <exception>
#include <type_traits>

#include "accelerator.h"
#include "access_guard.h"
#include "argument_checks.h"
#include "compositor1_adaptor.h"
#include "desktop_state.h"
#include "kwin_compat.h"
#include "screen_capture.h"
#include "shortcuts.h"
#include "veil.h"

namespace quorvel::kwin {
namespace {

const QString busName = QStringLiteral("io.github.quorvel.Compositor1");
const QString objectPath = QStringLiteral("/io/github/quorvel/Compositor1");
const QString errorPrefix = QStringLiteral("io.github.quorvel.Compositor1.Error.");
constexpr int maxVeilsPerMonitor = 2;
constexpr int maxGrabs = 3;

// The signals sent by hand below, named here so that renaming one in the
// interface's XML breaks the build.
[[maybe_unused]] constexpr auto changedSignal = &Compositor1Adaptor::Changed;
[[maybe_unused]] constexpr auto acceleratorSignal = &Compositor1Adaptor::AcceleratorActivated;

QString interfaceName() {
    const QMetaObject& meta = Compositor1Adaptor::staticMetaObject;
    return QString::fromLatin1(meta.classInfo(meta.indexOfClassInfo("D-Bus Interface")).value());
}

QList<QRect> monitors() {
    QList<QRect> rects;
    for (const auto* screen : KWin::effects->screens()) rects.append(compat::geometry(screen));
    return rects;
}

}  // namespace

CompositorService::CompositorService(Parts parts, QObject* parent)
    : QObject(parent),
      parts_(parts),
      access_(new AccessGuard(QDBusConnection::sessionBus(), !parts.testSession, this)) {
    new Compositor1Adaptor(this);
    connect(access_, &AccessGuard::ownerChanged, this,
            [this](const QString& previous) { dropOwner(previous); });
    parts_.state.setOwnerPid(access_->ownerPid());
    connect(&parts_.state, &DesktopState::changed, this, [this] { signalOwner("Changed"); });
    connect(&parts_.shortcuts, &Shortcuts::activated, this,
            [this](quint32 action) { signalOwner("AcceleratorActivated", {action}); });
}

CompositorService::~CompositorService() {
    if (!published_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(objectPath);
    bus.unregisterService(busName);
}

bool CompositorService::publish() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(objectPath, this)) return false;
    if (!bus.registerService(busName)) {
        bus.unregisterObject(objectPath);
        return false;
    }
    published_ = true;
    return true;
}

template <typename Body>
auto CompositorService::guard(Body body) {
    using Result = std::invoke_result_t<Body>;
    if (!access_->allows(message().service())) {
        fail("AccessDenied", QStringLiteral("only Quorvel may call this"));
        return Result();
    }
    try {
        return body();
    } catch (const std::exception& e) {
        fail("Failed", QString::fromUtf8(e.what()));
    } catch (...) {
        fail("Failed", QStringLiteral("an unknown error"));
    }
    return Result();
}

QString CompositorService::GetState() {
    return guard([this] { return parts_.state.json(); });
}

int CompositorService::GetPointer(int& y) {
    return guard([&y] {
        const QPoint p = compat::cursorPos();
        y = p.y();
        return p.x();
    });
}

uint CompositorService::CreateVeil(int x, int y, int width, int height) {
    return guard([&]() -> uint {
        const QList<QRect> all = monitors();
        const auto clipped = checks::clipFrame(x, y, width, height, all);
        if (const auto* bad = std::get_if<checks::Invalid>(&clipped)) {
            fail("InvalidArgs", bad->message);
            return 0;
        }
        const QRect frame = std::get<QRect>(clipped);
        const QString caller = message().service();
        for (const QRect& monitor : checks::monitorsUnder(frame, all)) {
            if (parts_.veils.countOn(caller, monitor) >= maxVeilsPerMonitor) {
                fail("LimitReached",
                     QStringLiteral("%1 veils on a monitor already").arg(maxVeilsPerMonitor));
                return 0;
            }
        }
        return parts_.veils.create(caller, frame).id;
    });
}

void CompositorService::SetVeilFrame(uint veil, int x, int y, int width, int height) {
    guard([&] {
        Veil* v = callerVeil(veil);
        if (!v) return;
        const QList<QRect> all = monitors();
        const auto clipped = checks::clipFrame(x, y, width, height, all);
        if (const auto* bad = std::get_if<checks::Invalid>(&clipped)) {
            fail("InvalidArgs", bad->message);
            return;
        }
        const QRect frame = std::get<QRect>(clipped);
        for (const QRect& monitor : checks::monitorsUnder(frame, all)) {
            if (parts_.veils.countOn(v->owner, monitor, v->id) >= maxVeilsPerMonitor) {
                fail("LimitReached",
                     QStringLiteral("%1 veils on that monitor already").arg(maxVeilsPerMonitor));
                return;
            }
        }
        v->frame = frame;
        Q_EMIT veilsChanged();
    });
}

bool CompositorService::PlaceVeil(uint veil, const QString& how, qulonglong window) {
    return guard([&] {
        const auto parsed = checks::parseHow(how);
        if (const auto* bad = std::get_if<checks::Invalid>(&parsed)) {
            fail("InvalidArgs", bad->message);
            return false;
        }
        Veil* v = callerVeil(veil);
        if (!v) return false;
        switch (std::get<checks::How>(parsed)) {
            case checks::How::Below:
                if (!parts_.state.window(window)) return false;
                v->placement = Placement::Below;
                v->below = window;
                break;
            case checks::How::Covering:
                v->placement = Placement::Covering;
                v->below = 0;
                break;
            case checks::How::Hidden:
                v->placement = Placement::Hidden;
                v->below = 0;
                break;
        }
        Q_EMIT veilsChanged();
        return true;
    });
}

void CompositorService::FadeVeil(uint veil, double opacity, double seconds) {
    guard([&] {
        if (const auto bad = checks::checkFade(opacity, seconds)) {
            fail("InvalidArgs", bad->message);
            return;
        }
        if (Veil* v = callerVeil(veil)) {
            v->fade.start(opacity, seconds, Clock::now());
            Q_EMIT veilsChanged();
        }
    });
}

void CompositorService::SetVeilLook(uint veil, int width, int height, const QByteArray& pixels,
                                    const QByteArray& mask, double blur) {
    guard([&] {
        Veil* v = callerVeil(veil);
        if (!v) return;
        if (const auto bad = checks::checkLook(width, height, pixels.size(), mask.size(), blur,
                                               v->frame.height())) {
            fail("InvalidArgs", bad->message);
            return;
        }
        VeilLook look;
        // ARGB32 is B, G, R, A in memory on the little-endian machines KWin runs on.
        look.tint = QImage(reinterpret_cast<const uchar*>(pixels.constData()), width, height,
                           width * 4, QImage::Format_ARGB32_Premultiplied)
                        .copy();
        look.mask = mask;
        look.blur = blur;
        parts_.veils.setLook(*v, std::move(look));
        Q_EMIT veilsChanged();
    });
}

void CompositorService::DestroyVeil(uint veil) {
    guard([&] {
        if (!callerVeil(veil)) return;
        parts_.veils.destroy(veil);
        Q_EMIT veilsChanged();
    });
}

uint CompositorService::GrabAccelerator(const QString& accelerator) {
    return guard([&]() -> uint {
        const Accelerator parsed = parseGtkAccelerator(accelerator);
        if (!parsed.mayBeGlobal()) {
            fail("InvalidArgs",
                 QStringLiteral("accelerator: \"%1\" is no key with Control, Alt or Super, nor an "
                                "F-key")
                     .arg(accelerator.left(64)));
            return 0;
        }
        const QString caller = message().service();
        if (parts_.shortcuts.count(caller) >= maxGrabs) {
            fail("LimitReached", QStringLiteral("%1 shortcuts held already").arg(maxGrabs));
            return 0;
        }
        return parts_.shortcuts.grab(caller, parsed, accelerator);
    });
}

void CompositorService::UngrabAccelerator(uint action) {
    guard([&] {
        if (!parts_.shortcuts.ungrab(message().service(), action))
            fail("NoSuchAction", QStringLiteral("no shortcut %1 of this caller").arg(action));
    });
}

bool CompositorService::ActivateWindow(qulonglong window) {
    return guard([&] {
        KWin::EffectWindow* w = parts_.state.window(window);
        if (!w) return false;
        KWin::effects->activateWindow(w);
        return true;
    });
}

void CompositorService::ShowTrayItem(const QString&, const QString&) {
    guard([this] { fail("NotSupported", QStringLiteral("Plasma shows Quorvel's tray icon")); });
}

void CompositorService::HideTrayItem() {
    guard([this] { fail("NotSupported", QStringLiteral("Plasma shows Quorvel's tray icon")); });
}

void CompositorService::OpenTrayMenu(const QString&) {
    guard([this] { fail("NotSupported", QStringLiteral("Plasma shows Quorvel's tray icon")); });
}

void CompositorService::SetTopBarHidden(bool) {
    guard([this] {
        fail("NotSupported", QStringLiteral("Plasma's panels hide through Plasma's settings"));
    });
}

bool CompositorService::Screenshot(const QString& path) {
    return guard([&] {
        if (!parts_.testSession) {
            fail("NotSupported", QStringLiteral("only in test sessions"));
            return false;
        }
        if (!QDir::isAbsolutePath(path) || !path.endsWith(QLatin1String(".png"))) {
            fail("InvalidArgs", QStringLiteral("path: not absolute or not ending in .png"));
            return false;
        }
        setDelayedReply(true);
        const QDBusMessage call = message();
        parts_.capture.request(path, [call](bool written) {
            QDBusConnection::sessionBus().send(call.createReply(written));
        });
        return false;
    });
}

Veil* CompositorService::callerVeil(uint id) {
    Veil* veil = parts_.veils.find(id, message().service());
    if (!veil) fail("NoSuchVeil", QStringLiteral("veil: no veil %1 of this caller").arg(id));
    return veil;
}

void CompositorService::fail(const char* error, const QString& text) {
    sendErrorReply(errorPrefix + QLatin1String(error), text);
}

void CompositorService::signalOwner(const char* name, const QVariantList& arguments) {
    const QString owner = access_->owner();
    if (owner.isEmpty()) return;
    QDBusMessage signal =
        QDBusMessage::createTargetedSignal(owner, objectPath, interfaceName(), QLatin1String(name));
    signal.setArguments(arguments);
    QDBusConnection::sessionBus().send(signal);
}

void CompositorService::dropOwner(const QString& owner) {
    parts_.state.setOwnerPid(access_->ownerPid());
    if (owner.isEmpty()) return;
    parts_.shortcuts.dropOwner(owner);
    if (parts_.veils.dropOwner(owner)) Q_EMIT veilsChanged();
}

}  // namespace quorvel::kwin
