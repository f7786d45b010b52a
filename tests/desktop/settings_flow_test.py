"""The settings window driven end to end as a user drives it: opened from the
tray menu, its tabs clicked through, the grain slider moved, the focus
shortcut recorded anew and pressed from another application, every setting
reset, and the window closed with Ctrl+W. Controls are found on screen through
the accessibility tree, and clicked and typed at with xdotool."""

import os
import sys
import time

from desktop import STARTUP_LINES, SampleWindows, check, fail, overlays, poll, run
from settings_flow_support import (AccessibilityTree, AccessibleQuorvel, changed_below, inside,
                                   stored, stored_shortcut, trace, window_geometry,
                                   window_pixels)

binary, shots = sys.argv[1], sys.argv[2]
os.makedirs(shots, exist_ok=True)
TITLE = "Quorvel Settings"
TABS = ["General", "Rules", "Shortcuts", "More"]
CONTROL_OPTION_COMMAND = 1835008
DEFAULT_FOCUS_SHORTCUT = (3, CONTROL_OPTION_COMMAND)  # control+option+command F
RECORDED_FOCUS_SHORTCUT = (38, CONTROL_OPTION_COMMAND)  # control+option+command J
STYLE_RELOAD = ["FocusModeDidChange", "GrainIntensityDidChange", "TransparencyDidChange",
                "TransitionDurationDidChange", "OpacityValueDidChange", "ThemeModeDidChange"]
QUIET = 0.7  # how long nothing more may happen before "nothing happened" holds

windows = SampleWindows()
windows.open("Editor", "90x30+80+80", "#1d3557")
app = AccessibleQuorvel(binary, settings={"isOverlayEnabled": True, "transitionDuration": 0.0})
app.start()
print(f"log: {app.log_path}", flush=True)


def quorvel_windows():
    """Viewable windows of ours, as (id, width, height)."""
    found = []
    for wid in run("xdotool", "search", "--onlyvisible", "--class", "quorvel").split():
        geometry = window_geometry(wid)
        if geometry:
            found.append((wid, geometry[2], geometry[3]))
    return found


def tray_icon():
    icons = [w for w in quorvel_windows() if w[1] <= 64 and w[2] <= 64]
    return icons[0][0] if icons else None


def settings_window_id():
    found = run("xdotool", "search", "--onlyvisible", "--name", f"^{TITLE}$").split()
    return found[0] if found else None


def click(node):
    """Clicks the middle of a control, after checking the point is inside the
    settings window as the X server reports it."""
    point = node.center()
    frame = window_geometry(settings_window_id())
    if frame and not inside(point, frame) and node.name != "Reset":
        fail(f"{node} at {point} lies outside the settings window {frame}")
    run("xdotool", "mousemove", str(point[0]), str(point[1]), "click", "1")


def page(window):
    """The shown tab's content: of the window's plain containers, the one
    holding the most (the tab bar's divider holds nothing)."""
    containers = [n for n in window.children() if n.role == "filler"]
    return max(containers, key=lambda n: len(n.children()))


def bring_settings_forward():
    run("xdotool", "search", "--onlyvisible", "--name", f"^{TITLE}$", "windowactivate", "--sync")


def press_in_editor(keys):
    run("xdotool", "search", "--name", "^Editor$", "windowactivate", "--sync")
    run("xdotool", "key", keys)


def nothing_changes(predicate):
    """True when `predicate` stays true for the quiet period."""
    return not poll(lambda: not predicate(), limit=QUIET)


