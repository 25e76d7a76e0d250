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

ensure_display() {
  if [ -n "${DISPLAY:-}" ]; then return; fi
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
    trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
    return
  done
  echo "no free X display number" >&2
  exit 1
}
