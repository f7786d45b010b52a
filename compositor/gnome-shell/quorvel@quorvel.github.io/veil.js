// A veil: one rectangle of frost and tint between windows.
import Clutter from 'gi://Clutter';
import GObject from 'gi://GObject';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import {imageContent, newBackgroundBlur, setBlurStrength} from './compat.js';

// Rows whose frost differs by less than one of these steps share a strip:
// each strip costs a blur pass, and 1/16 steps do not show.
const MASK_LEVELS = 16;
// A mask that changes level more often than this is read in as many equal
// bands instead, so that no mask costs more blur passes than this.
const MAX_STRIPS = 48;
// No blur is larger than this on either side: every offscreen buffer the
// blur allocates stays well inside what GL drivers allow (16384 at least
// where the shell runs at all), whatever the monitors.
const TILE = 4096;

// Mutter leaves out of the paint whatever an opaque window hides
// (MetaCullable), so under a window above a veil the framebuffer holds no
// picture of what lies behind, and a background blur near that window's
// edge averages in nothing and lets the sharp picture through. Actors with
// an effect are neither culled nor cull what lies below them
// (meta_cullable_cull_out_children), so the windows above a frosted veil
// carry this effect, which paints nothing of its own.
export const NoCull = GObject.registerClass(class QuorvelNoCull extends Clutter.Effect {});

// Consecutive rows of `mask` whose frost has the same strength, as strips
// of {y, height, strength}; rows without frost get no strip.
export function frostStrips(mask, rows, strength) {
    const levelAt = (top, bottom) => {
        let sum = 0;
        for (let row = top; row < Math.min(bottom, mask.length); row++)
            sum += mask[row];
        const level = Math.round(sum / (bottom - top) * (MASK_LEVELS - 1) / 255);
        return Math.round(strength * level / (MASK_LEVELS - 1));
    };
    const collect = band => {
        const strips = [];
        for (let top = 0; top < rows; top += band) {
            const bottom = Math.min(rows, top + band);
            const value = levelAt(top, bottom);
            const last = strips[strips.length - 1];
            if (last && last.strength === value)
                last.height = bottom - last.y;
            else
                strips.push({y: top, height: bottom - top, strength: value});
            if (strips.length > MAX_STRIPS)
                return null;
        }
        return strips;
    };
    const strips = collect(1) ?? collect(Math.ceil(rows / MAX_STRIPS));
    return strips.filter(s => s.strength > 0);
}

// Splits `length` pixels from `start` into runs of at most TILE.
function runs(start, length) {
    const count = Math.ceil(length / TILE);
    const out = [];
    for (let i = 0; i < count; i++) {
        const from = start + Math.floor(length * i / count);
        out.push([from, start + Math.floor(length * (i + 1) / count) - from]);
    }
    return out;
}

export function intersect(a, b) {
    const x = Math.max(a.x, b.x);
    const y = Math.max(a.y, b.y);
    const width = Math.min(a.x + a.width, b.x + b.width) - x;
    const height = Math.min(a.y + a.height, b.y + b.height) - y;
    return width > 0 && height > 0 ? {x, y, width, height} : null;
}

export class Veil {
    constructor(id, frame) {
        this.id = id;
        this.how = 'hidden';
        this.windowId = 0;
        this._look = null;
        this._blurs = [];
        this.actor = new Clutter.Actor({
            name: `quorvel-veil-${id}`,
            reactive: false,
            visible: false,
            opacity: 0,
            clip_to_allocation: true,
        });
        this._frost = new Clutter.Actor({reactive: false});
        this._tint = new Clutter.Actor({reactive: false, visible: false});
        this.actor.add_child(this._frost);
        this.actor.add_child(this._tint);
        this.actor.connect('notify::opacity', () => this._syncBlurs());
        global.window_group.add_child(this.actor);
        this.setFrame(frame);
    }

    get frame() {
        return this._frame;
    }

