// The shell side of Quorvel: reports the desktop and carries out Quorvel's
// requests on the session bus (io.github.quorvel.Shell1.xml). It decides
// nothing itself; every rule about what to veil lives in Quorvel.
//
// Written for GNOME Shell 43. Later versions need changes that are not made
// here because nothing newer is tested:
//  - 45 and later load extensions as ES modules: `import` from
//    'gi://Clutter' and 'resource:///org/gnome/shell/ui/main.js' instead of
//    imports.*, and `export default class extends Extension` instead of init().
//  - 45 and later: Clutter.Image.set_data() takes the Cogl context first:
//    set_data(global.stage.context.get_backend().get_cogl_context(), ...).
//  - 46 and later: Shell.BlurEffect's `sigma` is called `radius` (same
//    meaning for our use).

/* exported init */

const {Clutter, Cogl, Gio, GLib, Meta, Shell} = imports.gi;
const ByteArray = imports.byteArray;
const Config = imports.misc.config;
const ExtensionUtils = imports.misc.extensionUtils;
const Main = imports.ui.main;

const BUS_NAME = 'io.github.quorvel.Shell1';
const OBJECT_PATH = '/io/github/quorvel/Shell1';
const ERROR_PREFIX = 'io.github.quorvel.Shell1.Error';
const INTERFACE_VERSION = 1;

// Rows whose blur strength differs by less than one of these steps share a
// strip: each strip costs a blur pass, and 1/16 steps do not show.
const MASK_LEVELS = 16;

const WINDOW_SIGNALS = [
    'position-changed', 'size-changed', 'notify::title', 'notify::minimized',
    'notify::fullscreen',
];

const windowTypeNames = new Map(
    Object.entries(Meta.WindowType).map(([name, value]) => [value, name.toLowerCase()]));

class ShellError extends Error {
    constructor(name, message) {
        super(message);
        this.dbusName = `${ERROR_PREFIX}.${name}`;
    }
}

// Shell.BlurEffect in BACKGROUND mode paints its blur fully opaque whatever
// the actor's paint opacity (shell-blur-effect.c blurs the background with a
// fixed opacity of 255), so neither a strip's opacity nor the veil's can fade
// it. The mask therefore scales the blur's strength instead: a row at mask m
// is blurred with sigma * m / 255, and the veil's own opacity scales it the
// same way while it fades. A row at 0 is left untouched.
//
// Consecutive rows of `mask` with the same blur sigma, as strips of
// {y, height, sigma}; rows that get no blur get no strip.
function maskStrips(mask, rows, sigma) {
    const strips = [];
    let start = 0;
    let current = -1;
    for (let row = 0; row <= rows; row++) {
        let rowSigma = -1;
        if (row < rows) {
            const value = row < mask.length ? mask[row] : 0;
            const level = Math.round(value * (MASK_LEVELS - 1) / 255);
            rowSigma = Math.round(sigma * level / (MASK_LEVELS - 1));
        }
        if (rowSigma === current)
            continue;
        if (current > 0)
            strips.push({y: start, height: row - start, sigma: current});
        start = row;
        current = rowSigma;
    }
    return strips;
}

class Veil {
    constructor(id, owner, x, y, width, height) {
        this.id = id;
        this.owner = owner;
        this.how = 'none';
        this.windowId = 0;
        this._look = null;
        this.actor = new Clutter.Actor({
            name: `quorvel-veil-${id}`,
            reactive: false,
            visible: false,
            opacity: 0,
        });
        this._frost = new Clutter.Actor({reactive: false});
        this._tint = new Clutter.Actor({reactive: false});
        this._blurs = [];
        this.actor.add_child(this._frost);
        this.actor.add_child(this._tint);
        this.actor.connect('notify::opacity', () => this._syncBlurs());
        global.window_group.add_child(this.actor);
        this.setFrame(x, y, width, height);
    }

