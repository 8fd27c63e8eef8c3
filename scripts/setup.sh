#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine.
# Idempotent: does nothing when every package is already there. The steps
# are in setup-steps.sh.
set -uo pipefail
[ "$(id -u)" -ne 0 ] && SUDO=sudo
source "$(dirname "$0")/setup-steps.sh"
setup_main
