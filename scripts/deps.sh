#!/usr/bin/env bash
# Installs the Debian packages Kestrel builds and tests with, only when one is missing.
# Sourced by run.sh and test.sh; safe to run again and again.

KESTREL_PACKAGES=(
    build-essential cmake ninja-build pkg-config git
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
    libturbojpeg0-dev libsdl2-dev libfreetype-dev libfontconfig-dev fonts-noto-cjk
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-tools-dev qt6-qpa-plugins libgl-dev
    qt6-webengine-dev qt6-webchannel-dev libqt6webenginecore6-bin libjs-leaflet libgl1-mesa-dri
    xvfb xauth tzdata
)

kestrel_install_deps() {
    local missing=()
    local p
    for p in "${KESTREL_PACKAGES[@]}"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

kestrel_configure() {
    local type="${1:-RelWithDebInfo}"
    shift || true
    if [ ! -f build/build.ninja ]; then
        cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@"
    fi
}
