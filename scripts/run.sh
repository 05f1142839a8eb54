#!/usr/bin/env bash
# Installs the dependencies, builds and starts VELMIR with the given files.
# Without a display it runs under Xvfb, saves build/screenshot.png and exits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" "$root/build"
if [[ -n "${DISPLAY:-}" ]]; then
  exec "$root/build/velmir" "$@"
fi
shot=${VELMIR_SCREENSHOT:-$root/build/screenshot.png}
VELMIR_SCREENSHOT=$shot xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/velmir" "$@"
echo "screenshot: $shot"
