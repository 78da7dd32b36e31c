#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
# Idempotent: packages already present are left as they are.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev clang libclang-rt-14-dev
  libcurl4-openssl-dev libjsoncpp-dev libmad0-dev libpugixml-dev
  libsdl2-dev libcairo2-dev libpango1.0-dev libgif-dev
  libudev-dev libsystemd-dev libx11-dev libmp3lame-dev libasound2-dev
  fonts-wqy-microhei xvfb xauth
  libxcb-xtest0-dev libxext-dev dbus-daemon ccache xdg-utils openbox
  libcpp-httplib-dev
  zlib1g-dev python3 unzip
  lame libsamplerate0-dev
)

# One query for all packages: those not installed are the ones it does not
# list as "install ok installed".
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
            awk '$2 == "install" && $3 == "ok" && $4 == "installed" {print $1}' || true)
missing=()
for p in "${packages[@]}"; do
  grep -qxF "$p" <<<"$installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -q
  $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