    setFrame(x, y, width, height) {
        this.actor.set_position(x, y);
        this.actor.set_size(Math.max(0, width), Math.max(0, height));
        this._build();
    }

    setLook(width, height, pixels, mask, sigma) {
        if (width < 0 || height < 0 || pixels.length !== width * height * 4) {
            throw new ShellError('InvalidArgs',
                `${pixels.length} bytes of pixels for a ${width}x${height} image`);
        }
        let image = null;
        if (width > 0 && height > 0) {
            image = new Clutter.Image();
            image.set_data(pixels, Cogl.PixelFormat.BGRA_8888_PRE, width, height, width * 4);
        }
        this._look = {width, height, image, mask: Uint8Array.from(mask), sigma: Math.max(0, sigma)};
        this._build();
    }

    _build() {
        const [width, height] = this.actor.get_size();
        this._frost.destroy_all_children();
        this._blurs = [];
        this._frost.set_size(width, height);
        const look = this._look;
        if (!look) {
            this._tint.hide();
            return;
        }

        if (look.sigma > 0) {
            // A BACKGROUND blur only sees what lies under its own actor, so
            // each strip's blur reaches 3 sigma beyond the strip and is
            // clipped back to it: the blur near a strip's edge is then made
            // of the real neighbourhood, and strips meet without seams.
            for (const strip of maskStrips(look.mask, height, look.sigma)) {
                const pad = Math.ceil(3 * strip.sigma);
                const clip = new Clutter.Actor({
                    reactive: false,
                    clip_to_allocation: true,
                    x: 0,
                    y: strip.y,
                    width,
                    height: strip.height,
                });
                const blur = new Clutter.Actor({
                    reactive: false,
                    x: 0,
                    y: -pad,
                    width,
                    height: strip.height + 2 * pad,
                });
                const effect = new Shell.BlurEffect({
                    mode: Shell.BlurMode.BACKGROUND,
                    sigma: strip.sigma,
                    brightness: 1.0,
                });
                blur.add_effect(effect);
                clip.add_child(blur);
                this._frost.add_child(clip);
                this._blurs.push({effect, sigma: strip.sigma});
            }
        }
        this._syncBlurs();

        if (look.image) {
            // RESIZE_FILL with X repeat tiles the texture once per image
            // width across the actor; the actor is exactly as tall as the
            // image, so nothing is scaled and pixels land 1:1.
            this._tint.content = look.image;
            this._tint.content_gravity = Clutter.ContentGravity.RESIZE_FILL;
            this._tint.set_position(0, 0);
            this._tint.set_size(width, look.height);
            this._tint.set_content_repeat(Clutter.ContentRepeat.X_AXIS);
            this._tint.set_content_scaling_filters(
                Clutter.ScalingFilter.NEAREST, Clutter.ScalingFilter.NEAREST);
            this._tint.show();
        } else {
            this._tint.hide();
        }
    }

    _syncBlurs() {
        const opacity = this.actor.opacity;
        for (const {effect, sigma} of this._blurs) {
            const faded = Math.round(sigma * opacity / 255);
            if (effect.sigma !== faded)
                effect.sigma = faded;
            effect.enabled = faded > 0;
        }
    }

    // Puts the veil where `how` says; false (and nothing changed) when the
    // window it should go below has no actor in the window group.
    place(how, windowId, findWindow) {
        if (how === 'below') {
            const window = findWindow(windowId);
            const windowActor = window?.get_compositor_private();
            if (!windowActor || windowActor.get_parent() !== global.window_group)
                return false;
            global.window_group.set_child_below_sibling(this.actor, windowActor);
            this.actor.show();
        } else if (how === 'covering') {
            global.window_group.set_child_above_sibling(this.actor, null);
            this.actor.show();
        } else if (how === 'none') {
            this.actor.hide();
        } else {
            throw new ShellError('InvalidArgs', `no placement "${how}"`);
        }
        this.how = how;
        this.windowId = how === 'below' ? windowId : 0;
        return true;
    }

