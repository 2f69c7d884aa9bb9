"""Fixtures of the end-to-end tests: a program directory with a copy of an example project,
the desktop program started on it, and helpers that act as a person does (menus, shortcuts,
buttons by caption) through the accessibility tree. run-e2e.sh provides the X server and the
D-Bus session."""

import os
import shutil
import subprocess
import time
from pathlib import Path

import pytest

from dogtail.config import config

# The accessibility bus is always on here; no desktop settings to check.
config.checkForA11y = False
config.searchCutoffCount = 3
config.defaultDelay = 0.2
config.actionDelay = 0.2
config.typingDelay = 0.05
config.logDebugToFile = False
config.logDebugToStdOut = False

import dogtail.rawinput as rawinput  # noqa: E402
import dogtail.tree as tree  # noqa: E402
from dogtail.predicate import GenericPredicate  # noqa: E402

NARV = os.environ.get("NARV_E2E_NARV", "")
CLI = os.environ.get("NARV_E2E_CLI", "")
SOURCE = Path(os.environ.get("NARV_E2E_SOURCE", Path(__file__).resolve().parents[2]))
ARTIFACTS = Path(os.environ.get("NARV_E2E_ARTIFACTS", "/tmp/narv-e2e-artifacts"))
SCREEN = os.environ.get("NARV_E2E_SCREEN", "1280x800x24").rsplit("x", 1)[0]
EXAMPLE = "asm1-benchmark"
PROGRAM_VERSION = "1.0.0.0"


def wait_for(what, probe, timeout=20.0, interval=0.2):
    """Calls probe until it returns something true; fails naming what it waited for."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            result = probe()
        except Exception:  # the tree changes under our feet while windows open and close
            result = None
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def screenshot(name):
    """The whole virtual screen as PNG, for the record and for failures."""
    ARTIFACTS.mkdir(parents=True, exist_ok=True)
    path = ARTIFACTS / ("%s-%s.png" % (name, SCREEN))
    subprocess.run(["import", "-window", "root", str(path)], check=False,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
    return path


class Narv:
    """The running desktop program and what a person sees of it."""

    def __init__(self, process, program_dir, project_dir, wait_for_main=True):
        self.process = process
        self.program_dir = program_dir
        self.project_dir = project_dir
        self.app = wait_for("narv in the accessibility tree", self._application, timeout=30)
        self.main = self.window("NARV " + PROGRAM_VERSION, timeout=30) if wait_for_main else None

    def _application(self):
        # By process: a program of an earlier test may linger in the tree for a moment.
        for app in tree.root.applications():
            try:
                if app.get_process_id() == self.process.pid:
                    return app
            except Exception:
                continue
        return None

    # Windows -----------------------------------------------------------------------------

    def windows(self):
        return list(self.app.children)

    def find_window(self, caption):
        for w in self.windows():
            if w.name == caption and w.showing:
                return w
        return None

    def window(self, caption, timeout=20.0):
        return wait_for('the window "%s"' % caption, lambda: self.find_window(caption),
                        timeout=timeout)

    def window_gone(self, caption, timeout=20.0):
        wait_for('the window "%s" to close' % caption,
                 lambda: self.find_window(caption) is None, timeout=timeout)

    def message_box(self, timeout=5.0):
        """A message box that appeared (role alert or a dialog with a label), or None."""
        try:
            return wait_for("a message box", lambda: next(
                (w for w in self.windows() if w.roleName in ("alert", "dialog") and w.showing
                 and w.name not in ("Configuration", "About NARV")), None), timeout=timeout)
        except AssertionError:
            return None

    # Acting as a person ------------------------------------------------------------------

    def activate(self, window=None):
        """Gives the window the keyboard as a person does: a click into it where no control
        sits and no other window lies over it: the empty right end of its menu bar, or its
        lower right corner."""
        window = window or self.main
        bars = [n for n in window.children if n.roleName == "menu bar"]
        x, y = (bars[0] if bars else window).position
        width, height = (bars[0] if bars else window).size
        rawinput.click(x + width - 4, y + height // 2 if bars else y + height - 4)
        time.sleep(0.3)

    def menu(self, *path, window=None):
        """Chooses a menu item by its captions as they read, for example menu("Help", "Contents"),
        in the main window's menu bar or in that of the window given."""
        if window is None:
            window = self.main
            self.activate(window)
        bar = window.child(roleName="menu bar")
        node = wait_for('the menu "%s"' % path[0],
                        lambda: bar.child(name=path[0], recursive=False))
        node.click()
        for caption in path[1:]:
            item = wait_for('the menu item "%s"' % caption, lambda: next(
                (n for n in self.app.findChildren(GenericPredicate(name=caption))
                 if n.roleName in ("menu item", "menu", "check menu item") and n.showing),
                None))
            item.click()

    def keys(self, combo, window=None):
        """Presses a shortcut such as "<Control>h" in the window (the main window by default)."""
        self.activate(window)
        time.sleep(0.2)
        rawinput.keyCombo(combo)

    @staticmethod
    def message_text(box):
        """The text of a message box: its labels joined."""
        return " ".join(n.name for n in box.findChildren(
            lambda n: n.roleName == "label" and n.name, isLambda=True)).strip()

    def type_into(self, field, text):
        """Replaces a field's text by typing, as a person does (the program sees the edits)."""
        field.grabFocus()
        time.sleep(0.2)
        rawinput.keyCombo("<Control>a")
        rawinput.typeText(text)

    def button(self, window, caption):
        return wait_for('the button "%s"' % caption,
                        lambda: window.child(name=caption, roleName="push button"))

    def press(self, window, caption):
        self.button(window, caption).doActionNamed("Press")

    def status_lines(self):
        """The texts of the main window's status lines, without their surrounding blanks."""
        starts = ("Project:", "No Project", "Model:", "No Model", "Plant:", "No Plant",
                  "Variation:", "No Variation", "User Directory:", "No User Directory")
        labels = self.main.findChildren(GenericPredicate(roleName="label"))
        return [label.name.strip() for label in labels if label.name.strip().startswith(starts)]


