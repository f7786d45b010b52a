// io.github.quorvel.Compositor1: what the shell knows, reported to Quorvel,
// and Quorvel's requests carried out. The interface's XML is the contract;
// every rule about what to veil lives in Quorvel.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import Shell from 'gi://Shell';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import {CHILD_ADDED, CHILD_REMOVED, SHELL_VERSION, sessionType} from './compat.js';
import {ICONS, TopBar, TrayItem, checkMenu} from './topbar.js';
import {NoCull, Veil, intersect} from './veil.js';

export const BUS_NAME = 'io.github.quorvel.Compositor1';
const OBJECT_PATH = '/io/github/quorvel/Compositor1';
const INTERFACE = 'io.github.quorvel.Compositor1';
const QUORVEL_NAME = 'io.github.quorvel.Quorvel1';
const STATE_VERSION = 2;
const NO_CULL = 'quorvel-no-cull';

const WINDOW_SIGNALS = [
    'position-changed', 'size-changed', 'notify::minimized', 'notify::fullscreen',
    'notify::above', 'workspace-changed',
];

const TYPE_NAMES = new Map([
    ['NORMAL', 'normal'], ['DIALOG', 'dialog'], ['MODAL_DIALOG', 'dialog'],
    ['UTILITY', 'utility'], ['TOOLBAR', 'toolbar'], ['MENU', 'menu'],
    ['DROPDOWN_MENU', 'menu'], ['POPUP_MENU', 'menu'], ['COMBO', 'menu'],
    ['SPLASHSCREEN', 'splash'], ['DOCK', 'dock'], ['DESKTOP', 'desktop'],
    ['NOTIFICATION', 'notification'],
].map(([name, type]) => [Meta.WindowType[name], type]));

const F_KEY = /^F([1-9]|1[0-9]|2[0-4])$/;
const MODIFIERS = new Map([
    ['control', 'control'], ['ctrl', 'control'], ['primary', 'control'],
    ['alt', 'alt'], ['mod1', 'alt'], ['super', 'super'], ['mod4', 'super'],
    ['shift', 'shift'],
]);

class CompositorError extends Error {
    constructor(name, message) {
        super(message);
        this.dbusName = `${INTERFACE}.Error.${name}`;
    }
}

function invalid(argument, why) {
    return new CompositorError('InvalidArgs', `${argument}: ${why}`);
}

function finiteIn(value, low, high, argument) {
    if (!Number.isFinite(value) || value < low || value > high)
        throw invalid(argument, `${value} is not within ${low}..${high}`);
}

// Throws unless `accelerator` is GTK accelerator syntax holding Control,
// Alt or Super, or is an F-key.
export function checkAccelerator(accelerator) {
    const match = /^((?:<[A-Za-z0-9]+>)*)([A-Za-z0-9_]{1,32})$/.exec(accelerator);
    if (!match)
        throw invalid('accelerator', 'not an accelerator');
    const held = new Set();
    for (const [, name] of match[1].matchAll(/<([A-Za-z0-9]+)>/g)) {
        const modifier = MODIFIERS.get(name.toLowerCase());
        if (!modifier)
            throw invalid('accelerator', `no modifier <${name}>`);
        held.add(modifier);
    }
    if (!held.has('control') && !held.has('alt') && !held.has('super') && !F_KEY.test(match[2]))
        throw invalid('accelerator', 'needs Control, Alt or Super, or an F-key');
}

function dbusCall(connection, method, args, replyType) {
    return new Promise((resolve, reject) => {
        connection.call('org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus',
            method, args, new GLib.VariantType(replyType), Gio.DBusCallFlags.NONE, 5000, null,
            (c, result) => {
                try {
                    resolve(c.call_finish(result).deep_unpack());
                } catch (e) {
                    reject(e);
                }
            });
    });
}

