#!/usr/bin/env bash
# tests/wine/run.sh BUILD_DIR: in a fresh Wine prefix under openbox, the Qt tests
# of the Windows files on a faked day; the real Mirebo.exe at its corners at three
# scales, under openbox and in Wine's own desktop; the installer; the launcher.
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: $0 build-win}" && pwd)
source "$here/../e2e/lib.sh" "$build/src/Mirebo.exe"
# Wine takes the user locale (and its code page, 932) from the environment.
export LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$build/wineprefix
# What a key changes here is any window on the screen, the tool and the message
# boxes are other programs' or Wine's; in Wine's own desktop, where every
# window draws into one X window, its picture.
shown() {
    if [ "${desktop:-}" = wine ]; then import -window root rgb:- 2>/dev/null | md5sum
    else xdotool search --onlyvisible --name '' 2>/dev/null | sort | tr '\n' ' '; fi
}
trap 'cleanup; wineserver -k 2>/dev/null || true; rm -rf "$scratch"' EXIT

start_x
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1 || fail "wineboot could not make a prefix"
# Only deleting what is not there may fail.
reg() { local out; out=$(wine reg "$@" </dev/null 2>&1) || [ "$1" = delete ] || fail "wine reg $*: $out"; }
# Wine's console writes in the ANSI code page.
reg_value() { wine reg query "$1" /v "$2" </dev/null 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
probe() { wine "$build/tests/win/winprobe.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
# Ends every Windows program too.
restart_wine() { wineserver -k 2>/dev/null || true; wineserver -w; forget_faked; }
# A Windows user's own long date, where Wine's Japanese default adds the
# weekday; and the Windows gothic, which Wine does not have, as the stand-in
# the program draws its date with on Linux too (see README, Fonts). The faked
# day has a two-digit month and day, the widest kind of date.
reg add 'HKCU\Control Panel\International' /v sLongDate /t REG_SZ /d "yyyy'年'M'月'd'日'" /f
reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d IPAPGothic /f
wineserver -w

# The server keeps Wine's clock, so it starts afresh under the faked one.
faked '@2003-12-28 12:00:00' env MIREBO_EXPECT_LABEL='2003年12月28日(日)' \
    wine "$build/tests/win/tst_windows.exe" -o "$build/tst_windows.txt,txt" >/dev/null 2>&1 \
    || { cat "$build/tst_windows.txt" >&2; fail "tst_windows under Wine"; }
restart_wine
pass "$(grep -E '^Totals' "$build/tst_windows.txt")"

# at_corner TITLE LEFT TOP: the window's rectangle, as GetWindowRect gives it in
# physical pixels, within 1 px of (W - LEFT, H - TOP) twips at the DPI in force, on top.
at_corner() {
    local l t top dpi w h
    read -r l t _ _ top dpi w h <<<"$(probe rect "$1")"
    DETAIL="($l, $t) on a ${w}x$h screen at $dpi dpi, topmost $top"
    [ "$top" = 1 ] && awk -v l="$l" -v t="$t" -v w="$w" -v h="$h" -v d="$dpi" -v x="$2" -v y="$3" \
        'function off(v) { return v < 0 ? -v : v } BEGIN { exit !(off(w - x * d / 1440 - l) <= 1 && off(h - y * d / 1440 - t) <= 1) }'
}

# corners_row ROW DESKTOP DPI: the today and, after Alt+V, C, Y, the twelve-month
# window at their corners. In Wine's own desktop every Windows program runs inside
# one X window, the probe too, and keys reach the program through that window.
explorer='HKCU\Software\Wine\Explorer'
corners_row() {
    local desktop=$2 target
    if [ "$desktop" = wine ]; then
        reg add "$explorer" /v Desktop /t REG_SZ /d Default /f
        reg add "$explorer\Desktops" /v Default /t REG_SZ /d 1920x1080 /f
    fi
    reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$3" /f
    restart_wine
    start_app wine
    at_corner 'ﾐﾚﾎﾞ' 2370 1500 || fail "the today window $DETAIL"
    target=$(wait_window "$([ "$desktop" = wine ] && echo 'Default - .*' || echo 'ﾐﾚﾎﾞ')") || fail "no X window to type in"
    type_keys "$target" alt+v c y
    at_corner 'ミレボ' 7365 9375 || fail "the twelve-month window $DETAIL"
    pass "$1: the today and twelve-month windows at their corners, on top"
}
each_row corners_row <<'ROWS'
openbox, 96 dpi|openbox|96
openbox, 120 dpi|openbox|120
openbox, 144 dpi|openbox|144
Wine's desktop, 96 dpi|wine|96
Wine's desktop, 120 dpi|wine|120
Wine's desktop, 144 dpi|wine|144
ROWS
reg delete "$explorer" /v Desktop /f
desktop=openbox
reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f
restart_wine

start_app wine
today=$(wait_window 'ﾐﾚﾎﾞ') || fail "the today window did not appear"
three=$(switch_to 'ミレボ' "$today" alt+v c t) || fail "Alt+V, C, T did not open a calendar"
at_corner 'ミレボ' 7350 3330 || fail "the three-month window $DETAIL"
today=$(switch_to 'ﾐﾚﾎﾞ' "$three" alt+v d) || fail "Alt+V, D did not bring the today window back"
at_corner 'ﾐﾚﾎﾞ' 2370 1500 || fail "the today window, back, $DETAIL"
pass "three months and back with the keyboard, each at its corner"

# The launcher. Windows keeps the tool in a folder with spaces, and a
# C:\Program.exe must never be what starts instead of it.
type_keys "$today" alt+v a
about=$(wait_window 'ミレボのﾊﾞｰｼﾞｮﾝ情報') || fail "no About window"
c=$WINEPREFIX/drive_c
mkdir -p "$c/Program Files/Common Files/Microsoft Shared/MSInfo" "$c/Tools/Folder/MSINFO32.EXE"
cp "$c/windows/system32/msinfo32.exe" "$c/Program Files/Common Files/Microsoft Shared/MSInfo/"
cp "$build/bench/bench_floor_win32.exe" "$c/Program.exe"
msinfo='HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO'
location='HKLM\SOFTWARE\Microsoft\Shared Tools Location'
message='現時点ではｼｽﾃﾑ情報を使用できません'
# tool_in_front ID TITLE: in front on the X side, and for Windows visible, not minimized, in the foreground.
tool_in_front() {
    local state
    in_front "$1" && state=$(probe state "$2") && echo "for Windows visible, minimized, foreground: $state" && [ "$state" = "1 0 1" ]
}
# launcher_row ROW PATH FOLDER EXPECTED: the registry's PATH and MSINFO values, and the window the button brings.
launcher_row() {
    local path=$2 folder=$3 expected=$4
    # A tool a failed row left open would stand in for the next row's.
    tool= && trap '[ -z "$tool" ] || wait_gone "$tool" || xdotool windowkill "$tool"' EXIT
    reg delete "$msinfo" /f; reg delete "$location" /f
    [ -z "$path" ] || reg add "$msinfo" /v PATH /t REG_SZ /d "$path" /f
    [ -z "$folder" ] || reg add "$location" /v MSINFO /t REG_SZ /d "$folder" /f
    type_keys "$about" alt+s
    tool=$(wait_window "$expected") || fail "no window '$expected'"
    [ "$expected" != ミレボ ] || probe texts ミレボ | grep -qx "$message" || fail "the message box does not say $message"
    # The tool as the user who pressed the button sees it, on the X side and for Windows.
    [ "$expected" = ミレボ ] || until_true 60 tool_in_front "$tool" "$expected" \
        || fail "the tool not viewable, normal and active: $SAW"
    ! visible_named floor || fail "C:\\Program.exe was started"
    type_keys "$tool" Return
    viewable "$about" || fail "the About window closed"
    pass "$1: '$expected', in front if the tool, and the About window stays"
}
each_row launcher_row < <(sed '/^#/d; s/ *| */|/g' "$here/../data/wine_launcher.txt")
restart_wine

# Signing: a throwaway code-signing certificate signs Mirebo.exe and the
# installer as a release manager's would; both verify against it, a file
# changed after signing does not, and a certificate that cannot sign stops
# the build with a message and no file. The signed package is the one
# installed below.
top=$here/../..
maker=$(sed -n 's/^set(MIREBO_MAKER "\(.*\)")/\1/p' "$top/CMakeLists.txt")
make_msi() { mkdir -p "$2" && beside_leftovers bash "$top/resources/make_msi.sh" "$1" ミレボ "$maker" https://mirebo.example.org "$MIREBO" \
    "$build/resources/mirebo.ico" "$build/resources/windows-docs" "$2/Mirebo-$1-x64.msi" "$2/Mirebo.exe"; }
for cert in "good 30 +0" "old 30 -60d"; do set -- $cert
    faked "$3" openssl req -x509 -newkey rsa:2048 -keyout "$scratch/$1.key" -out "$scratch/$1.pem" -days "$2" \
        -subj "/CN=Mirebo test" -addext extendedKeyUsage=codeSigning -passout pass:secret 2>/dev/null || fail "no certificate"
done
MIREBO_SIGN_CERT=$scratch/good.pem MIREBO_SIGN_KEY=$scratch/good.key MIREBO_SIGN_PASSWORD=secret \
    make_msi 1.1.0 "$scratch/signed" || fail "no signed package"
signed_msi=$scratch/signed/Mirebo-1.1.0-x64.msi signed_exe=$scratch/signed/Mirebo.exe
verify() { osslsigncode verify -CAfile "$scratch/good.pem" -in "$1" 2>&1 | grep -qx 'Succeeded'; }
cp "$signed_exe" "$scratch/changed.exe" && printf X | dd of="$scratch/changed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
verify "$signed_exe" && verify "$signed_msi" && ! verify "$scratch/changed.exe" || fail "the signatures verify wrongly"
# refused_row ROW CERT KEY PASSWORD WHAT: a certificate that cannot sign stops the build, saying WHAT.
refused_row() {
    out=$(MIREBO_SIGN_CERT=$scratch/$2 MIREBO_SIGN_KEY=$scratch/$3 MIREBO_SIGN_PASSWORD=$4 \
        make_msi 1.1.0 "$scratch/refused" 2>&1) && fail "signed all the same"
    grep -q "$5" <<<"$out" && [ -z "$(ls -A "$scratch/refused")" ] || fail "'$out', left $(ls -A "$scratch/refused")"
}
each_row refused_row <<'ROWS'
a wrong password|good.pem|good.key|wrong|wrong MIREBO_SIGN_PASSWORD
a missing certificate|none.pem|good.key|secret|no such file
an expired certificate|old.pem|old.key|secret|expired
ROWS
pass "signed Mirebo.exe and installer verify, a changed file does not; a wrong password, a missing file, an expired certificate stop with no file"

# The installer: the signed package over a test package of an earlier
# version, the program from where it was installed, a refused downgrade,
# and the uninstall.
make_msi 1.0.9 "$scratch/old" || fail "no test package 1.0.9"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
entries() { wine reg query "$uninstall" </dev/null 2>/dev/null | tr -d '\r' | grep -F '{' | while read -r key; do
    [ "$(reg_value "$key" DisplayName)" = ミレボ ] && echo "$key"; done; }
installed=$c/Program\ Files/Mirebo/Mirebo.exe
wine msiexec /i "$scratch/old/Mirebo-1.0.9-x64.msi" /qn </dev/null || fail "msiexec /i 1.0.9"
wine msiexec /i "$signed_msi" /qn </dev/null || fail "msiexec /i $(basename "$signed_msi")"
key=$(entries)
[ "$(wc -l <<<"$key")" = 1 ] || fail "Programs and Features lists: $key"
for check in "DisplayVersion 1.1.0" "Publisher $maker"; do
    [ "$(reg_value "$key" "${check%% *}")" = "${check#* }" ] || fail "${check%% *}: $(reg_value "$key" "${check%% *}")"
done
# Programs and Features shows the icon the installer registered for the product.
icon=$(wine reg query 'HKLM\Software\Classes\Installer\Products' /s </dev/null 2>/dev/null | tr -d '\r' \
    | grep -F "${key##*\\}\\mirebo.ico" | sed 's/^ *ProductIcon *REG_SZ *//')
[ -f "$(winepath -u "$icon" 2>/dev/null)" ] || fail "no product icon: '$icon'"
cmp -s "$installed" "$signed_exe" && verify "$installed" || fail "no signed Mirebo.exe under Program Files\\Mirebo"
# Qt's licence, as the LGPL asks of a program that links Qt in.
for file in Qt-NOTICE.txt Qt-COPYRIGHT.txt LGPL-3.txt GPL-3.txt mingw-w64-COPYRIGHT.txt; do
    cmp -s "$c/Program Files/Mirebo/$file" "$build/resources/windows-docs/$file" || fail "no $file under Program Files\\Mirebo"
done
# Wine puts a per-machine package's shortcut in the user's Start menu too.
link=$(find "$c/ProgramData/Microsoft/Windows/Start Menu/Programs" "$c/users" -name 'ミレボ.lnk' 2>/dev/null | head -n 1)
[ -n "$link" ] || fail "no Start-menu entry ミレボ"
grep -qaF 'C:\Program Files\Mirebo\Mirebo.exe' "$link" || fail "the shortcut does not start Program Files\\Mirebo\\Mirebo.exe"
pass "1.0.9 then 1.1.0: one entry ミレボ 1.1.0 with its publisher and icon, the signed Mirebo.exe and Qt's licence under Program Files, the Start-menu entry"

MIREBO='C:\Program Files\Mirebo\Mirebo.exe' start_app wine
at_corner 'ﾐﾚﾎﾞ' 2370 1500 || fail "the installed program: the today window $DETAIL"
restart_wine
pass "the installed program opens at its corner"

wine msiexec /i "$scratch/old/Mirebo-1.0.9-x64.msi" /qn </dev/null && fail "1.0.9 installed over 1.1.0"
[ "$(entries)" = "$key" ] && [ "$(reg_value "$key" DisplayVersion)" = 1.1.0 ] && cmp -s "$installed" "$signed_exe" \
    || fail "the refused downgrade changed the installation"
wine msiexec /i "$scratch/old/Mirebo-1.0.9-x64.msi" </dev/null >/dev/null 2>&1 &
pids+=($!)
# Wine's message box for a failed launch condition is captioned "Install Failed".
probe texts 'Install Failed' | grep -q 'より新しいバージョンがインストールされています' || fail "the downgrade gives no clear message"
restart_wine
pass "1.0.9 over 1.1.0 is refused with a message, leaving 1.1.0 as it was"

wine msiexec /x "$signed_msi" /qn </dev/null || fail "msiexec /x"
left=$(find "$c" -name 'ミレボ.lnk' -o -ipath '*/Program Files/Mirebo*' -o -ipath "*/Installer/${key##*\\}*")
[ -z "$left$(entries)" ] || fail "left after the uninstall: $left $(entries)"
pass "the uninstall leaves no file, shortcut or entry behind"

# A planted DLL: one of the test's own, without their functions, under the name of each DLL Mirebo.exe
# delay-loads (statically it imports only KnownDLLs and API sets: check_version_record.py), beside a copy
# of it and of the bare Qt window, built the same way but not restricting the search; Wine told to prefer
# such a DLL where its search finds one, and to say what it loads. The bare window loads them, so the test
# can tell; Mirebo.exe loads none and starts. Wine's own user32 imports version.dll (Windows' does not)
# before main(): that one stays Wine's.
plants=$(sed -n 's/^LIBRARY //p' "$build"/delayload/*.def)
echo 'int planted;' | x86_64-w64-mingw32-gcc -shared -x c - -o "$scratch/plant.dll" || fail "no DLL to plant"
for exe in "$build/bench/bench_floor.exe" "$MIREBO"; do dir=$scratch/planted-${exe##*/} && mkdir -p "$dir" && cp "$exe" "$dir/"
    for dll in $plants; do cp "$scratch/plant.dll" "$dir/$dll"; done; done
export WINEDEBUG=+loaddll WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$(printf '%s\n' $plants | grep -vx version.dll | sed 's/\.dll$//' | paste -sd ,)=n,b"
planted() { grep -o 'planted-[^"]*\\[a-z0-9_]*\.dll" at [0-9A-F]*: native' "$1"; }
wine "$scratch/planted-bench_floor.exe/bench_floor.exe" </dev/null >/dev/null 2>"$scratch/floor.log" & pids+=($!)
until_true 60 planted "$scratch/floor.log" || fail "the bare Qt window loaded no planted DLL"
restart_wine && MIREBO=$scratch/planted-Mirebo.exe/Mirebo.exe start_app wine
wait_window 'ﾐﾚﾎﾞ' >/dev/null && at_corner 'ﾐﾚﾎﾞ' 2370 1500 || fail "Mirebo.exe beside planted DLLs: the today window $DETAIL"
! planted "$scratch/app.log" && kill -0 "$APP_PID" || fail "Mirebo.exe loaded $(planted "$scratch/app.log")"
restart_wine && export WINEDLLOVERRIDES=${WINEDLLOVERRIDES%;*} WINEDEBUG=-all
pass "Mirebo.exe beside the planted $(echo $plants): starts at its corner and loads none"

/usr/bin/python3 "$here/../packaging/check_version_record.py" "$MIREBO" 1 1 0 || fail "the version record of Mirebo.exe"
# The portable zip: the installer's Mirebo.exe, the short text and Qt's licence.
mkdir -p "$scratch/zip" && unzip -q "$build/Mirebo-1.1.0-x64.zip" -d "$scratch/zip" || fail "no Mirebo-1.1.0-x64.zip"
[ "$(LC_ALL=C ls "$scratch/zip" | tr '\n' ' ')" = "GPL-3.txt LGPL-3.txt Mirebo.exe Qt-COPYRIGHT.txt Qt-NOTICE.txt README.txt mingw-w64-COPYRIGHT.txt " ] \
    && cmp -s "$scratch/zip/Mirebo.exe" "$build/Mirebo.exe" || fail "the zip holds $(ls "$scratch/zip")"
pass "the zip holds Mirebo.exe, README.txt and Qt's licence"
