#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the run need. Idempotent: packages are
# named by their real names (dpkg never reports a virtual one installed), so once all are there a
# run installs nothing and needs no network.
set -euo pipefail
PKGS=(
  cmake g++ make pkg-config ninja-build
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-svg-dev libgl-dev
  libexpat1-dev zlib1g-dev libcfitsio-dev libraw-dev libexiv2-dev libavahi-client-dev liberfa-dev
  qt6-image-formats-plugins
  libgtest-dev libgmock-dev libbenchmark-dev libindi-dev
  clang clang-format libclang-rt-14-dev gcovr
  indi-bin avahi-daemon avahi-utils dbus iproute2 procps util-linux
  xvfb xauth x11-apps x11-utils imagemagick python3 locales fonts-dejavu-core
  qt6-speech-dev qt6-declarative-dev qt6-speech-flite-plugin
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
