# Shared by scripts/run and scripts/test: configure and build one build folder,
# and start a virtual X server when there is no display.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

build() { # build DIR [cmake options...]
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

build_targets() { # build_targets DIR TARGET... : only these, not the tests and benchmarks
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$dir" -G Ninja >/dev/null
  cmake --build "$dir" -j "$(nproc)" --target "$@"
}

# Starts a virtual X server on the first free display number, which the server
# takes itself (two started side by side never pick the same one), and makes it
# the display; it ends with the calling script.
start_xvfb() {
  local number
  number=$(mktemp)
  # -noreset: without it the server resets when its last client leaves, and a
  # program that connects meanwhile finds no display.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$number" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n 1 "$number")"
  rm -f "$number"
  [ "$DISPLAY" != ":" ] || { echo "Xvfb did not start (scripts/setup installs it)" >&2; exit 1; }
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

ensure_display() {
  if [ -n "${DISPLAY:-}" ]; then return; fi
  start_xvfb
  # Ended however the script ends; a hang-up or termination runs the exit trap
  # once the command in front has ended.
  trap 'kill $XVFB_PID 2>/dev/null && wait $XVFB_PID 2>/dev/null; true' EXIT
  trap 'exit 129' HUP
  trap 'exit 143' TERM
}
