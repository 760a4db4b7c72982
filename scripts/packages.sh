# Debian 12 packages the project needs; sourced by run.sh and test.sh.
# dpkg-dev and file make the .deb: dpkg-shlibdeps, and file to find what it must scan.
# libreoffice-dev: the UNO headers, libraries and cppumaker that speak to the kept office.
# libcups2-dev: the state of a printer and of a print job.
# libfontconfig-dev: the font configuration is read beside the application object's start.
HB_BUILD_PACKAGES="build-essential cmake ninja-build ccache pkg-config qt6-base-dev
  libqt6opengl6-dev libgl-dev libcurl4-openssl-dev libsodium-dev libpulse-dev libreoffice-dev
  libcups2-dev libfontconfig-dev dpkg-dev file"
# fonts-arphic-gbsn00lp: AR PL SungtiL GB, the Song face with SimSun's widths that draws 宋体;
# fonts-noto-cjk: the window's face and the fallback for characters beyond GB2312;
# fonts-symbola: emoji, which LibreOffice otherwise leaves a gap for and misplaces what follows.
# qt6-translations-l10n: Qt's own dialogs and buttons in Chinese.
HB_RUN_PACKAGES="fonts-arphic-gbsn00lp fonts-noto-cjk fonts-symbola xvfb xauth xdg-utils libreoffice-writer libreoffice-calc
  pulseaudio pulseaudio-utils qt6-translations-l10n"
# The Windows edition: MinGW-w64 (posix threads for std::thread), Wine to run it, NSIS to
# package it, dpkg-dev to unpack Debian's Qt and libsodium sources and autotools to configure
# libsodium, ImageMagick for the screenshot.
HB_WINDOWS_PACKAGES="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 nsis
  dpkg-dev autoconf automake libtool ninja-build cmake ccache imagemagick xvfb xauth"
# xdotool, xclip, x11-xserver-utils (xmodmap): the officer's walk; desktop-file-utils: the
# launcher's check.
HB_TEST_PACKAGES="sox cups cups-client cups-bsd printer-driver-cups-pdf python3-pyftpdlib lintian
  poppler-utils xdotool xclip x11-xserver-utils desktop-file-utils"

# Installs what is missing (as root), or prints the command to run.
hb_ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Run:" >&2
    echo "  sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
    return 1
  fi
}

hb_build() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build
}
