// What differs between the GNOME Shell versions this extension runs on
// (43 to 50), in one place.
import Cogl from 'gi://Cogl';
import GLib from 'gi://GLib';
import GObject from 'gi://GObject';
import Meta from 'gi://Meta';
import Shell from 'gi://Shell';
import St from 'gi://St';
import * as Config from 'resource:///org/gnome/shell/misc/config.js';

export const SHELL_MAJOR = parseInt(Config.PACKAGE_VERSION, 10);
export const SHELL_VERSION = Config.PACKAGE_VERSION;

// 46 renamed Shell.BlurEffect's `sigma` to `radius`.
const BLUR_PROPERTY = GObject.Object.find_property.call(Shell.BlurEffect, 'radius')
    ? 'radius' : 'sigma';

export function newBackgroundBlur(strength) {
    return new Shell.BlurEffect({
        mode: Shell.BlurMode.BACKGROUND,
        brightness: 1.0,
        [BLUR_PROPERTY]: strength,
    });
}

export function blurStrength(effect) {
    return effect[BLUR_PROPERTY];
}

export function setBlurStrength(effect, strength) {
    if (effect[BLUR_PROPERTY] !== strength)
        effect[BLUR_PROPERTY] = strength;
}

// Premultiplied B, G, R, A bytes as actor content. 45 and later want the
// Cogl context first; 43 and 44 inherit Clutter.Image's form.
export function imageContent(pixels, width, height) {
    const image = new St.ImageContent({preferred_width: width, preferred_height: height});
    const bytes = new GLib.Bytes(pixels);
    const format = Cogl.PixelFormat.BGRA_8888_PRE;
    if (SHELL_MAJOR >= 45) {
        const context = global.stage.context.get_backend().get_cogl_context();
        image.set_bytes(context, bytes, format, width, height, width * 4);
    } else {
        image.set_bytes(bytes, format, width, height, width * 4);
    }
    return image;
}

// ClutterActor's child signals: 43 and 44 only have ClutterContainer's.
export const CHILD_ADDED = GObject.signal_lookup('child-added', St.Widget) ? 'child-added' : 'actor-added';
export const CHILD_REMOVED = CHILD_ADDED === 'child-added' ? 'child-removed' : 'actor-removed';

// 50 runs on Wayland only and no longer asks.
export function sessionType() {
    if (typeof Meta.is_wayland_compositor !== 'function')
        return 'wayland';
    return Meta.is_wayland_compositor() ? 'wayland' : 'x11';
}
