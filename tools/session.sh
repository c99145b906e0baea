# Sourced by the scripts in tools/ that run Wine: a display, children that
# end with the script, and the checks that come before any work.

# Refuses a checkout whose path has a blank in it: the build's command lines
# and the emulated machine's kernel command line do not carry one.
orlo_refuse_blank_path() {
  case "$PWD" in
    *[[:space:]]*)
      echo "$(basename "$0"): the checkout's path has a blank in it ($PWD); clone it to a path without one" >&2
      exit 2
      ;;
  esac
}

# Runs a command as a child that ends with this script: a signal that ends
# the script (Ctrl-C, kill) ends the child first. The script waits in the
# wait builtin, which a signal interrupts, not behind a foreground child.
orlo_child_pid=""
orlo_child() {
  "$@" &
  orlo_child_pid=$!
  local rc=0
  wait $orlo_child_pid || rc=$?
  orlo_child_pid=""
  return $rc
}
orlo_end_child() {
  [ -z "$orlo_child_pid" ] || { kill -TERM "$orlo_child_pid" 2>/dev/null; wait "$orlo_child_pid" 2>/dev/null; }
  exit 143
}
trap orlo_end_child TERM INT HUP

# With no display set, an Xvfb is started for the script and ended when it
# exits (orlo_end_display), or when it is killed (the parent-death signal).
orlo_display_pid=""
orlo_ensure_display() {
  if [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  # Xvfb picks a free display itself and writes its number to fd 3 only
  # once it accepts clients: a socket file alone does not say so.
  local numfile n=""
  numfile=$(mktemp "${TMPDIR:-/tmp}/orlo-xvfb.XXXXXX")
  setpriv --pdeathsig TERM Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 </dev/null &
  orlo_display_pid=$!
  for _ in $(seq 1 100); do
    n=$(tr -dc 0-9 <"$numfile")
    [ -n "$n" ] && break
    sleep 0.1
  done
  rm -f "$numfile"
  if [ -z "$n" ]; then
    echo "session.sh: Xvfb did not start within 10 s" >&2
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