    // True while the veil shows frost: the windows above it must then be
    // painted whole (NoCull).
    get frosted() {
        return this.actor.visible && this._blurs.length > 0;
    }

    setFrame(frame) {
        this._frame = frame;
        this.actor.set_position(frame.x, frame.y);
        this.actor.set_size(frame.width, frame.height);
        this.rebuild();
    }

    setLook(width, height, pixels, mask, blur) {
        this._look = {
            width, height, mask, blur,
            content: imageContent(pixels, width, height),
        };
        this.rebuild();
    }

    // The frost is made of blur parts, one for each mask strip within each
    // monitor the veil covers, split further into tiles of at most TILE: a
    // background blur only ever sees what lies under its own actor, so each
    // part's blur reaches 3 strengths beyond the part (within its monitor)
    // and is clipped back to it, which makes parts meet without seams.
    rebuild() {
        this._frost.destroy_all_children();
        this._blurs = [];
        const {x: vx, y: vy, width, height} = this._frame;
        this._frost.set_size(width, height);
        const look = this._look;
        if (!look) {
            this._tint.hide();
            return;
        }
        if (look.blur > 0) {
            const strips = frostStrips(look.mask, height, Math.round(look.blur));
            for (const monitor of Main.layoutManager.monitors) {
                const area = intersect(this._frame, monitor);
                if (!area)
                    continue;
                for (const strip of strips) {
                    const band = intersect(area, {x: vx, y: vy + strip.y, width, height: strip.height});
                    if (band)
                        this._addParts(band, monitor, strip.strength);
                }
            }
        }
        this._syncBlurs();

        // RESIZE_FILL with X repeat lays the image once per image width
        // across the actor; the actor is as tall as the image, so pixels
        // land 1:1, and the veil's clip cuts what reaches past its frame.
        this._tint.content = look.content;
        this._tint.content_gravity = Clutter.ContentGravity.RESIZE_FILL;
        this._tint.set_content_repeat(Clutter.ContentRepeat.X_AXIS);
        this._tint.set_content_scaling_filters(Clutter.ScalingFilter.NEAREST, Clutter.ScalingFilter.NEAREST);
        this._tint.set_position(0, 0);
        this._tint.set_size(width, look.height);
        this._tint.show();
    }

    _addParts(band, monitor, strength) {
        const pad = Math.ceil(3 * strength);
        for (const [x, w] of runs(band.x, band.width)) {
            for (const [y, h] of runs(band.y, band.height)) {
                const reach = intersect(monitor, {x: x - pad, y: y - pad, width: w + 2 * pad, height: h + 2 * pad});
                const clip = new Clutter.Actor({
                    reactive: false,
                    clip_to_allocation: true,
                    x: x - this._frame.x,
                    y: y - this._frame.y,
                    width: w,
                    height: h,
                });
                const blur = new Clutter.Actor({
                    reactive: false,
                    x: reach.x - x,
                    y: reach.y - y,
                    width: reach.width,
                    height: reach.height,
                });
                const effect = newBackgroundBlur(strength);
                blur.add_effect(effect);
                clip.add_child(blur);
                this._frost.add_child(clip);
                this._blurs.push({effect, strength});
            }
        }
    }

    // Shell.BlurEffect paints its background blur fully opaque whatever the
    // actor's opacity, so neither the mask nor a fade can dim it: both
    // scale its strength instead.
    _syncBlurs() {
        const opacity = this.actor.opacity;
        for (const {effect, strength} of this._blurs) {
            const faded = Math.round(strength * opacity / 255);
            setBlurStrength(effect, faded);
            effect.enabled = faded > 0;
        }
    }

    placeBelow(sibling) {
        global.window_group.set_child_below_sibling(this.actor, sibling);
        this.actor.show();
    }

    placeAbove(sibling) {
        global.window_group.set_child_above_sibling(this.actor, sibling);
        this.actor.show();
    }

    hide() {
        this.actor.hide();
    }

    fade(opacity, seconds) {
        const target = Math.round(opacity * 255);
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
