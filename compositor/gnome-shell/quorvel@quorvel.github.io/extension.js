// The GNOME Shell side of Quorvel: serves io.github.quorvel.Compositor1 on
// the session bus for Quorvel alone (service.js). This source is an ES
// module for GNOME Shell 45 and later; the build makes the form GNOME Shell
// 43 and 44 load from it (../assemble.py).
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';
import {Service} from './service.js';

export default class QuorvelExtension extends Extension {
    enable() {
        this._service = new Service(this.dir);
    }

    disable() {
        this._service?.destroy();
        this._service = null;
    }
}