@pytest.fixture
def program_dir(tmp_path, request):
    """A program directory (settings and user directory) with a copy of the example project;
    a test marked settings("[Section]", "Key=value", ...) starts with that settings file."""
    program = tmp_path / "program"
    project = program / "user" / EXAMPLE
    shutil.copytree(SOURCE / "examples" / EXAMPLE, project)
    (program / "user" / "model").mkdir()
    shutil.copytree(SOURCE / "data", program / "data")
    marker = request.node.get_closest_marker("settings")
    if marker is not None:
        (program / "NARV.ini").write_bytes("".join(line + "\r\n" for line in marker.args)
                                          .encode("latin-1"))
    return program


@pytest.fixture
def narv(program_dir, request):
    """narv started on the copy of the example project; closed (or killed) afterwards."""
    if not NARV or not os.access(NARV, os.X_OK):
        pytest.fail("the desktop program is not built: " + NARV)
    project = program_dir / "user" / EXAMPLE
    log = open(program_dir.parent / "narv-output.txt", "w")
    process = subprocess.Popen([NARV, str(project)], cwd=program_dir, stdin=subprocess.DEVNULL,
                               stdout=log, stderr=subprocess.STDOUT)
    try:
        running = Narv(process, program_dir, project)
    except Exception:
        process.kill()
        process.wait(timeout=10)
        log.close()
        print((program_dir.parent / "narv-output.txt").read_text())
        raise
    yield running
    if process.poll() is None:
        process.kill()
    process.wait(timeout=10)
    log.close()


@pytest.fixture
def first_start(tmp_path):
    """narv started without a project in an empty directory: its first start."""
    if not NARV or not os.access(NARV, os.X_OK):
        pytest.fail("the desktop program is not built: " + NARV)
    program = tmp_path / "first"
    program.mkdir()
    log = open(tmp_path / "narv-output.txt", "w")
    process = subprocess.Popen([NARV], cwd=program, stdin=subprocess.DEVNULL, stdout=log,
                               stderr=subprocess.STDOUT)
    try:
        yield Narv(process, program, None, wait_for_main=False)
    finally:
        if process.poll() is None:
            process.kill()
        process.wait(timeout=10)
        log.close()


def pytest_configure(config):
    config.addinivalue_line("markers", "settings(*lines): the settings file narv starts with")


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    if report.when == "call" and report.failed:
        screenshot("failed-" + item.name)