    fade(opacity, seconds) {
        const target = Math.round(Math.min(1, Math.max(0, opacity)) * 255);
        this.actor.remove_all_transitions();
        if (seconds > 0) {
            this.actor.ease({
                opacity: target,
                duration: Math.round(seconds * 1000),
                mode: Clutter.AnimationMode.EASE_OUT_QUAD,
            });
        } else {
            this.actor.opacity = target;
        }
    }

    destroy() {
        this.actor.remove_all_transitions();
        this.actor.destroy();
    }
}

class QuorvelService {
    constructor(xml, emit) {
        this._emit = emit;
        this._veils = new Map();
        this._nextVeil = 1;
        this._owners = new Map(); // unique bus name -> {watch, veils, actions}
        this._actions = new Map(); // action -> owner's unique bus name
        this.Version = INTERFACE_VERSION;

        // Every method is dispatched in its *Async form: the handlers need
        // the caller, and errors carry our own names.
        const info = Gio.DBusInterfaceInfo.new_for_xml(xml);
        for (const method of info.methods) {
            const outSignature = method.out_args.map(a => a.signature).join('');
            const handler = this[`_${method.name}`];
            const outCount = method.out_args.length;
            this[`${method.name}Async`] = (params, invocation) =>
                this._dispatch(handler, outSignature, outCount, params, invocation);
        }
    }

    async _dispatch(handler, outSignature, outCount, params, invocation) {
        try {
            const result = await handler.call(this, invocation.get_sender(), ...params);
            invocation.return_value(outSignature
                ? new GLib.Variant(`(${outSignature})`, outCount === 1 ? [result] : result)
                : null);
        } catch (e) {
            if (e instanceof ShellError) {
                invocation.return_dbus_error(e.dbusName, e.message);
            } else {
                logError(e, 'Quorvel');
                invocation.return_dbus_error(`${ERROR_PREFIX}.Failed`, String(e));
            }
        }
    }

    _GetState() {
        const display = global.display;
        const workspaceManager = global.workspace_manager;
        const workspace = workspaceManager.get_active_workspace();
        const layout = Main.layoutManager;
        const tracker = Shell.WindowTracker.get_default();

        const monitors = layout.monitors.map(m => {
            const area = workspace.get_work_area_for_monitor(m.index);
            return {
                index: m.index, x: m.x, y: m.y, width: m.width, height: m.height,
                workArea: {x: area.x, y: area.y, width: area.width, height: area.height},
                primary: m.index === layout.primaryIndex,
            };
        });

        // The veils are plain actors, not MetaWindows, so they never appear
        // in the display's window list.
        const listed = display.list_all_windows().filter(w =>
            !w.is_override_redirect() &&
            (w.is_on_all_workspaces() || w.get_workspace() === workspace));
        const windows = display.sort_windows_by_stacking(listed).reverse().map(w => {
            const app = tracker.get_window_app(w);
            const appId = app?.get_id() ?? null;
            const ownApp = appId !== null && !appId.startsWith('window:');
            const frame = w.get_frame_rect();
            const pid = w.get_pid();
            const wmClass = w.get_wm_class() ?? null;
            return {
                id: w.get_id(),
                app: ownApp ? appId : null,
                appName: ownApp ? app.get_name() : wmClass,
                pid: pid > 0 ? pid : null,
                wmClass,
                title: w.get_title() ?? null,
                x: frame.x, y: frame.y, width: frame.width, height: frame.height,
                monitor: w.get_monitor(),
                type: windowTypeNames.get(w.get_window_type()) ?? 'normal',
                layer: w.get_layer(),
                minimized: w.minimized,
                fullscreen: w.is_fullscreen(),
                above: w.is_above(),
            };
        });

        return JSON.stringify({
            version: INTERFACE_VERSION,
            shellVersion: Config.PACKAGE_VERSION,
            session: Meta.is_wayland_compositor() ? 'wayland' : 'x11',
            workspace: workspaceManager.get_active_workspace_index(),
            overview: Main.overview.visible,
            focused: display.focus_window?.get_id() ?? null,
            monitors,
            windows,
        });
    }

