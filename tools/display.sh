# Sourced by the scripts in tools/: gives them a display. With none set, an
# Xvfb is started for the script and ended when it exits.
orlo_display_pid=""
orlo_ensure_display() {
  if [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  local n=${ORLO_XVFB_DISPLAY:-93}
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do
    n=$((n + 1))
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
  orlo_display_pid=$!
  for _ in $(seq 1 100); do
    [ -S "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done
  export DISPLAY=":$n"
}
orlo_end_display() {
  if [ -n "$orlo_display_pid" ]; then
    kill "$orlo_display_pid" 2>/dev/null || true
    wait "$orlo_display_pid" 2>/dev/null || true
  fi
}
