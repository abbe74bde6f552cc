#!/usr/bin/env bash
# Takes the README's screenshots with the real program: castora-platform on a free
# loopback port, the program under Xvfb (with a small window manager), signed in as demo
# with real key presses from xdotool. Writes docs/screenshots/sign-in.png, main-window.png,
# live-page.png (任务 → 现场直播), home-live.png (任务 → 家庭直播, in a second run),
# upload.png (文件上传 after uploading two files) and local-record.png (本地录制), in a third run,
# and recorder.png (任务 → 定时录播, the programme recorder control) in a fourth.
#   BUILD_DIR=build   where the build is      OUT_DIR=docs/screenshots   where the pictures go
set -euo pipefail
cd "$(dirname "$0")/.."

bin=${BUILD_DIR:-build}/bin
out=${OUT_DIR:-docs/screenshots}
for tool in Xvfb xdotool xprop xwininfo import openbox; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing (bash scripts/setup.sh installs it)" >&2; exit 1; }
done
[ -x "$bin/castora" ] && [ -x "$bin/castora-platform" ] || { echo "screenshots: build first ($bin)" >&2; exit 1; }
mkdir -p "$out"

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
ftp_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$bin/castora-platform" --port "$port" --data "$work/data" --ftp-port "$ftp_port" >"$work/platform.log" 2>&1 &
pids+=($!)

# A program folder of its own: the program, its skins and profiles, settings and test devices.
app="$work/app"
mkdir -p "$app"
cp "$bin/castora" "$app/"
cp -r "$bin/Styles" "$bin/Profiles" "$app/"
cp "$bin/libCastoraRecordOcx.so" "$app/"
printf '[SERVER]\r\nURL=http://127.0.0.1:%s\r\n' "$port" >"$app/Recorderconfig.ini"
printf '[SERVER]\r\nIP=http://127.0.0.1:%s\r\nURL=http://127.0.0.1:%s/vekservices/ClientService\r\nCODEIP=http://127.0.0.1:%s\r\n' \
  "$port" "$port" "$port" >"$app/configure.ini"
cat >"$app/devices.ini" <<'DEVICES'
[Test Camera]
media=2
source=videotestsrc is-live=true
[Test Microphone]
media=1
source=audiotestsrc is-live=true
DEVICES

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
# A window mapped while the window manager is still starting can be lost: wait until it runs.
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

export XDG_CONFIG_HOME="$work/config" LANG=C.UTF-8
# The programme recorder control, registered as an installation registers it.
"$bin/castora-regsvr" "$app/libCastoraRecordOcx.so" >/dev/null
for _ in $(seq 100); do curl -fs "http://127.0.0.1:$port/web/index.jsp" >/dev/null && break; sleep 0.1; done
"$app/castora" >"$work/castora.log" 2>&1 &
pids+=($!)

# wait_window NAME: the id of the first visible window whose title is NAME.
wait_window() {
  for _ in $(seq 300); do
    local id
    id=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "screenshots: no window '$1'; the program's output:" >&2
  cat "$work/castora.log" >&2
  kill -0 "${pids[-1]}" 2>/dev/null && echo "(the program is still running)" >&2
  return 1
}

signin=$(wait_window "用户登录")
sleep 1
# The dialog with its frame: the client area (from xwininfo) widened by the frame extents.
read -r left right top bottom < <(xprop -id "$signin" _NET_FRAME_EXTENTS | tr -d ',' | awk -F' = ' '{print $2}')
read -r x y w h < <(xwininfo -id "$signin" | awk -F: '
  /Absolute upper-left X/ {x=$2} /Absolute upper-left Y/ {y=$2} /Width/ {w=$2} /Height/ {h=$2}
  END {print x + 0, y + 0, w + 0, h + 0}')
import -window root -crop "$((w + ${left:-0} + ${right:-0}))x$((h + ${top:-0} + ${bottom:-0}))+$((x - ${left:-0}))+$((y - ${top:-0}))" \
  +repage "$out/sign-in.png"

# sign_in WINDOW: the operator types the user name and password and presses Enter.
sign_in() {
  xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
  xdotool key ctrl+a
  xdotool type --delay 40 demo
  xdotool key Tab ctrl+a
  xdotool type --delay 40 demo123
  xdotool key Return
}

# open_task LETTER: 任务 from the keyboard, then the item's letter.
open_task() {
  xdotool key alt+t "$1"
  sleep 3
}

# restart_program: the program again, signed in, with no task open.
restart_program() {
  kill "${pids[-1]}" 2>/dev/null || true
  wait "${pids[-1]}" 2>/dev/null || true
  unset 'pids[-1]'
  "$app/castora" >"$work/castora.log" 2>&1 &
  pids+=($!)
  sign_in "$(wait_window "用户登录")"
  wait_window "Castora$" >/dev/null
  sleep 2
}

sign_in "$signin"
wait_window "Castora$" >/dev/null
sleep 2
import -window root "$out/main-window.png"
open_task d
import -window root "$out/live-page.png"

# One encoder task at a time: the home broadcast page in a second run of the program.
restart_program
open_task l
import -window root "$out/home-live.png"

# A third run for the upload and local recording pages.
restart_program

# 任务 → 文件上传, then a click on 选择文件 and two files typed into the dialog. The
# positions are those of the maximised window on this 1280x800 screen.
head -c 300000 /dev/urandom >"$work/news.wmv"
head -c 120000 /dev/urandom >"$work/talk.WMA"
main=$(wait_window "Castora$")
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key alt+t u
sleep 2
xdotool mousemove 365 157 click 1
wait_window "打开" >/dev/null
sleep 1
xdotool type --delay 20 "\"$work/news.wmv\" \"$work/talk.WMA\""
xdotool key Return
sleep 2
# 开始: both files go to the platform's storage.
xdotool mousemove 1025 745 click 1
sleep 4
import -window root "$out/upload.png"

# 本地录制 from the toolbar, with the test devices: a folder typed in, 开始, a few
# seconds of recording, 结束.
mkdir -p "$work/recordings"
xdotool mousemove 190 70 click 1
sleep 3
xdotool mousemove 1154 389 click 1
xdotool type --delay 20 "$work/recordings"
xdotool mousemove 1120 745 click 1
sleep 5
import -window root "$out/local-record.png"
xdotool mousemove 1120 745 click 1
sleep 2
ls "$work/recordings" | grep -q '\.wmv$' || { echo "screenshots: the recording left no file" >&2; exit 1; }

# A fourth run: 任务 → 定时录播 hosts the programme recorder control.
restart_program
open_task h
sleep 2
import -window root "$out/recorder.png"
echo "screenshots: $out/sign-in.png $out/main-window.png $out/live-page.png $out/home-live.png $out/upload.png $out/local-record.png $out/recorder.png"