    _GetPointer() {
        const [x, y] = global.get_pointer();
        return [x, y];
    }

    _CreateVeil(sender, x, y, width, height) {
        const id = this._nextVeil++;
        const veil = new Veil(id, sender, x, y, width, height);
        this._veils.set(id, veil);
        this._owner(sender).veils.add(id);
        return id;
    }

    _SetVeilFrame(sender, id, x, y, width, height) {
        this._veil(sender, id).setFrame(x, y, width, height);
    }

    _PlaceVeil(sender, id, how, windowId) {
        return this._veil(sender, id).place(how, windowId, w => this._findWindow(w));
    }

    _FadeVeil(sender, id, opacity, seconds) {
        this._veil(sender, id).fade(opacity, seconds);
    }

    _SetVeilLook(sender, id, width, height, pixels, mask, sigma) {
        this._veil(sender, id).setLook(width, height, pixels, mask, sigma);
    }

    _DestroyVeil(sender, id) {
        this._veil(sender, id).destroy();
        this._veils.delete(id);
        this._owners.get(sender)?.veils.delete(id);
    }

    _GrabAccelerator(sender, accelerator) {
        const action = global.display.grab_accelerator(accelerator, Meta.KeyBindingFlags.NONE);
        if (action === Meta.KeyBindingAction.NONE)
            return 0;
        Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action), Shell.ActionMode.ALL);
        this._actions.set(action, sender);
        this._owner(sender).actions.add(action);
        return action;
    }

    _UngrabAccelerator(sender, action) {
        if (this._actions.get(action) !== sender)
            throw new ShellError('NoSuchAction', `no shortcut ${action} of this caller`);
        this._ungrab(action);
        this._owners.get(sender)?.actions.delete(action);
    }

    _Screenshot(_sender, path) {
        if (GLib.getenv('QUORVEL_SHELL_TEST') !== '1')
            return false;
        const stream = Gio.File.new_for_path(path).replace(
            null, false, Gio.FileCreateFlags.REPLACE_DESTINATION, null);
        return new Promise((resolve, reject) => {
            new Shell.Screenshot().screenshot(false, stream, (shooter, result) => {
                try {
                    shooter.screenshot_finish(result);
                    stream.close(null);
                    resolve(true);
                } catch (e) {
                    reject(e);
                }
            });
        });
    }

    acceleratorActivated(action) {
        if (this._actions.has(action))
            this._emit('AcceleratorActivated', new GLib.Variant('(u)', [action]));
    }

    // Veils go below their window again after mutter restacked the window
    // actors (which lifts every other actor of the group above all windows),
    // and covering veils go back on top of windows mapped since.
    replaceVeils() {
        for (const veil of this._veils.values()) {
            if (veil.how !== 'none')
                veil.place(veil.how, veil.windowId, w => this._findWindow(w));
        }
    }

    destroy() {
        for (const name of [...this._owners.keys()])
            this._dropOwner(name);
    }

    _findWindow(id) {
        return global.display.list_all_windows().find(w => w.get_id() === id) ?? null;
    }

    _veil(sender, id) {
        const veil = this._veils.get(id);
        if (!veil || veil.owner !== sender)
            throw new ShellError('NoSuchVeil', `no veil ${id} of this caller`);
        return veil;
    }

    _owner(sender) {
        let owner = this._owners.get(sender);
        if (!owner) {
            owner = {veils: new Set(), actions: new Set(), watch: 0};
            this._owners.set(sender, owner);
            // A caller that crashes or disconnects must not leave the screen
            // veiled or its shortcuts taken.
            owner.watch = Gio.bus_watch_name_on_connection(Gio.DBus.session, sender,
                Gio.BusNameWatcherFlags.NONE, null, () => this._dropOwner(sender));
        }
        return owner;
    }

    _dropOwner(sender) {
        const owner = this._owners.get(sender);
        if (!owner)
            return;
        this._owners.delete(sender);
        Gio.bus_unwatch_name(owner.watch);
        for (const id of owner.veils) {
            this._veils.get(id)?.destroy();
            this._veils.delete(id);
        }
        for (const action of owner.actions)
            this._ungrab(action);
    }

    _ungrab(action) {
        global.display.ungrab_accelerator(action);
        Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action), Shell.ActionMode.NONE);
        this._actions.delete(action);
    }
}