def open_from_tray_menu(tree):
    check(poll(lambda: tray_icon() is not None, limit=10), "the icon sits in the tray")
    for attempt in range(3):
        known = {w[0] for w in quorvel_windows()}
        run("xdotool", "mousemove", "--window", tray_icon(), "11", "11", "click", "3")
        menu = poll(lambda: [w for w in quorvel_windows() if w[0] not in known and w[1] >= 150],
                    limit=10)
        check(menu, "a right-click opens the tray menu")
        # A popup menu is not in the accessibility tree: the keyboard picks
        # the item, counted from the bottom (Quit, Check for updates, Settings...).
        run("xdotool", "key", "Up", "Up", "Up", "Return")
        if poll(settings_window_id, limit=5):
            break
        if app.process.poll() is not None:
            fail("the menu's third item from the bottom quit the program instead")
        run("xdotool", "key", "Escape")
    check(settings_window_id(), f"Settings... maps the {TITLE!r} window")
    window = tree.window(TITLE)
    check(window is not None, "assistive tools see the window")
    # 460 by 540 for the tabs, plus a menu bar where the window has one.
    size = lambda: window.extents()[2:]
    check(poll(lambda: size()[0] == 460 and size()[1] >= 540, limit=5),
          f"the window is 460 wide and 540 high or more (is {size()})")
    return window


def switch_tabs(window):
    tabs = {n.name: n for n in window.children() if n.name in TABS}
    check(sorted(tabs) == sorted(TABS), f"the tab bar holds {', '.join(TABS)}")
    check(tabs["General"].checked(), "the window opens on General")
    # What lies below the tab bar changes with the tab; the bar itself does not.
    content_top = max(n.extents()[1] + n.extents()[3] for n in tabs.values()) - \
        window.extents()[1] + 2
    wid = settings_window_id()
    shown, before = "General", window_pixels(wid)
    for name in TABS[1:] + TABS[:1]:
        click(tabs[name])
        check(poll(tabs[name].checked, limit=5), f"clicking {name} selects it")
        after = poll(lambda: changed_below(wid, before, content_top), limit=5)
        check(after, f"what lies below the tab bar changes from {shown} to {name}")
        # The window itself: a root grab shows the compositor's last frame,
        # which picom on Xvfb may not have repainted yet.
        run("import", "-window", str(wid), os.path.join(shots, f"settings-flow-{name.lower()}.png"))
        shown, before = name, after
    return tabs


def move_grain(window):
    sliders = page(window).find_all(lambda n: n.role == "slider", depth=2)
    check(len(sliders) == 3, "General shows the opacity, grain and fade sliders")
    grain = sliders[1]
    before = stored(app, "grainIntensity")
    click(grain)  # on the handle, which sits in the middle at 0.5: focus only
    check(nothing_changes(lambda: stored(app, "grainIntensity") == before),
          "clicking the grain handle changes nothing")
    mark = len(app.lines())
    run("xdotool", "key", "Right")
    check(poll(lambda: abs((stored(app, "grainIntensity") or 0) - 4 / 6) < 1e-6, limit=5),
          f"Right moves grain one step up from 0.5 (stored: {stored(app, 'grainIntensity')})")
    watched = {"SettingsDidChange", *STYLE_RELOAD}
    posted = lambda: [n for n in trace(app, mark) if n in watched]
    expected = ["SettingsDidChange", *STYLE_RELOAD, "GrainIntensityDidChange"]
    poll(lambda: len(posted()) >= len(expected), limit=5)
    nothing_changes(lambda: len(posted()) == len(expected))
    seen = posted()
    check(sorted(seen) == sorted(expected) and seen.count("SettingsDidChange") == 1,
          f"one SettingsDidChange and the style's notifications, nothing twice: {seen}")
    style_posts = [n for n in seen if n != "SettingsDidChange"]
    check(style_posts == STYLE_RELOAD + ["GrainIntensityDidChange"]
          and seen.index("SettingsDidChange") < len(seen) - 1,
          "the style reloads in its own order, then takes the new grain last")
    check(seen == expected, f"SettingsDidChange comes first: {seen}")


