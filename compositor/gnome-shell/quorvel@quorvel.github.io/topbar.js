// Quorvel's item in the top bar, its menu, and the top bar hidden on
// request.
import Clutter from 'gi://Clutter';
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import St from 'gi://St';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import * as PanelMenu from 'resource:///org/gnome/shell/ui/panelMenu.js';
import * as PopupMenu from 'resource:///org/gnome/shell/ui/popupMenu.js';

export const ICONS = ['inactive', 'active', 'active-ambient', 'excluded'];

const BUTTONS = new Map([[1, 'left'], [2, 'middle'], [3, 'right']]);

// The interface's modifier bits, from a Clutter event's state.
function modifierBits(state) {
    const M = Clutter.ModifierType;
    return (state & M.SHIFT_MASK ? 1 : 0) |
        (state & M.CONTROL_MASK ? 2 : 0) |
        (state & M.MOD1_MASK ? 4 : 0) |
        (state & (M.SUPER_MASK | M.MOD4_MASK) ? 8 : 0);
}

export class TrayItem {
    // `dir` holds icons/quorvel-NAME-symbolic.svg; the callbacks report clicks,
    // chosen entries and a moved or resized item.
    constructor(dir, {clicked, activated, changed}) {
        this._dir = dir;
        this._clicked = clicked;
        this._activated = activated;
        this._changed = changed;
        this._button = null;
    }

    get frame() {
        if (!this._button?.visible || !this._button.has_allocation())
            return null;
        const [x, y] = this._button.get_transformed_position();
        const [width, height] = this._button.get_transformed_size();
        const frame = [x, y, width, height].map(Math.round);
        if (!frame.every(Number.isFinite) || frame[2] <= 0 || frame[3] <= 0)
            return null;
        return {x: frame[0], y: frame[1], width: frame[2], height: frame[3]};
    }

    show(icon, tooltip) {
        if (!this._button)
            this._create();
        this._icon.gicon = Gio.FileIcon.new(this._dir.get_child('icons').get_child(`quorvel-${icon}-symbolic.svg`));
        // The top bar shows no tooltips; screen readers read this.
        this._button.accessible_name = tooltip || 'Quorvel';
    }

    _create() {
        // No menu of its own: the item only reports clicks, and the menu
        // opens when Quorvel asks for it.
        this._button = new PanelMenu.Button(0.5, 'Quorvel', true);
        this._icon = new St.Icon({style_class: 'system-status-icon'});
        this._button.add_child(this._icon);
        this._button.connect('button-press-event', (_actor, event) => {
            const button = BUTTONS.get(event.get_button());
            if (button)
                this._clicked(button, modifierBits(event.get_state()));
            return Clutter.EVENT_STOP;
        });
        this._button.connect('notify::allocation', () => this._changed());
        this._menu = new PopupMenu.PopupMenu(this._button, 0.5, St.Side.TOP);
        this._menu.actor.add_style_class_name('panel-menu');
        Main.uiGroup.add_child(this._menu.actor);
        this._menu.actor.hide();
        this._menuManager = new PopupMenu.PopupMenuManager(this._button);
        this._menuManager.addMenu(this._menu);
        Main.panel.addToStatusArea('quorvel', this._button);
        this._changed();
    }

    // `entries` were checked by the caller (checkMenu).
    openMenu(entries) {
        if (!this._button)
            return false;
        this._menu.removeAll();
        for (const entry of entries) {
            if (entry.separator) {
                this._menu.addMenuItem(new PopupMenu.PopupSeparatorMenuItem());
                continue;
            }
            const item = entry.icon
                ? new PopupMenu.PopupImageMenuItem(entry.title, entry.icon)
                : new PopupMenu.PopupMenuItem(entry.title);
            item.setSensitive(entry.enabled);
            if (entry.checked)
                item.setOrnament(PopupMenu.Ornament.CHECK);
            if (entry.faded)
                item.label.opacity = 128;
            item.connect('activate', () => this._activated(entry.action, entry.tag));
            this._menu.addMenuItem(item);
        }
        this._menu.open(true);
        return true;
    }

    hide() {
        if (!this._button)
            return;
        this._menuManager.removeMenu(this._menu);
        this._menu.destroy();
        this._button.destroy();
        this._button = this._menu = this._menuManager = this._icon = null;
        this._changed();
    }
}

