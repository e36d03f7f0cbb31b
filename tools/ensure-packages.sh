#!/usr/bin/env bash
# Installs the Debian packages the build needs when one is missing.
# Sourced by ./run.sh and ./test.sh, which start with vorn_prepare; installs
# only what is absent, so a machine that has everything pays one dpkg query.
vorn_packages=(cmake ninja-build g++ ccache pkg-config libgtest-dev libgmock-dev libbenchmark-dev libsdl2-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libenet-dev libfluidsynth-dev timgm6mb-soundfont zlib1g-dev)

vorn_ensure_packages() {
  local missing=() p
  for p in "${vorn_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
      sudo="sudo -n"
    else
      echo "These Debian packages are needed and I cannot install them without root: ${missing[*]}" >&2
      echo "Run as root: apt-get install -y ${missing[*]}" >&2
      return 1
    fi
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null 2>&1 ||
    { $sudo apt-get update >/dev/null 2>&1 && $sudo apt-get install -y --no-install-recommends "${missing[@]}"; } || {
      echo "apt-get could not install: ${missing[*]}" >&2
      return 1
    }
}

# ccache keeps its cache beside the checkout's parent so that fresh clones on
# one machine share it.
vorn_ccache_env() {
  export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/vorn-ccache}"
  export CCACHE_BASEDIR="$1"
  export CCACHE_NOHASHDIR=1
  export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
}

# The common start of ./run.sh and ./test.sh: moves to the checkout (the
# folder above this file's), installs what is missing and sets up ccache.
# Leaves `root` (the checkout's path) and `jobs` (parallel build jobs) for the
# caller; fails when a package cannot be installed.
vorn_prepare() {
  cd "$(dirname "${BASH_SOURCE[0]}")/.." || return 1
  root=$(pwd)
  vorn_ensure_packages || return 1
  vorn_ccache_env "$root"
  jobs=$(nproc 2>/dev/null || echo 2)
}