export class Service {
    constructor(dir) {
        this._dir = dir;
        this._testMode = GLib.getenv('QUORVEL_COMPOSITOR_TEST') === '1';
        this._connection = Gio.DBus.session;
        this._owner = null;
        this._ownerPid = Promise.resolve(null);
        this._veils = new Map();
        this._nextVeil = 1;
        this._actions = new Set();
        this._noCull = new Map(); // window actor -> its destroy handler
        this._signals = [];
        this._windowSignals = new Map();
        this._changedSource = 0;
        this._switching = false;
        this._tray = new TrayItem(dir, {
            clicked: (button, modifiers) => this._emit('TrayItemClicked', '(su)', [button, modifiers]),
            activated: (action, tag) => this._emit('TrayMenuItemActivated', '(si)', [action, tag]),
            changed: () => this._queueChanged(),
        });
        this._topBar = new TopBar();

        const [, bytes] = dir.get_child(`${INTERFACE}.xml`).load_contents(null);
        const xml = new TextDecoder().decode(bytes);
        // Every method runs in its *Async form: the access check needs the
        // caller, and errors carry the interface's names.
        for (const method of Gio.DBusInterfaceInfo.new_for_xml(xml).methods) {
            const signature = method.out_args.map(a => a.signature).join('');
            const single = method.out_args.length === 1;
            this[`${method.name}Async`] = (params, invocation) =>
                this._dispatch(method.name, signature, single, params, invocation);
        }
        this._exported = Gio.DBusExportedObject.wrapJSObject(xml, this);
        this._exported.export(this._connection, OBJECT_PATH);
        this._nameId = Gio.bus_own_name_on_connection(this._connection, BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null);
        this._watchOwner();
        this._watchShell();
    }

    destroy() {
        this._connection.signal_unsubscribe(this._ownerSubscription);
        this._setOwner(null);
        this._exported.unexport();
        Gio.bus_unown_name(this._nameId);
        for (const [object, id] of this._signals)
            object.disconnect(id);
        for (const window of [...this._windowSignals.keys()])
            this._unwatchWindow(window);
        if (this._changedSource)
            GLib.source_remove(this._changedSource);
        this._changedSource = 0;
    }

    // The bus delivers NameOwnerChanged before any call the new owner makes
    // afterwards, so the owner kept here is the one the bus had when each
    // call was sent, and whatever an owner made goes the moment it stops
    // being the owner.
    _watchOwner() {
        let told = false;
        this._ownerSubscription = this._connection.signal_subscribe('org.freedesktop.DBus',
            'org.freedesktop.DBus', 'NameOwnerChanged', '/org/freedesktop/DBus', QUORVEL_NAME,
            Gio.DBusSignalFlags.NONE, (c, sender, path, iface, signal, params) => {
                told = true;
                this._setOwner(params.deep_unpack()[2] || null);
            });
        dbusCall(this._connection, 'GetNameOwner', new GLib.Variant('(s)', [QUORVEL_NAME]), '(s)')
            .then(([owner]) => {
                if (!told)
                    this._setOwner(owner);
            })
            .catch(() => {});
    }

    _setOwner(owner) {
        if (owner === this._owner)
            return;
        for (const veil of this._veils.values())
            veil.destroy();
        this._veils.clear();
        for (const action of this._actions)
            this._ungrab(action);
        this._actions.clear();
        this._tray.hide();
        this._topBar.setHidden(false);
        this._syncNoCull();
        this._owner = owner;
        // A unique name keeps its process for life: asked once.
        this._ownerPid = owner
            ? dbusCall(this._connection, 'GetConnectionUnixProcessID', new GLib.Variant('(s)', [owner]), '(u)')
                .then(([pid]) => pid).catch(() => null)
            : Promise.resolve(null);
        this._queueChanged();
    }

    async _allowed(sender) {
        if (!sender || sender !== this._owner)
            return false;
        if (this._testMode)
            return true;
        const pid = await this._ownerPid;
        if (sender !== this._owner)
            return false;
        if (pid === null)
            return true; // the bus cannot tell the process (the interface allows it)
        try {
            const exe = GLib.file_read_link(`/proc/${pid}/exe`).replace(/ \(deleted\)$/, '');
            return GLib.path_get_basename(exe) === 'quorvel';
        } catch (e) {
            return false;
        }
    }

    async _dispatch(name, signature, single, params, invocation) {
        try {
            const sender = invocation.get_sender();
            if (!await this._allowed(sender))
                throw new CompositorError('AccessDenied', `${sender} is not Quorvel`);
            const result = await this[`_${name}`](...params);
            invocation.return_value(signature
                ? new GLib.Variant(`(${signature})`, single ? [result] : result) : null);
        } catch (e) {
            if (e instanceof CompositorError) {
                invocation.return_dbus_error(e.dbusName, e.message);
            } else {
                logError(e, `Quorvel: ${name}`);
                invocation.return_dbus_error(`${INTERFACE}.Error.Failed`, String(e));
            }
        }
    }

