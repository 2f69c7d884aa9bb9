"""The desktop program as a person uses it: started on a copy of an example project, driven by
its menus, shortcuts and buttons, read through its status lines and windows."""

import configparser
import filecmp
import subprocess
import time

import pytest
from dogtail import rawinput

from conftest import CLI, EXAMPLE, PROGRAM_VERSION, SOURCE, screenshot, wait_for

MENUS = ["File", "Variation", "Model", "Plant Definition", "Computations", "Results", "Tools",
         "Help"]


def open_or_skip(narv, caption, open_it, what):
    """Opens a window; when the program answers with a message instead (the window is not
    there yet), closes the message and skips with the program's own words."""
    open_it()
    try:
        return narv.window(caption, timeout=8)
    except AssertionError:
        box = narv.message_box(timeout=2)
        if box is None:
            raise
        text = " ".join(n.name for n in box.findChildren(
            lambda n: n.roleName == "label" and n.name, isLambda=True))
        narv.press(box, "OK")
        pytest.skip('%s: the window "%s" does not exist yet (the program says: %s)'
                    % (what, caption, text.strip()))


def test_starts_on_the_project_with_its_status_lines(narv):
    assert narv.main.name == "NARV " + PROGRAM_VERSION
    lines = wait_for("the status lines", lambda: narv.status_lines() or None)
    user_dir = narv.program_dir / "user"
    for expected in ("Project: " + EXAMPLE, "Model:", "Plant:", "Variation:",
                     "User Directory: "):
        assert any(line.startswith(expected) for line in lines), (expected, lines)
    assert any(line.split()[-1] == EXAMPLE for line in lines if line.startswith("Model:"))
    assert any(line.split()[-1] == EXAMPLE for line in lines if line.startswith("Plant:"))
    assert any(line.endswith(str(user_dir)) or line.endswith(str(user_dir) + "/")
               for line in lines if line.startswith("User Directory:")), lines


def test_first_start_and_first_steps(first_start):
    narv = first_start
    # The user directory and its model directory are made, each with a message.
    for _ in range(2):
        box = narv.message_box(timeout=20)
        assert box is not None, "no message about the directories made"
        narv.press(box, "OK")
    start = narv.window("Welcome to NARV", timeout=20)
    assert (narv.program_dir / "user" / "model").is_dir()
    # The start dialog is modal; the guide opened from it can still be read.
    narv.press(start, "First Steps")
    help_window = narv.window("NARV Help")
    wait_for("the page First Steps", lambda: help_window.child(
        name="Help page").text.startswith("First Steps"))
    screenshot("help-first-steps")
    narv.press(start, "Cancel")
    wait_for("narv to end", lambda: narv.process.poll() is not None, timeout=30)
    assert narv.process.returncode == 0


def test_menus_in_order(narv):
    bar = narv.main.child(roleName="menu bar")
    names = [item.name for item in bar.children]
    assert [name for name in names if name in MENUS] == MENUS, names


@pytest.mark.parametrize("how", ["menu", "shortcut"])
def test_help_opens_on_its_tabs(narv, how):
    if how == "menu":
        narv.menu("Help", "Contents")
    else:
        narv.keys("<Control>h")
    help_window = narv.window("NARV Help")
    # The tab bar reads as its current tab.
    tabs = help_window.child(roleName="page tab list")
    expected = "Contents" if how == "menu" else "Index"
    wait_for("the tab " + expected, lambda: tabs.name == expected)
    # The guide's first page is shown beside the tabs.
    wait_for("the guide's first page", lambda: "NARV User Guide" in help_window.child(
        name="Help page").text)
    screenshot("help-" + how)

    narv.menu("Help", "Find")
    wait_for("the tab Find", lambda: tabs.name == "Find")
    if how == "menu":
        # A full-text search, typed as a person types it; the index is built on first use.
        time.sleep(2)
        rawinput.typeText("supernatant")
        rawinput.pressKey("Return")
        wait_for("a search result on the SBR page", lambda: any(
            "Sequencing Batch Reactors" in (node.name or "") + (node.text or "")
            for node in help_window.findChildren(lambda n: n.showing, isLambda=True)),
            timeout=30)
        screenshot("help-find")


