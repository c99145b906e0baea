#!/bin/bash
# Installs what building and testing SETUP.EXE needs on Debian 12, as root.
# Packages come from Debian's archive only; nothing is installed when
# everything is there already.
set -euo pipefail

packages=(
  cmake ninja-build            # the build
  mingw-w64                    # i686 and x86_64 cross compilers, windres, objdump
  googletest                   # GoogleTest's source, cross-built with our toolchain
  wine wine64                  # runs the x86_64 build and the tests
  xvfb xauth                   # a display when there is none
  imagemagick                  # screenshots to PNG for the demonstration
  file                         # the static checks read the PE header with it
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Run as root to install the packages above." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
