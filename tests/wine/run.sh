#!/usr/bin/env bash
# tests/wine/run.sh BUILD_DIR: in a fresh Wine prefix under openbox, the Qt tests
# of the Windows files on a faked day, then the real Mirebo.exe with the keyboard.
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: $0 build-win}" && pwd)
source "$here/../e2e/lib.sh" "$build/src/Mirebo.exe"
# Wine takes the user locale (and its code page, 932) from the environment.
export LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$build/wineprefix
trap 'cleanup; wineserver -k 2>/dev/null || true; rm -rf "$scratch"' EXIT

# openbox draws a thinner frame than the Windows one the program placed.
near_corner() { placed "$1" "$2 $3" 6 || fail "frame $DETAIL, expected near ($2, $3)"; }

start_x
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1 || fail "wineboot could not make a prefix"
reg() { wine reg "$@" </dev/null >/dev/null 2>&1 || true; }
# A Windows user's own long date, where Wine's Japanese default adds the
# weekday; and the Windows gothic, which Wine does not have, as its twin.
reg add 'HKCU\Control Panel\International' /v sLongDate /t REG_SZ /d "yyyy'年'M'月'd'日'" /f
reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d IPAPGothic /f
wineserver -w

# The server keeps Wine's clock, so it starts afresh under the faked one.
faketime '2003-04-30 12:00:00' env MIREBO_EXPECT_LABEL='2003年4月30日(水)' \
    wine "$build/tests/win/tst_windows.exe" -o "$build/tst_windows.txt,txt" >/dev/null 2>&1 \
    || { cat "$build/tst_windows.txt" >&2; fail "tst_windows under Wine"; }
wineserver -k 2>/dev/null || true; wineserver -w
pass "$(grep -E '^Totals' "$build/tst_windows.txt")"

start_app wine
today=$(wait_window 'ﾐﾚﾎﾞ') || fail "the today window did not appear"
near_corner "$today" 1762 980
xprop -id "$today" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the today window is not on top"
pass "the today window is at (W - 2370, H - 1500) twips, within the frames' difference, and on top"

three=$(switch_to 'ミレボ' "$today" alt+v c t) || fail "Alt+V, C, T did not open a calendar"
near_corner "$three" $((1920 - 490)) $((1080 - 222))
today=$(switch_to 'ﾐﾚﾎﾞ' "$three" alt+v d) || fail "Alt+V, D did not bring the today window back"
near_corner "$today" 1762 980
pass "three months and back with the keyboard, each at its corner"

type_keys "$today" alt+v a
about=$(wait_window 'ミレボのﾊﾞｰｼﾞｮﾝ情報') || fail "no About window"
msinfo='HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO'
location='HKLM\SOFTWARE\Microsoft\Shared Tools Location'
# PATH | MSINFO | the window the button brings
while IFS='|' read -r path folder expected; do
    reg delete "$msinfo" /f; reg delete "$location" /f
    [ -n "$path" ] && reg add "$msinfo" /v PATH /t REG_SZ /d "$path" /f
    [ -n "$folder" ] && reg add "$location" /v MSINFO /t REG_SZ /d "$folder" /f
    type_keys "$about" alt+s
    shown=$(wait_window "$expected") || fail "PATH '$path', MSINFO '$folder': no window '$expected'"
    type_keys "$shown" Return
    wait_gone "$shown" || xdotool windowkill "$shown"
    xwininfo -id "$about" | grep -q IsViewable || fail "the About window closed"
    pass "PATH '$path', MSINFO '$folder': '$expected', and the About window stays"
done <<'CASES'
C:\windows\system32\msinfo32.exe||システム情報 について
|C:\windows\system32|システム情報 について
||ミレボ
CASES

/usr/bin/python3 "$here/../packaging/check_version_record.py" "$MIREBO" 1 1 0 || fail "the version record of Mirebo.exe"
