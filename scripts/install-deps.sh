#!/usr/bin/env bash
# Installs the Debian packages that building and testing NARV needs, when they are missing.
set -euo pipefail

packages=(
    build-essential
    cmake
    ninja-build
    pkg-config
    ccache
    libfmt-dev
    nlohmann-json3-dev
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    libsimpleini-dev
    # Charts are encoded with libpng's fast setting.
    libpng-dev
    # scripts/compare-outputs.sh runs the program at a fixed clock; bench/cli-times.sh times it.
    faketime
    hyperfine
    # Fuzzing of the readers (scripts/fuzz.sh): clang with libFuzzer and the sanitizers.
    clang
    libfuzzer-14-dev
    # The accurate solvers: CVODE (stiff integration) and KINSOL (Newton steady state).
    libsundials-dev
    # Chart renderer and the desktop program narv (NARV_BUILD_UI): Qt 6 Widgets (with Print
    # Support and Test), Charts; Qt6Charts needs the OpenGL development files; the offscreen
    # platform for the Qt tests; a font for axis labels and windows.
    qt6-base-dev
    qt6-qpa-plugins
    qt6-charts-dev
    qt6-svg-dev
    libqt6opengl6-dev
    fonts-dejavu-core
    # The Python package narv and its tests, for Debian's /usr/bin/python3.
    pybind11-dev
    python3-dev
    python3-numpy
    python3-pandas
    python3-distributed
    python3-matplotlib
    python3-pytest
    # The desktop program's help: Qt Help, qhelpgenerator for the help collection at build
    # time, and the SQLite driver the collection is read with; Debian's Python runs the
    # converter of the user guide.
    qt6-tools-dev
    qt6-documentation-tools
    libqt6sql6-sqlite
    python3
    # The end-to-end tests of the desktop program: a virtual X server with a window manager, a
    # D-Bus session with the accessibility bus, dogtail and pytest driving the program,
    # ImageMagick's import for screenshots.
    xvfb
    openbox
    xauth
    dbus-x11
    at-spi2-core
    python3-dogtail
    imagemagick
    # Looking at the printed report: pdftoppm turns the PDF pages into pictures.
    poppler-utils
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        as_root=(sudo)
    else
        echo "These packages are missing and installing them needs root: ${missing[*]}" >&2
        exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
