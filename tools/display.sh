# Sourced by the scripts in tools/: gives them a display. With none set, an
# Xvfb is started for the script and ended when it exits.
orlo_display_pid=""
orlo_ensure_display() {
  if [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  # Xvfb picks a free display itself and writes its number to fd 3 only
  # once it accepts clients: a socket file alone does not say so.
  local numfile n=""
  numfile=$(mktemp /tmp/orlo-xvfb.XXXXXX)
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 </dev/null &
  orlo_display_pid=$!
  for _ in $(seq 1 100); do
    n=$(tr -dc 0-9 <"$numfile")
    [ -n "$n" ] && break
    sleep 0.1
  done
  rm -f "$numfile"
  if [ -z "$n" ]; then
    echo "display.sh: Xvfb did not start within 10 s" >&2
    return 1
  fi
  export DISPLAY=":$n"
}
orlo_end_display() {
  if [ -n "$orlo_display_pid" ]; then
    kill "$orlo_display_pid" 2>/dev/null || true
    wait "$orlo_display_pid" 2>/dev/null || true
  fi
}
