#!/usr/bin/env bash
# test_package.sh CPACK CPACK_CONFIG VERSION FONT_CONFIG_DIR
# Packs the build, has lintian check it, unpacks the .deb into a private root and checks its
# files, its fields and the unpacked program itself. Missing tools: a failure under CI, a skip
# (77) elsewhere.
set -uo pipefail
cpack=$1 config=$2 version=$3 fonts=$4
fail() { echo "FAIL: $*" >&2; exit 1; }
need() {
  command -v "$1" >/dev/null && return 0
  [ -n "${CI:-}" ] && fail "$1 is not installed ($2)"
  echo "SKIP: $1 is not installed ($2); this test fails in CI" >&2
  exit 77
}
need dpkg-shlibdeps dpkg-dev
need file file
need desktop-file-validate desktop-file-utils
need soffice libreoffice-writer
need lintian lintian

tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
"$cpack" --config "$config" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log" >&2; fail "cpack"; }
deb="$tmp/out/hengbi_${version}-1_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$tmp/out")"
lintian --fail-on error --no-tag-display-limit "$deb" >"$tmp/lintian.log" 2>&1 ||
  { cat "$tmp/lintian.log" >&2; fail "lintian reports errors"; }
root="$tmp/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"

share="$root/usr/share"
for f in usr/bin/hengbi usr/share/applications/hengbi.desktop etc/hengbi/Set.ini \
  etc/hengbi/帮助.txt etc/hengbi/市镇县乡村劳动保障监察员联系方式.txt \
  usr/share/doc/hengbi/copyright usr/share/doc/hengbi/changelog.Debian.gz; do
  [ -s "$root/$f" ] || fail "$f missing or empty"
done
[ "$(ls "$root/usr/bin")" = hengbi ] || fail "usr/bin holds $(ls "$root/usr/bin")"
for m in office network audio print password; do
  [ -n "$(find "$root/usr/lib" -name "hengbi-$m.so" -size +0)" ] || fail "no module hengbi-$m.so"
done
for size in 48 256; do
  file "$share/icons/hicolor/${size}x${size}/apps/hengbi.png" | grep -q "PNG image data, $size x $size" ||
    fail "no ${size}x${size} PNG icon"
done
for conf in "$fonts"/*.conf; do
  [ -e "$conf" ] || continue
  name=$(basename "$conf")
  cmp -s "$conf" "$share/fontconfig/conf.avail/$name" || fail "conf.avail/$name"
  [ "$(readlink "$root/etc/fonts/conf.d/$name")" = "/usr/share/fontconfig/conf.avail/$name" ] ||
    fail "/etc/fonts/conf.d/$name is not the link to conf.avail"
done

entry="$share/applications/hengbi.desktop"
desktop-file-validate "$entry" || fail "desktop entry does not validate"
for line in 'Name=衡笔' 'GenericName=劳动保障监察询问笔录' 'Exec=hengbi' 'Icon=hengbi' \
  'Categories=Office;'; do
  grep -qx "$line" "$entry" || fail "desktop entry lacks $line"
done
grep -q '^Comment=.*笔录' "$entry" || fail "desktop entry lacks a Chinese comment"

fields=$(dpkg-deb -f "$deb" Depends Recommends)
for pkg in libqt6core6 libqt6gui6 libqt6widgets6 libpulse0 libreoffice-writer fonts-noto-cjk \
  fonts-symbola fonts-arphic-gbsn00lp cups-client libcups2 libcurl4 libsodium23 qt6-translations-l10n; do
  grep -q "^Depends:.*[ ,]$pkg\( (\|,\|$\)" <<<"$fields" || fail "Depends lacks $pkg: $fields"
done
! grep -q "^Depends:.*\(multimedia\|libreoffice-calc\)" <<<"$fields" || fail "Depends: $fields"
grep -q '^Recommends: libreoffice-calc, .*fcitx5-chinese-addons | ibus-libpinyin' <<<"$fields" ||
  fail "Recommends: $fields"

# An office's edit of a default survives a reinstall, in a dpkg database of its own.
dpkg-deb -I "$deb" conffiles | grep -qx /etc/hengbi/Set.ini || fail "Set.ini is no conffile"
sys="$tmp/sys"
mkdir -p "$sys/var/lib/dpkg/info" "$sys/var/lib/dpkg/updates" && touch "$sys/var/lib/dpkg/status"
dpkg_install() {
  dpkg --root="$sys" --log=/dev/null --force-depends --force-not-root --force-confold -i "$deb" \
    >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log" >&2; fail "dpkg -i"; }
}
dpkg_install
printf '[office]\r\n' >>"$sys/etc/hengbi/Set.ini"
dpkg_install
tail -c 10 "$sys/etc/hengbi/Set.ini" | grep -q '^\[office\]' || fail "the edited Set.ini was replaced"

# The unpacked program, with no display and a home of its own.
home="$tmp/home"
mkdir -p "$home"
run() { env -i PATH="$PATH" HOME="$home" LANG=C.UTF-8 "$root/usr/bin/hengbi" "$@"; }
[ "$(run --version)" = "hengbi $version" ] || fail "--version: $(run --version 2>&1)"
run --help | grep -q '^  compose ' && run --help | grep -q '^  seed-home ' ||
  fail "--help lists no commands"

# compose seeds the user's program directory from the unpacked defaults, as an install does.
printf '\r\n[hengbi-package-test]\r\n' >>"$root/etc/hengbi/Set.ini"
printf '[set]\nnum1=2026\nnum2=9\nnum3=15\nnum6=10\nnum7=40\nnum10=张三\nnum16=某公司\n' |
  iconv -f UTF-8 -t GBK >"$tmp/r.ini"
run compose "$tmp/r.ini" --out "$tmp/r.pdf" || fail "compose"
[ "$(head -c 4 "$tmp/r.pdf")" = "%PDF" ] || fail "compose wrote no PDF"
cmp -s "$root/etc/hengbi/Set.ini" "$home/.local/share/hengbi/Set.ini" ||
  fail "the program directory was not seeded from etc/hengbi"
echo "package ok: $(basename "$deb")"