class Extension {
    enable() {
        const dir = ExtensionUtils.getCurrentExtension().dir;
        const [, bytes] = dir.get_child(`${BUS_NAME}.xml`).load_contents(null);
        const xml = ByteArray.toString(bytes);

        this._signals = [];
        this._windowSignals = new Map();
        this._changedSource = 0;

        this._service = new QuorvelService(xml,
            (name, params) => this._exported.emit_signal(name, params));
        this._exported = Gio.DBusExportedObject.wrapJSObject(xml, this._service);
        this._exported.export(Gio.DBus.session, OBJECT_PATH);
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null);

        const display = global.display;
        this._connect(display, 'restacked', () => {
            this._service.replaceVeils();
            this._queueChanged();
        });
        this._connect(display, 'notify::focus-window', () => this._queueChanged());
        this._connect(display, 'window-created', (_display, window) => {
            this._watchWindow(window);
            this._queueChanged();
        });
        this._connect(display, 'accelerator-activated',
            (_display, action) => this._service.acceleratorActivated(action));
        this._connect(global.workspace_manager, 'active-workspace-changed',
            () => this._queueChanged());
        this._connect(Main.overview, 'showing', () => this._queueChanged());
        this._connect(Main.overview, 'hidden', () => this._queueChanged());
        this._connect(Main.layoutManager, 'monitors-changed', () => this._queueChanged());
        for (const window of display.list_all_windows())
            this._watchWindow(window);
    }

    disable() {
        this._exported.unexport();
        this._exported = null;
        Gio.bus_unown_name(this._nameId);
        this._nameId = 0;
        this._service.destroy();
        this._service = null;
        for (const [object, id] of this._signals)
            object.disconnect(id);
        this._signals = [];
        for (const window of [...this._windowSignals.keys()])
            this._unwatchWindow(window);
        if (this._changedSource) {
            GLib.source_remove(this._changedSource);
            this._changedSource = 0;
        }
    }

    _connect(object, signal, callback) {
        this._signals.push([object, object.connect(signal, callback)]);
    }

    _watchWindow(window) {
        if (this._windowSignals.has(window))
            return;
        const ids = WINDOW_SIGNALS.map(s => window.connect(s, () => this._queueChanged()));
        ids.push(window.connect('unmanaged', () => {
            this._unwatchWindow(window);
            this._queueChanged();
        }));
        // A window's actor can be replaced while the window lives; a veil
        // meant to be below it must follow the new actor.
        ids.push(window.connect('shown', () => this._service.replaceVeils()));
        this._windowSignals.set(window, ids);
    }

    _unwatchWindow(window) {
        for (const id of this._windowSignals.get(window) ?? [])
            window.disconnect(id);
        this._windowSignals.delete(window);
    }

    // One Changed per burst: a restack alone moves many windows.
    _queueChanged() {
        if (this._changedSource)
            return;
        this._changedSource = GLib.idle_add(GLib.PRIORITY_DEFAULT, () => {
            this._changedSource = 0;
            this._exported?.emit_signal('Changed', null);
            return GLib.SOURCE_REMOVE;
        });
    }
}

function init() {
    return new Extension();
}
