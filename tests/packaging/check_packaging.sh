#!/usr/bin/env bash
# Checks what `cmake --install` and `cpack -G DEB` make of a build folder.
#   check_packaging.sh MODE BUILD_DIR PROGRAM...
# MODE is layout, desktop, mime, prefix or debian; PROGRAM lists the programs this build
# installs. Exit status: 0 passed, 1 failed, 77 a tool that the check needs is missing.
set -uo pipefail

mode=$1
build=$2
shift 2
programs=("$@")
cmake_bin=${CMAKE_COMMAND:-cmake}
cpack_bin=${CPACK_COMMAND:-cpack}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
export PKGSYSTEM_ENABLE_FSYNC=0  # the databases built here are temporary: no flushing to disk

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed" >&2; exit 77; }
  done
}
builds() { local p; for p in "${programs[@]}"; do [ "$p" = "$1" ] && return 0; done; return 1; }

icon_sizes=(16 32 48 64 128 256)
# Run-time packages the Debian package must depend on (the Qt libraries come from
# dpkg-shlibdeps or the fallback list, the rest are named in the packaging).
required_depends=(libqt6core6 fonts-ipafont-gothic qt6-translations-l10n qt6-qpa-plugins)
builds kurovel && required_depends+=(libqt6widgets6)

# The files below the prefix that an install of this build must give, and nothing else.
expected_files() {
  local p s
  for p in "${programs[@]}"; do
    echo "bin/$p"
    echo "share/man/man1/$p.1.gz"
  done
  if builds kurovel; then
    echo share/applications/kurovel.desktop
    echo share/mime/packages/kurovel.xml
    echo share/icons/hicolor/scalable/apps/kurovel.svg
    for s in "${icon_sizes[@]}"; do echo "share/icons/hicolor/${s}x${s}/apps/kurovel.png"; done
  fi
}

# Installs into DESTDIR $1 with the prefix /usr, as the Debian package does.
stage() {
  if ! DESTDIR=$1 "$cmake_bin" --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    fail "cmake --install into a DESTDIR failed"
    exit 1
  fi
}

# Compares the files under $1 with expected_files under the prefix folder $2 ("usr" or "./usr").
check_file_list() {
  local listed=$1 prefix=$2
  if ! diff <(expected_files | sed "s|^|$prefix/|" | sort) <(sort "$listed") >"$work/diff"; then
    fail "installed files differ from the expected layout (< expected, > found):"
    cat "$work/diff" >&2
  fi
}

check_layout() {
  need gzip file groff lexgrog ldd
  local root=$work/root f p s
  stage "$root"
  (cd "$root" && find . -mindepth 1 ! -type d | sed 's|^\./||') >"$work/files"
  check_file_list "$work/files" usr

  for p in "${programs[@]}"; do
    f=$root/usr/bin/$p
    [ "$(stat -c %a "$f" 2>/dev/null)" = 755 ] || fail "$p is not installed with mode 755"
    # Every library the installed program needs must resolve outside the build folder.
    if ldd "$f" 2>&1 | grep -q 'not found'; then fail "$p needs a library that is not installed"; fi
    if ldd "$f" 2>&1 | grep -qF "$build"; then fail "$p loads a library from the build folder"; fi

    f=$root/usr/share/man/man1/$p.1.gz
    # The page must format without a troff warning, and its NAME line must be readable
    # by the manual indexer (what `apropos` and `whatis` show).
    if ! zcat "$f" | preconv -e UTF-8 | groff -man -Tutf8 -ww -z 2>"$work/groff" || [ -s "$work/groff" ]; then
      fail "manual page of $p has troff errors:"; cat "$work/groff" >&2
    fi
    lexgrog "$f" 2>/dev/null | grep -q "\"$p - " || fail "manual page of $p has no NAME line for $p"
  done

  # The installed programs start from their new place and say what they are.
  local answers=("kurovel-run --help kurovel-run" "kurovel-class --help kurovel-class" "kurovel --help kurovel" "kurovel --version ${KUROVEL_VERSION:-}")
  local answer program option text
  for answer in "${answers[@]}"; do
    read -r program option text <<<"$answer"
    builds "$program" || continue
    QT_QPA_PLATFORM=offscreen timeout 20 "$root/usr/bin/$program" "$option" >"$work/answer" 2>&1 &&
      grep -qF -- "$text" "$work/answer" || fail "the installed '$program $option' does not print '$text'"
  done

  if builds kurovel; then
    for s in "${icon_sizes[@]}"; do
      f=$root/usr/share/icons/hicolor/${s}x${s}/apps/kurovel.png
      file -b "$f" | grep -q "^PNG image data, $s x $s," || fail "icon in ${s}x${s} is $(file -b "$f")"
    done
    xmllint --noout "$root/usr/share/icons/hicolor/scalable/apps/kurovel.svg" ||
      fail "the scalable icon is no well-formed SVG"
    for f in $(cd "$root" && find usr/share -type f); do
      [ "$(stat -c %a "$root/$f")" = 644 ] || fail "$f is not installed with mode 644"
    done
  fi
}