    _emit(signal, signature, args) {
        if (!this._owner)
            return;
        this._connection.emit_signal(this._owner, OBJECT_PATH, INTERFACE, signal,
            signature ? new GLib.Variant(signature, args) : null);
    }

    // --- the desktop -----------------------------------------------------

    async _GetState() {
        const ownerPid = await this._ownerPid;
        const layout = Main.layoutManager;
        const workspaceManager = global.workspace_manager;
        const workspace = workspaceManager.get_active_workspace();
        const tracker = Shell.WindowTracker.get_default();
        const monitors = layout.monitors.map(m => {
            const area = workspace.get_work_area_for_monitor(m.index);
            return {
                index: m.index, x: m.x, y: m.y, width: m.width, height: m.height,
                workArea: {x: area.x, y: area.y, width: area.width, height: area.height},
                primary: m.index === layout.primaryIndex,
            };
        });
        const windows = this._listWindows().map(w => {
            const app = tracker.get_window_app(w);
            const known = app && !app.get_id().startsWith('window:');
            const frame = w.get_frame_rect();
            return {
                id: w.get_id(),
                app: known ? app.get_id() : null,
                appName: known ? app.get_name() : null,
                x: frame.x, y: frame.y, width: frame.width, height: frame.height,
                monitor: w.get_monitor(),
                type: TYPE_NAMES.get(w.get_window_type()) ?? 'other',
                fullscreen: w.is_fullscreen(),
                above: w.is_above(),
                own: ownerPid !== null && w.get_pid() === ownerPid,
            };
        });
        const focus = global.display.focus_window;
        return JSON.stringify({
            version: STATE_VERSION,
            compositor: 'GNOME Shell',
            compositorVersion: SHELL_VERSION,
            session: sessionType(),
            frost: true,
            monitors,
            windows,
            active: focus ? focus.get_id() : null,
            workspace: {index: workspace.index(), switching: this._workspaceSwitching()},
            overview: Main.overview.visible,
            trayItem: this._tray.frame,
        });
    }

    // Front to back: managed windows showing on the active workspace.
    _listWindows() {
        const workspace = global.workspace_manager.get_active_workspace();
        const listed = global.display.list_all_windows().filter(w =>
            !w.is_override_redirect() && !w.minimized && w.showing_on_its_workspace() &&
            (w.is_on_all_workspaces() || w.get_workspace() === workspace));
        return global.display.sort_windows_by_stacking(listed).reverse();
    }

    // The shell keeps a switch's state from its start (a key, or the first
    // move of a swipe) until its animation ends (workspaceAnimation.js, the
    // same in 43 to 50); nothing public tells.
    _workspaceSwitching() {
        return Boolean(Main.wm._workspaceAnimation?._switchData);
    }

    _GetPointer() {
        const [x, y] = global.get_pointer();
        return [x, y];
    }

    // --- veils -----------------------------------------------------------

    // The part of a frame on the monitors: the box around its overlap with
    // each monitor it covers.
    _clipFrame(x, y, width, height) {
        if (width <= 0 || height <= 0)
            throw invalid('frame', `${width}x${height} has no area`);
        let box = null;
        for (const monitor of Main.layoutManager.monitors) {
            const part = intersect({x, y, width, height}, monitor);
            if (!part)
                continue;
            if (box) {
                const right = Math.max(box.x + box.width, part.x + part.width);
                const bottom = Math.max(box.y + box.height, part.y + part.height);
                box.x = Math.min(box.x, part.x);
                box.y = Math.min(box.y, part.y);
                box.width = right - box.x;
                box.height = bottom - box.y;
            } else {
                box = part;
            }
        }
        if (!box)
            throw invalid('frame', `${width}x${height}+${x}+${y} covers no monitor`);
        return box;
    }

    _checkRoom(frame, moving) {
        for (const monitor of Main.layoutManager.monitors) {
            if (!intersect(frame, monitor))
                continue;
            let count = 0;
            for (const veil of this._veils.values()) {
                if (veil !== moving && intersect(veil.frame, monitor))
                    count++;
            }
            if (count >= 2)
                throw new CompositorError('LimitReached', `two veils already on monitor ${monitor.index}`);
        }
    }

    _veil(id) {
        const veil = this._veils.get(id);
        if (!veil)
            throw new CompositorError('NoSuchVeil', `no veil ${id}`);
        return veil;
    }

