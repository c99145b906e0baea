#!/bin/bash
# Runs inside the emulated machine (tools/x86-vm.sh), started by its init:
# takes the jobs that the host leaves in build/vm/jobs/ of the shared
# checkout, runs each command as the host would have (tools/wine-run.sh,
# mostly), and leaves its output and exit code beside it. Ends when the host
# asks.
#
# A job is a directory job.ID with cwd, argv and env (NUL-separated); the
# job's output goes to out, then its exit code to rc. Files are the only way
# between the two machines: 9p carries no signals.
set -u
checkout=$1
state=$checkout/build/vm
# How much slower than the host a program runs here: the tests' waits grow
# by this factor (measured: about ten).
scale=${ORLO_VM_TIME_SCALE:-10}

run_job() {
  local job=$1 cwd args=() envs=() item
  cwd=$(cat "$job/cwd")
  while IFS= read -r -d '' item; do args+=("$item"); done <"$job/argv"
  while IFS= read -r -d '' item; do envs+=("$item"); done <"$job/env"
  # A session of its own, so that a cancelled job ends with all it started.
  (cd "$cwd" && exec setsid env "${envs[@]}" ORLO_IN_VM=1 ORLO_TIME_SCALE="$scale" \
    "${args[@]}") >"$job/out" 2>&1 </dev/null &
  echo $! >"$job/pid"
  wait $!
  local rc=$?
  # What the job wrote reaches the host before the host reads it.
  sync
  echo $rc >"$job/rc.new"
  mv "$job/rc.new" "$job/rc"
}

# The host ended its side of a job (CTest's time-out, say): so does this one.
cancel_jobs() {
  local job
  for job in "$state"/jobs/job.*; do
    [ -e "$job/cancel" ] && [ -e "$job/pid" ] && ! [ -e "$job/cancelled" ] || continue
    kill -KILL -- "-$(cat "$job/pid")" 2>/dev/null
    : >"$job/cancelled"
  done
}

# The Wine servers of the machine (the root has no pgrep).
wine_server_pids() {
  local comm pid
  for comm in /proc/[0-9]*/comm; do
    [ "$(cat "$comm" 2>/dev/null)" = wineserver ] || continue
    pid=${comm#/proc/}
    echo "${pid%/comm}"
  done
}

# Each server is asked to end, and waited for, so that every prefix's
# registry is saved before the power goes.
end_wine_servers() {
  local pid
  for pid in $(wine_server_pids); do kill -TERM "$pid" 2>/dev/null; done
  for _ in $(seq 1 100); do
    [ -z "$(wine_server_pids)" ] && return 0
    sleep 0.1
  done
  echo "x86-vm-guest: Wine servers still running after 10 s: $(wine_server_pids)"
}

echo "x86-vm-guest: up after $(cut -d' ' -f1 /proc/uptime) s; kernel $(uname -r); jobs in $state/jobs"
mkdir -p "$state/jobs"
echo up >"$state/ready"
# A pipe that nobody writes to: reading it with a time-out waits without
# starting a process, which costs the emulated machine dearly.
mkfifo /tmp/x86-vm-guest.idle
exec 5<>/tmp/x86-vm-guest.idle
while ! [ -e "$state/stop" ]; do
  for job in "$state"/jobs/job.*; do
    [ -d "$job" ] && ! [ -e "$job/taken" ] || continue
    : >"$job/taken"
    run_job "$job" &
  done
  cancel_jobs
  # Polled: the host's writes to a shared directory raise no event here.
  read -r -t 0.2 -u 5 _ || true
done
# The host has stopped waiting for anything still running.
for job in "$state"/jobs/job.*; do
  [ -e "$job/pid" ] && ! [ -e "$job/rc" ] && kill -KILL -- "-$(cat "$job/pid")" 2>/dev/null
done
wait
end_wine_servers
echo "x86-vm-guest: stopping after $(cut -d' ' -f1 /proc/uptime) s"