check_desktop() {
  need desktop-file-validate update-desktop-database
  local root=$work/root entry exec_line icon_name s type
  stage "$root"
  entry=$root/usr/share/applications/kurovel.desktop
  # Hints (such as the entry being in two main categories on purpose) are not faults.
  desktop-file-validate "$entry" >"$work/validate" 2>&1 || fail "desktop-file-validate failed"
  if grep -E '(error|warning):' "$work/validate" >&2; then fail "desktop-file-validate complains"; fi

  # A double-click passes exactly one local path: %f, not a list (%F) or URLs (%u, %U).
  exec_line=$(sed -n 's/^Exec=//p' "$entry")
  [ -x "$root/usr/bin/${exec_line%% *}" ] || fail "Exec '$exec_line' names no installed program"
  [ "${exec_line#* }" = "%f" ] || fail "Exec '$exec_line' does not take one file path (%f)"

  icon_name=$(sed -n 's/^Icon=//p' "$entry")
  for s in "${icon_sizes[@]}"; do
    [ -f "$root/usr/share/icons/hicolor/${s}x${s}/apps/$icon_name.png" ] ||
      fail "Icon '$icon_name' has no ${s}x${s} picture"
  done
  for key in 'Name\[ja\]' 'Comment\[ja\]' 'Comment'; do
    grep -q "^$key=." "$entry" || fail "the entry has no $key"
  done

  # Every type the launcher claims is one the installed file-type definition declares, and
  # the desktop database offers the launcher for it.
  update-desktop-database "$root/usr/share/applications"
  for type in $(sed -n 's/^MimeType=//p' "$entry" | tr ';' ' '); do
    grep -q "<mime-type type=\"$type\">" "$root/usr/share/mime/packages/kurovel.xml" ||
      fail "MimeType $type is not defined by kurovel.xml"
    grep -qx "$type=kurovel.desktop;" "$root/usr/share/applications/mimeinfo.cache" ||
      fail "the desktop database does not open $type with kurovel.desktop"
  done
}

check_mime() {
  need xmllint update-mime-database
  local root=$work/root mime=$work/mime line pattern
  stage "$root"
  xmllint --noout "$root/usr/share/mime/packages/kurovel.xml" || fail "kurovel.xml is not well-formed"

  # Compile it together with the system's definitions, as a desktop does, and look at which
  # type claims which names.
  mkdir -p "$mime/packages"
  cp "$root/usr/share/mime/packages/kurovel.xml" "$mime/packages/"
  [ -f /usr/share/mime/packages/freedesktop.org.xml ] && cp /usr/share/mime/packages/freedesktop.org.xml "$mime/packages/"
  update-mime-database "$mime" 2>"$work/update" || { cat "$work/update" >&2; fail "update-mime-database failed"; }
  grep -qx 'text/x-kurovel-program text/plain' "$mime/subclasses" ||
    fail "the program type is not a kind of plain text"
  # Both spellings the program accepts on its command line, matched with case, so that a
  # file named "a.Kv" (which the program would not open) is not offered to it.
  for pattern in '*.kv' '*.KV'; do
    grep -qxF "50:text/x-kurovel-program:$pattern:cs" "$mime/globs2" ||
      fail "$pattern is not a case-sensitive name of the program type"
  done
  while IFS= read -r line; do
    [[ $line == *:text/x-kurovel-program:* ]] || fail "another type also claims .kv: $line"
  done < <(grep -i ':\*\.kv\(:\|$\)' "$mime/globs2")
  grep -q '<comment xml:lang="ja">' "$root/usr/share/mime/packages/kurovel.xml" ||
    fail "the program type has no Japanese comment"
}

# The README's way: a direct install into a prefix, with no package manager to run triggers.
check_prefix() {
  need update-mime-database update-desktop-database
  local prefix=$work/prefix
  if ! "$cmake_bin" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2; fail "cmake --install --prefix failed"; return
  fi
  grep -q 'Could not refresh' "$work/install.log" && fail "the install could not refresh the caches"
  grep -qxF 'text/x-kurovel-program:*.kv' <(cut -d: -f2- "$prefix/share/mime/globs2" 2>/dev/null) ||
    fail "the prefix's file-type database does not know *.kv"
  grep -qx 'text/x-kurovel-program=kurovel.desktop;' "$prefix/share/applications/mimeinfo.cache" 2>/dev/null ||
    fail "the prefix's desktop database does not open .kv files with kurovel.desktop"
}

check_debian() {
  need dpkg-deb file
  local out=$work/deb debs deb version depends dep p
  if ! (cd "$build" && "$cpack_bin" -G DEB -B "$out") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; return
  fi
  version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
  debs=("$out"/kurovel_"$version"_*.deb)
  [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { fail "no kurovel_${version}_<arch>.deb was made"; return; }
  deb=${debs[0]}

  [ "$(dpkg-deb --field "$deb" Package)" = kurovel ] || fail "the package is not named kurovel"
  [ "$(dpkg-deb --field "$deb" Section)" = education ] || fail "the package is not in section education"
  [ "$(dpkg-deb --field "$deb" Architecture)" = "$(dpkg --print-architecture)" ] ||
    fail "the package is not built for $(dpkg --print-architecture)"
  [[ $(dpkg-deb --field "$deb" Maintainer) == *'<'*'@'*'>' ]] || fail "the maintainer has no address"
  depends=$(dpkg-deb --field "$deb" Depends)
  for dep in "${required_depends[@]}"; do
    [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $depends"
  done

  dpkg-deb --contents "$deb" >"$work/contents" || { fail "dpkg-deb --contents failed"; return; }
  awk '$1 !~ /^d/ {print $6}' "$work/contents" | sed 's|^\./||' >"$work/files"
  check_file_list "$work/files" usr
  awk '$2 != "root/root" {print}' "$work/contents" | grep . >&2 && fail "files not owned by root/root"

  dpkg-deb --extract "$deb" "$work/extracted"
  for p in "${programs[@]}"; do
    [ "$(stat -c %a "$work/extracted/usr/bin/$p")" = 755 ] || fail "$p is not packaged with mode 755"
    file -b "$work/extracted/usr/bin/$p" | grep -q ', stripped' || fail "$p is packaged with its debug symbols"
  done
}

case $mode in
  layout | desktop | mime | prefix | debian) "check_$mode" ;;
  *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "packaging $mode: passed"