    _CreateVeil(x, y, width, height) {
        const frame = this._clipFrame(x, y, width, height);
        this._checkRoom(frame, null);
        const id = this._nextVeil++;
        this._veils.set(id, new Veil(id, frame));
        return id;
    }

    _SetVeilFrame(id, x, y, width, height) {
        const veil = this._veil(id);
        const frame = this._clipFrame(x, y, width, height);
        this._checkRoom(frame, veil);
        veil.setFrame(frame);
        this._syncNoCull();
    }

    _PlaceVeil(id, how, windowId) {
        const veil = this._veil(id);
        if (!['below', 'covering', 'hidden'].includes(how))
            throw invalid('how', `no placement "${how}"`);
        if (how === 'below' && !this._windowActor(windowId))
            return false;
        veil.how = how;
        veil.windowId = how === 'below' ? windowId : 0;
        this._placeVeils();
        return true;
    }

    _FadeVeil(id, opacity, seconds) {
        const veil = this._veil(id);
        finiteIn(opacity, 0, 1, 'opacity');
        finiteIn(seconds, 0, 10, 'seconds');
        veil.fade(opacity, seconds);
    }

    _SetVeilLook(id, width, height, pixels, mask, blur) {
        const veil = this._veil(id);
        if (width < 1 || width > 1024)
            throw invalid('width', `${width} is not within 1..1024`);
        if (height < 1 || height > veil.frame.height)
            throw invalid('height', `${height} is not within 1..${veil.frame.height} (the veil's height)`);
        if (pixels.length !== width * height * 4)
            throw invalid('pixels', `${pixels.length} bytes for a ${width}x${height} image`);
        if (mask.length > veil.frame.height)
            throw invalid('mask', `${mask.length} rows for a veil ${veil.frame.height} high`);
        finiteIn(blur, 0, 64, 'blur');
        veil.setLook(width, height, pixels, mask, blur);
        this._syncNoCull();
    }

    _DestroyVeil(id) {
        this._veil(id).destroy();
        this._veils.delete(id);
        this._syncNoCull();
    }

    _windowActor(id) {
        const window = global.display.list_all_windows().find(w => w.get_id() === id);
        const actor = window?.get_compositor_private();
        return actor?.get_parent() === global.window_group ? actor : null;
    }

    // Mutter restacks the window actors whenever a window moves in the
    // stack, which lifts every other actor of the group above all windows:
    // each veil goes back where it was placed.
    _placeVeils() {
        let keptAbove;
        for (const veil of this._veils.values()) {
            if (veil.how === 'below') {
                const actor = this._windowActor(veil.windowId);
                if (actor)
                    veil.placeBelow(actor);
            } else if (veil.how === 'covering') {
                keptAbove ??= this._lowestKeptAbove();
                if (keptAbove)
                    veil.placeBelow(keptAbove);
                else
                    veil.placeAbove(null);
            } else {
                veil.hide();
            }
        }
        this._syncNoCull();
    }

    // The lowest window actor of the keep-above layer or higher (keep-above
    // windows, docks, menus), which a covering veil stays below.
    _lowestKeptAbove() {
        for (const child of global.window_group.get_children()) {
            if (child instanceof Meta.WindowActor && child.meta_window &&
                child.meta_window.get_layer() >= Meta.StackLayer.TOP)
                return child;
        }
        return null;
    }

    // Window actors above a frosted veil are painted whole (NoCull in
    // veil.js); all others are culled as mutter likes.
    _syncNoCull() {
        const children = global.window_group.get_children();
        const frosted = new Set([...this._veils.values()].filter(v => v.frosted).map(v => v.actor));
        const lowest = children.findIndex(c => frosted.has(c));
        const wanted = new Set(lowest < 0 ? [] : children.slice(lowest + 1).filter(c => c instanceof Meta.WindowActor));
        for (const [actor, destroyId] of [...this._noCull]) {
            if (wanted.has(actor))
                continue;
            actor.disconnect(destroyId);
            actor.remove_effect_by_name(NO_CULL);
            this._noCull.delete(actor);
        }
        for (const actor of wanted) {
            if (this._noCull.has(actor))
                continue;
            actor.add_effect_with_name(NO_CULL, new NoCull());
            this._noCull.set(actor, actor.connect('destroy', () => this._noCull.delete(actor)));
        }
    }

    // --- shortcuts, windows, the top bar ---------------------------------