def record_shortcut(window, tabs):
    click(tabs["Shortcuts"])
    check(poll(tabs["Shortcuts"].checked, limit=5), "back on Shortcuts")
    recorder = poll(lambda: page(window).find(
        lambda n: n.role == "push button" and n.name == "⌃⌥⌘F", depth=3), limit=5)
    check(recorder is not None, "the toggle-focus recorder shows ⌃⌥⌘F")
    mark = len(app.lines())
    click(recorder)
    check(poll(lambda: recorder.label() == "Recording...", limit=5),
          "clicking the recorder starts recording")
    check("ShortcutRecordingDidChange" in trace(app, mark), "and sets the shortcuts aside")
    run("xdotool", "key", "ctrl+alt+super+j")
    check(poll(lambda: stored_shortcut(app, "shortcut") == RECORDED_FOCUS_SHORTCUT, limit=5),
          "the typed control+option+command J is stored")
    check(poll(lambda: recorder.label() == "⌃⌥⌘J", limit=5), "and the recorder reads ⌃⌥⌘J")

    press_in_editor("ctrl+alt+super+f")
    check(nothing_changes(lambda: overlays()), "the replaced ⌃⌥⌘F no longer acts")
    press_in_editor("ctrl+alt+super+j")
    check(poll(lambda: not overlays(), limit=5), "⌃⌥⌘J from the editor turns the veil off")
    check(poll(lambda: stored(app, "isOverlayEnabled") is False, limit=3), "and stores it")
    time.sleep(0.4)  # past the shortcut's debounce
    press_in_editor("ctrl+alt+super+j")
    check(poll(overlays, limit=5), "pressed again, the veil comes back")


def reset_everything(window, tree, tabs):
    bring_settings_forward()
    click(tabs["More"])
    check(poll(tabs["More"].checked, limit=5), "on More")
    reset = poll(lambda: page(window).find(lambda n: n.name == "Reset all settings", depth=1),
                 limit=5)
    check(reset is not None, "More offers Reset all settings")
    mark = len(app.lines())
    click(reset)
    dialog = tree.window("Are you sure?")
    check(dialog is not None, "it asks for confirmation first")
    confirm = dialog.find(lambda n: n.role == "push button" and n.name == "Reset", depth=3)
    check(confirm is not None, "the confirmation offers Reset")
    click(confirm)
    check(poll(lambda: stored(app, "grainIntensity") == 0.5, limit=5), "grain is back at 0.5")
    check(poll(lambda: stored_shortcut(app, "shortcut") == DEFAULT_FOCUS_SHORTCUT, limit=5),
          "the focus shortcut is back at ⌃⌥⌘F")
    check(stored(app, "isOverlayEnabled") is True and stored(app, "focusMode") == "deep",
          "focus is on, in deep mode")
    check(trace(app, mark).count("SettingsDidChange") >= 1, "the reset announces it")

    press_in_editor("ctrl+alt+super+j")
    check(nothing_changes(lambda: overlays()), "the recorded ⌃⌥⌘J no longer acts")
    press_in_editor("ctrl+alt+super+f")
    check(poll(lambda: not overlays(), limit=5), "the default ⌃⌥⌘F acts again")
    check(poll(lambda: stored(app, "isOverlayEnabled") is False, limit=3), "and stores it")


def close_with_control_w():
    bring_settings_forward()
    run("xdotool", "key", "ctrl+w")
    check(poll(lambda: settings_window_id() is None, limit=5), "Ctrl+W closes the window")
    check(nothing_changes(lambda: app.process.poll() is None), "and the program keeps running")


try:
    check(app.wait_for_lines(STARTUP_LINES), "started")
    check(poll(overlays, limit=10), "the veil is up")
    tree = AccessibilityTree()
    settings = open_from_tray_menu(tree)
    tabs = switch_tabs(settings)
    move_grain(settings)
    record_shortcut(settings, tabs)
    reset_everything(settings, tree, tabs)
    close_with_control_w()
finally:
    status = app.stop()
    windows.close()
check(status == 0, f"quit cleanly (status {status})")
print("settings_flow: 1 passed, 0 failed")