// Entries of a JSON menu as the interface allows them; throws a message
// naming the first bad field.
export function checkMenu(json) {
    if (json.length > 65536)
        throw new Error('menu: longer than 65536 characters');
    let entries;
    try {
        entries = JSON.parse(json);
    } catch (e) {
        throw new Error(`menu: not JSON (${e.message})`);
    }
    if (!Array.isArray(entries) || entries.length > 32)
        throw new Error('menu: not an array of at most 32 entries');
    const text = (value, max) => typeof value === 'string' && value.length <= max;
    const optional = (value, test) => value === undefined || test(value);
    const bool = v => typeof v === 'boolean';
    return entries.map((entry, i) => {
        const where = `menu[${i}]`;
        if (typeof entry !== 'object' || entry === null || Array.isArray(entry))
            throw new Error(`${where}: not an object`);
        if (entry.separator === true)
            return {separator: true};
        const checks = {
            title: text(entry.title, 200),
            action: text(entry.action, 64),
            tag: optional(entry.tag, v => Number.isInteger(v) && v >= -(2 ** 31) && v < 2 ** 31),
            enabled: optional(entry.enabled, bool),
            checked: optional(entry.checked, bool),
            icon: optional(entry.icon, v => v === null || text(v, 200)),
            faded: optional(entry.faded, bool),
        };
        for (const [field, ok] of Object.entries(checks)) {
            if (!ok)
                throw new Error(`${where}.${field}: out of bounds`);
        }
        return {
            title: entry.title, action: entry.action, tag: entry.tag ?? 0,
            enabled: entry.enabled ?? true, checked: entry.checked ?? false,
            icon: entry.icon ?? null, faded: entry.faded ?? false,
        };
    });
}

// How often the pointer is looked at while the bar is hidden: fast enough
// to feel immediate at the top edge; no event tells a pointer resting on
// the edge of the screen from one passing by.
const POINTER_POLL_MS = 100;

export class TopBar {
    constructor() {
        this._hidden = false;
    }

    setHidden(hidden) {
        if (hidden === this._hidden)
            return;
        const layout = Main.layoutManager;
        const box = layout.panelBox;
        if (hidden) {
            const tracked = layout._trackedActors.find(a => a.actor === box);
            this._saved = {
                translationY: box.translation_y,
                // 50 tracks no input region (Wayland only): only the
                // parameters this shell knows are given back.
                chrome: tracked ? Object.fromEntries(
                    ['affectsStruts', 'affectsInputRegion', 'trackFullscreen']
                        .filter(key => key in tracked).map(key => [key, tracked[key]])) : null,
            };
            this._hidden = true;
            this._shown = null;
            this._poll = GLib.timeout_add(GLib.PRIORITY_DEFAULT, POINTER_POLL_MS, () => {
                this._sync();
                return GLib.SOURCE_CONTINUE;
            });
            this._overviewIds = ['showing', 'hidden'].map(s => Main.overview.connect(s, () => this._sync()));
            this._sync();
        } else {
            this._hidden = false;
            GLib.source_remove(this._poll);
            this._overviewIds.forEach(id => Main.overview.disconnect(id));
            box.remove_all_transitions();
            box.translation_y = this._saved.translationY;
            this._track(this._saved.chrome);
            this._saved = null;
        }
    }

    // Shown while the pointer is at the primary monitor's top edge or on
    // the bar itself, while one of its menus is open and while the overview
    // shows; else slid away, taking neither room (struts) nor clicks.
    _sync() {
        const box = Main.layoutManager.panelBox;
        const monitor = Main.layoutManager.primaryMonitor;
        const [x, y] = global.get_pointer();
        const overMonitor = x >= monitor.x && x < monitor.x + monitor.width;
        const reach = this._shown ? box.height : 1;
        const show = Main.overview.visible || Boolean(Main.panel.menuManager.activeMenu) ||
            (overMonitor && y >= monitor.y && y < monitor.y + reach);
        if (show === this._shown)
            return;
        this._shown = show;
        const chrome = this._saved.chrome;
        if (chrome)
            this._track({
                ...chrome, affectsStruts: false,
                ...'affectsInputRegion' in chrome ? {affectsInputRegion: show && chrome.affectsInputRegion} : {},
            });
        box.remove_all_transitions();
        box.ease({
            translation_y: show ? this._saved.translationY : -box.height,
            duration: 200,
            mode: Clutter.AnimationMode.EASE_OUT_QUAD,
        });
    }

    _track(chrome) {
        if (!chrome)
            return;
        const box = Main.layoutManager.panelBox;
        Main.layoutManager.untrackChrome(box);
        Main.layoutManager.trackChrome(box, {...chrome});
    }

    destroy() {
        this.setHidden(false);
    }
}
