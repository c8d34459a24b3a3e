# shellcheck shell=bash
# shellcheck disable=SC2154  # the variables scripts/test-windows sets
# Sourced by scripts/test-windows: the jobs phase, velt-flash.exe's three jobs
# against velt-sim through COM1, compared with what the Linux velt-flash does.
# Rows as for run_cli_cases (shared/device.sh).

jobs_cases=(
  "firmware | --baud 0 | 1 | firmware         | 0 | like-linux, hex-images"
  "reset    | --baud 0 | 1 | reset            | 0 | like-linux"
  "write    | --baud 0 | 1 | write test.koeff | 0 | like-linux"
  "json     | --baud 0 | 1 | --json reset     | 0 | stdout:^{\"v\":1.\"event\":\"start\", stdout:\"outcome\":\"started\""
)

phase_jobs() { run_cli_cases "${jobs_cases[@]}"; }
