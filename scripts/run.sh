#!/usr/bin/env bash
# Installs what is missing, builds the program and runs it from the build folder.
# Once the local platform is part of the build it is started first and the program's
# configure.ini points at it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2

bin=build/bin
platform_pid=""
if [ -x "$bin/castora-platform" ]; then
  mkdir -p build/platform-data
  "$bin/castora-platform" --port 8088 --data build/platform-data &
  platform_pid=$!
  trap '[ -n "$platform_pid" ] && kill "$platform_pid" 2>/dev/null || true' EXIT
  sleep 1
fi
if [ ! -f "$bin/configure.ini" ]; then
  printf '[SERVER]\r\nIP=http://127.0.0.1:8088\r\nURL=http://127.0.0.1:8088/vekservices/ClientService\r\nCODEIP=http://127.0.0.1:8088\r\n[FTPSERVER]\r\nFTPPASSIVE=1\r\n' > "$bin/configure.ini"
fi
# The programme recorder control: registered as an installation registers it, with its
# service address provisioned beside the program.
if [ -x "$bin/castora-regsvr" ] && [ -f "$bin/libCastoraRecordOcx.so" ]; then
  "$bin/castora-regsvr" "$bin/libCastoraRecordOcx.so" >/dev/null
  if [ ! -f "$bin/Recorderconfig.ini" ]; then
    printf '[SERVER]\r\nURL=http://127.0.0.1:8088\r\n' > "$bin/Recorderconfig.ini"
  fi
fi
"$bin/castora" "$@"