def test_about_box(narv):
    narv.menu("Help", "About...")
    about = narv.window("About NARV")
    text = " ".join(n.name for n in about.findChildren(lambda n: n.roleName == "label", isLambda=True))
    assert PROGRAM_VERSION in text
    assert "Qt" in text and "Licen" in text
    screenshot("about")
    narv.press(about, "OK")
    narv.window_gone("About NARV")


def test_event_list(narv):
    narv.keys("<Control><Alt>e")
    events = narv.window("Events")
    narv.press(events, "Copy to Clipboard")
    narv.press(events, "Clear")
    narv.press(events, "Close")
    narv.window_gone("Events")


def test_configuration_cancel(narv):
    dialog = open_or_skip(narv, "Configuration", lambda: narv.menu("Tools", "Configuration"),
                          "Configuration")
    narv.press(dialog, "Cancel")
    narv.window_gone("Configuration")


def test_relaxation_then_save_matches_the_command_line(narv, tmp_path):
    relaxation = open_or_skip(narv, "Relaxation", lambda: narv.keys("<Control>r"),
                              "Relaxation")
    narv.press(relaxation, "Start")
    # While it runs the window stays responsive: Start is disabled, Stop enabled.
    assert not narv.button(relaxation, "Start").sensitive
    # The end: the elapsed time is told first, then the window is ready again.
    box = narv.message_box(timeout=300)
    assert box is not None, "no message at the end of the relaxation"
    text = " ".join(n.name for n in box.findChildren(
        lambda n: n.roleName == "label" and n.name, isLambda=True))
    assert "Time for Relaxation: " in text, text
    narv.press(box, "OK")
    wait_for("the end of the relaxation", lambda: narv.button(relaxation, "Start").sensitive,
             timeout=20)
    assert not narv.button(relaxation, "Stop").sensitive
    assert narv.button(relaxation, "Show Results").sensitive
    screenshot("relaxation")

    narv.keys("<Control><Alt>s")  # Save Project: the plant is unsaved after the run
    question = narv.window("Save Plant", timeout=10)  # the plant file exists: overwrite?
    narv.press(question, "Yes")
    narv.window_gone("Save Plant")

    expected = tmp_path / "relaxed.pln"
    base = SOURCE / "examples" / EXAMPLE / EXAMPLE
    subprocess.run([CLI, "relax", "--model", str(base) + ".mod", "--plant", str(base) + ".pln",
                    "--save", str(expected)], check=True, timeout=300)
    saved = narv.project_dir / (EXAMPLE + ".pln")
    assert saved.read_bytes() == expected.read_bytes()


def test_results_window(narv):
    results = open_or_skip(narv, "Show Results", lambda: narv.keys("<Control>o"), "Results")
    screenshot("results")
    results.grabFocus()


def test_closing_keeps_the_project_and_remembers_it(narv):
    narv.menu("File", "Exit")
    # Nothing was changed: no question, the program ends.
    wait_for("narv to end", lambda: narv.process.poll() is not None, timeout=30)
    assert narv.process.returncode == 0
    for extension in (".mod", ".pln", ".vrt"):
        name = EXAMPLE + extension
        assert filecmp.cmp(narv.project_dir / name, SOURCE / "examples" / EXAMPLE / name,
                           shallow=False), name
    settings = configparser.ConfigParser(interpolation=None, strict=False)
    settings.optionxform = str
    settings.read(narv.program_dir / "NARV.ini", encoding="latin-1")
    assert settings["StartUp"]["LastProject"] == EXAMPLE
    assert settings["StartUp"]["LastPlant"] == EXAMPLE
    time.sleep(0.1)


def run_cli(*args):
    subprocess.run([CLI, *map(str, args)], check=True, timeout=300, stdout=subprocess.DEVNULL)


def example_file(extension):
    return SOURCE / "examples" / EXAMPLE / (EXAMPLE + extension)


