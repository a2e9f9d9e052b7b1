#!/bin/sh
# Installs the build into a scratch prefix and checks what a desktop needs
# from it: the programs, a valid menu entry with its icons and record types,
# the book, the manual page and the metainfo; then that the installed window,
# started in an empty folder, plays from the installed book.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
src=$2
scratch=$(mktemp -d /tmp/syougi_install_XXXXXX)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
failed=0
fail() { echo "FAIL: $*"; failed=1; }

cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log"; echo "FAIL: cmake --install"; exit 1; }

for p in syougi syougi-usi syougi-kifu syougi-match; do
  [ -x "$prefix/bin/$p" ] || fail "no program bin/$p"
done
entry=$prefix/share/applications/syougi.desktop
mime=$prefix/share/mime/packages/syougi.xml
for f in "$entry" "$mime" "$prefix/share/syougi/joseki.lis" "$prefix/share/man/man6/syougi.6" \
         "$prefix/share/metainfo/example.syougi.syougi.metainfo.xml" \
         "$prefix/share/icons/hicolor/scalable/apps/syougi.svg"; do
  [ -s "$f" ] || fail "missing ${f#$prefix/}"
done
cmp -s "$prefix/share/syougi/joseki.lis" "$src/data/joseki.lis" || fail "the installed book differs"

# Each PNG is as large as the folder it is in says (width and height are
# the big-endian words at bytes 16 and 20).
for n in 16 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${n}x${n}/apps/syougi.png
  size=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$size" = "${n}x${n}" ] || fail "icon ${n}x${n} is ${size:-missing}"
done

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate"
else
  fail "desktop-file-validate is not installed"
fi
for line in 'Type=Application' 'Exec=syougi %f' 'Icon=syougi' 'Categories=Game;BoardGame;'; do
  grep -qxF "$line" "$entry" || fail "the entry lacks $line"
done
for key in 'Name' 'Name\[ja\]' 'Comment' 'Comment\[ja\]'; do
  grep -q "^$key=." "$entry" || fail "the entry has no $key"
done
# Both record types are offered and defined.
for type in text/x-shogi-csa text/x-shogi-kif; do
  grep -q "^MimeType=.*$type;" "$entry" || fail "the entry does not take $type"
  grep -q "type=\"$type\"" "$mime" || fail "$type is not defined"
done
grep -q 'pattern="\*\.csa"' "$mime" || fail "*.csa is no CSA record"
grep -q 'pattern="\*\.kif"' "$mime" || fail "*.kif is no KIF record"

if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/example.syougi.syougi.metainfo.xml" ||
    fail "appstreamcli validate"
fi
if command -v man >/dev/null; then
  man -l "$prefix/share/man/man6/syougi.6" 2>/dev/null | grep -q 'tcp-listen:PORT' || fail "the manual page"
fi

# The installed window in an empty folder: the computer moves first and
# plays from the installed book, whose strategy names are not "mitei". The
# end of the commands closes it.
empty=$scratch/empty
mkdir "$empty"
printf 'click kaisigote\nwait-idle\ntext sennkeil\n' >"$scratch/drive"
(cd "$empty" && QT_QPA_PLATFORM=offscreen timeout 120 "$prefix/bin/syougi" --drive \
  <"$scratch/drive" >"$scratch/out" 2>"$scratch/err") || fail "the installed window: $(cat "$scratch/err")"
strategy=$(sed -n 's/^ok text sennkeil //p' "$scratch/out")
[ -n "$strategy" ] && [ "$strategy" != mitei ] || { cat "$scratch/out"; fail "no book move: strategy '$strategy'"; }
[ -e "$empty/joseki.lis" ] && fail "a book appeared in the working folder"

[ $failed -eq 0 ] && echo "installed into $prefix and checked"
exit $failed
