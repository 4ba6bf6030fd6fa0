#!/usr/bin/env bash
# Installs the Debian packages the suite builds and tests with, only those that are missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libmp3lame-dev libtag1-dev libasound2-dev
  libcdio-dev libcdio-paranoia-dev libcddb2-dev libcue-dev
  libfftw3-dev libsoundtouch-dev
  libgtest-dev xdg-utils
  libx11-dev libxi-dev libxext-dev
  # a real X server for the tests of global hot keys and window shapes
  xvfb xdotool
  # a window manager on that server, and xprop to see it take charge (placement, moves, size limits)
  openbox x11-utils
  # the font the generated window art draws its captions and marks with
  fonts-dejavu-core
  clang libclang-rt-14-dev clang-format
  # reference encoders, used only by bench/codec_bench
  lame vorbis-tools ffmpeg
  # reference ripper, used only by bench/cd_bench
  cd-paranoia
  # a private, headless sound server for the capture and playback tests (tests/soundserver)
  pipewire wireplumber pipewire-pulse pipewire-alsa libasound2-plugins pulseaudio-utils dbus-daemon
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