def test_dynamic_simulation_results_match_the_command_line(narv, tmp_path):
    narv.keys("<Control>d")
    window = narv.window("Dynamic Simulation")
    # Typed, and Start pressed with the focus still in the field.
    narv.type_into(window.child(name="Number of cycles", roleName="text"), "2")
    narv.press(window, "Start")
    box = narv.message_box(timeout=300)
    assert box is not None, "no message at the end of the dynamic simulation"
    assert "Simulation time: " in narv.message_text(box)
    narv.press(box, "OK")
    wait_for("the end of the run", lambda: narv.button(window, "Start").sensitive)
    screenshot("dynamic-simulation")

    # The results window shows the run's charts, one of them chosen by its menu.
    narv.press(window, "Show Results")
    results = narv.window("Show Results")
    wait_for("the first chart", lambda: results.child(name="Flow Rates", roleName="filler"))
    narv.menu("View Single Chart", "Dissolved Species", "S Oxygen O2 of all reactors",
              window=results)
    wait_for("the oxygen chart", lambda: results.clear_cache() or results.findChildren(
        lambda n: n.name == "S Oxygen O2 of all reactors" and n.roleName == "filler",
        isLambda=True))
    screenshot("results-single")

    # Saved through the file dialog, the results hold the same series as the command line's.
    narv.keys("<Control>s")
    dialog = narv.window("Save As")
    saved = tmp_path / "desktop.rlt"
    dialog.child(name="File name:", roleName="text").text = str(saved)
    narv.press(dialog, "Save")
    wait_for("the results file", lambda: saved.exists() and saved.stat().st_size > 0)
    expected = tmp_path / "cli.rlt"
    run_cli("simulate", "--model", example_file(".mod"), "--plant", example_file(".pln"),
            "--variation", example_file(".vrt"), "--cycles", 2, "--results", expected)
    run_cli("results", saved, "--csv", tmp_path / "desktop.csv")
    run_cli("results", expected, "--csv", tmp_path / "cli.csv")
    assert (tmp_path / "desktop.csv").read_bytes() == (tmp_path / "cli.csv").read_bytes()


@pytest.mark.settings("[StartUp]", "ContSimulation=1")
def test_continuous_simulation_matches_the_command_line(narv, tmp_path):
    narv.menu("Computations", "Continuous Simulation")
    window = narv.window("Continuous Simulation")
    narv.type_into(window.child(name="Input file", roleName="text"), "measured.cin")
    narv.type_into(window.child(name="Output file", roleName="text"), "desktop.cou")
    narv.press(window, "Start")
    output = narv.project_dir / "desktop.cou.csv"
    wait_for("the end of the run", lambda: narv.button(window, "Start").sensitive
             and output.exists(), timeout=300)
    status = window.child(roleName="status bar")
    assert status.name == "Continuous simulation not running"
    screenshot("continuous-simulation")

    expected = tmp_path / "cli.cou.csv"
    run_cli("continuous", "--model", example_file(".mod"), "--plant", example_file(".pln"),
            "--input", SOURCE / "examples" / EXAMPLE / "measured.cin.csv", "--output", expected)
    assert output.read_bytes() == expected.read_bytes()


def test_variation_editor_edits_and_saves(narv):
    narv.keys("<Control><Alt>v")
    variation = narv.window("Variation")
    tabs = variation.child(roleName="page tab list")
    tabs.child(name="Inflows", roleName="page tab").doActionNamed("Press")
    grid = wait_for("the inflow grid", lambda: variation.child(name="Inflows", roleName="table"))
    cells = [c for c in grid.children if c.roleName == "table cell"]
    assert cells[0].name.strip() == "0.800"
    screenshot("variation-inflows")

    # A factor typed into the grid reaches the saved file, nothing else changes.
    cells[0].click()
    rawinput.typeText("0.9")
    rawinput.pressKey("Return")
    wait_for("the new factor", lambda: grid.clear_cache() or [
        c for c in grid.children if c.roleName == "table cell"][0].name.strip() == "0.900")
    narv.menu("Variation", "Save Variation")
    question = narv.message_box(timeout=5)
    if question is not None:
        narv.press(question, "Yes")
    path = narv.project_dir / (EXAMPLE + ".vrt")
    wait_for("the saved variation", lambda: path.read_bytes() != example_file(".vrt").read_bytes())
    saved = path.read_bytes().split(b"\r\n")
    original = example_file(".vrt").read_bytes().split(b"\r\n")
    assert saved[4].split()[0] == b"9.000E-0001"
    assert saved[4].split()[1:] == original[4].split()[1:]
    assert saved[5:] == original[5:]
