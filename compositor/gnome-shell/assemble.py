#!/usr/bin/env python3
"""Assembles the extension folder GNOME Shell loads, in one of two forms:

    assemble.py modules|legacy SOURCE_DIR INTERFACE_XML ICON_DIR OUT_DIR

"modules" (GNOME Shell 45 and later) is the source as it is: ES modules.
"legacy" (43 and 44) is made from it, line by line, into the imports.* form
those versions load. Only the import and export forms the source uses are
rewritten; any other `import` or `export` line stops the build, so the
source cannot drift into something this script would get wrong. Each form's
metadata.json lists the shell versions of that form.
"""
import json
import re
import shutil
import sys
from pathlib import Path

LEGACY_BEFORE = 45
ICONS = ["inactive", "active", "active-ambient", "excluded"]

EXTENSION_SHIM = """\
// 43 and 44 hand init() the extension's record; the parts of 45's Extension
// this extension uses.
class Extension {
    constructor(extension) {
        this.metadata = extension.metadata;
        this.uuid = extension.uuid;
        this.dir = extension.dir;
        this.path = extension.path;
    }
}"""

RULES = [
    (re.compile(r"^import (\w+) from 'gi://(\w+)';$"),
     lambda m: f"const {m[1]} = imports.gi.{m[2]};"),
    (re.compile(r"^import \* as (\w+) from 'resource:///org/gnome/shell/(ui|misc)/(\w+)\.js';$"),
     lambda m: f"const {m[1]} = imports.{m[2]}.{m[3]};"),
    (re.compile(r"^import \{Extension\} from 'resource:///org/gnome/shell/extensions/extension\.js';$"),
     lambda m: EXTENSION_SHIM),
    (re.compile(r"^import \{([\w, ]+)\} from '\./(\w+)\.js';$"),
     lambda m: f"const {{{m[1]}}} = imports.misc.extensionUtils.getCurrentExtension().imports.{m[2]};"),
    (re.compile(r"^export class (\w+)(.*)$"), lambda m: f"var {m[1]} = class {m[1]}{m[2]}"),
    (re.compile(r"^export const (.*)$"), lambda m: f"var {m[1]}"),
    (re.compile(r"^export function (.*)$"), lambda m: f"function {m[1]}"),
]
DEFAULT_CLASS = re.compile(r"^export default class (\w+) extends Extension \{$")


def legacy(path):
    out, entry = [], None
    for number, line in enumerate(path.read_text().splitlines(), 1):
        default = DEFAULT_CLASS.match(line)
        if default:
            entry = default[1]
            out.append(f"class {entry} extends Extension {{")
            continue
        for pattern, rewrite in RULES:
            m = pattern.match(line)
            if m:
                out.append(rewrite(m))
                break
        else:
            if re.match(r"^\s*(import|export)\b", line) or re.search(r"\bimport\s*\(", line):
                sys.exit(f"{path}:{number}: no legacy form for: {line}")
            out.append(line)
    if entry:
        out += ["", "/* exported init */", "function init(extension) {", f"    return new {entry}(extension);", "}"]
    return f"// Made by assemble.py from {path.name}, the ES module source; edit that.\n" + "\n".join(out) + "\n"


def main():
    form, source, interface, icons, out = sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3]), \
        Path(sys.argv[4]), Path(sys.argv[5])
    if form not in ("modules", "legacy"):
        sys.exit(f"no form {form}")
    if out.exists():
        shutil.rmtree(out)
    (out / "icons").mkdir(parents=True)
    for js in sorted(source.glob("*.js")):
        (out / js.name).write_text(legacy(js) if form == "legacy" else js.read_text())
    metadata = json.loads((source / "metadata.json").read_text())
    metadata["shell-version"] = [v for v in metadata["shell-version"]
                                 if (int(v.split(".")[0]) < LEGACY_BEFORE) == (form == "legacy")]
    (out / "metadata.json").write_text(json.dumps(metadata, indent=2) + "\n")
    shutil.copyfile(interface, out / interface.name)
    # "-symbolic": the shell draws such an icon in the top bar's own text
    # colour, as it does its own; the files are drawn in black.
    for icon in ICONS:
        shutil.copyfile(icons / f"menubar-icon-{icon}.svg", out / "icons" / f"quorvel-{icon}-symbolic.svg")


if __name__ == "__main__":
    main()