    _GrabAccelerator(accelerator) {
        checkAccelerator(accelerator);
        if (this._actions.size >= 3)
            throw new CompositorError('LimitReached', 'three shortcuts already');
        // A held combination acts once: mutter runs an accelerator again on
        // every key repeat unless told not to.
        const action = global.display.grab_accelerator(accelerator, Meta.KeyBindingFlags.IGNORE_AUTOREPEAT);
        if (action === Meta.KeyBindingAction.NONE)
            return 0;
        Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action),
            Shell.ActionMode.NORMAL | Shell.ActionMode.OVERVIEW);
        this._actions.add(action);
        return action;
    }

    _UngrabAccelerator(action) {
        if (!this._actions.has(action))
            throw new CompositorError('NoSuchAction', `no shortcut ${action}`);
        this._ungrab(action);
        this._actions.delete(action);
    }

    _ungrab(action) {
        global.display.ungrab_accelerator(action);
        Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action), Shell.ActionMode.NONE);
    }

    _ActivateWindow(id) {
        const window = global.display.list_all_windows().find(w =>
            w.get_id() === id && !w.is_override_redirect());
        if (!window)
            return false;
        Main.activateWindow(window);
        return true;
    }

    _ShowTrayItem(icon, tooltip) {
        if (!ICONS.includes(icon))
            throw invalid('icon', `not one of ${ICONS.join(', ')}`);
        if (tooltip.length > 200)
            throw invalid('tooltip', 'longer than 200 characters');
        this._tray.show(icon, tooltip);
    }

    _HideTrayItem() {
        this._tray.hide();
    }

    _OpenTrayMenu(menu) {
        let entries;
        try {
            entries = checkMenu(menu);
        } catch (e) {
            throw new CompositorError('InvalidArgs', e.message);
        }
        if (!this._tray.openMenu(entries))
            throw new CompositorError('Failed', 'the top-bar item is not showing');
    }

    _SetTopBarHidden(hidden) {
        this._topBar.setHidden(hidden);
    }

    _Screenshot(path) {
        if (!this._testMode)
            throw new CompositorError('NotSupported', 'only in test sessions');
        if (!GLib.path_is_absolute(path) || !path.endsWith('.png') || path.length > 4096)
            throw invalid('path', 'not an absolute path ending in .png');
        const stream = Gio.File.new_for_path(path).replace(null, false,
            Gio.FileCreateFlags.REPLACE_DESTINATION, null);
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

    // --- what the shell tells ---------------------------------------------

    _watchShell() {
        const display = global.display;
        const changed = () => this._queueChanged();
        this._connect(display, 'restacked', () => {
            this._placeVeils();
            this._queueChanged();
        });
        this._connect(display, 'notify::focus-window', changed);
        this._connect(display, 'workareas-changed', changed);
        this._connect(display, 'window-created', (d, window) => {
            this._watchWindow(window);
            this._queueChanged();
        });
        this._connect(display, 'accelerator-activated', (d, action) => {
            if (this._actions.has(action))
                this._emit('AcceleratorActivated', '(u)', [action]);
        });
        this._connect(global.workspace_manager, 'active-workspace-changed', changed);
        this._connect(global.window_manager, 'switch-workspace', changed);
        // A switch's animation lives in actors of its own in the UI group,
        // added when the switch begins and destroyed when it ends.
        for (const signal of [CHILD_ADDED, CHILD_REMOVED]) {
            this._connect(Main.uiGroup, signal, () => {
                if (this._switching !== this._workspaceSwitching()) {
                    this._switching = !this._switching;
                    this._queueChanged();
                }
            });
        }
        this._connect(Main.overview, 'showing', changed);
        this._connect(Main.overview, 'hidden', changed);
        this._connect(Main.layoutManager, 'monitors-changed', () => {
            for (const veil of this._veils.values())
                veil.rebuild();
            this._queueChanged();
        });
        for (const window of display.list_all_windows())
            this._watchWindow(window);
    }

    _connect(object, signal, callback) {
        this._signals.push([object, object.connect(signal, (...args) => {
            try {
                callback(...args);
            } catch (e) {
                logError(e, `Quorvel: ${signal}`);
            }
        })]);
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
        // below it must follow the new actor.
        ids.push(window.connect('shown', () => this._placeVeils()));
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
            this._emit('Changed', null, null);
            return GLib.SOURCE_REMOVE;
        });
    }
}
