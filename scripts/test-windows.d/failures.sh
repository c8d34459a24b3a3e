# shellcheck shell=bash
# shellcheck disable=SC2154  # the variables scripts/test-windows sets
# Sourced by scripts/test-windows: the failures phase, velt-flash.exe against
# a silent device, a port that does not exist, and a line that dies.
# Rows as for run_cli_cases (shared/device.sh). COM2 leads to a path that does
# not exist (wine still hands out a handle for it and then refuses its
# settings; Windows fails the open itself). With hang-up the line dies
# mid-load, as when an adapter is pulled: the writes must give up, the job
# must end with a failure instead of hanging.

failures_cases=(
  "silent      | --baud 0 --silent           | 1 | firmware | 2   | stdout:Не отвечает\."
  "absent-port | -                           | 2 | firmware | 4   | stderr:COM2"
  "hang-up     | --baud 0 --hang-up write:20 | 1 | firmware | 1 2 | -"
)

phase_failures() {
  echo "== test-windows: failures"
  run_cli_cases "${failures_cases[@]}"
}
