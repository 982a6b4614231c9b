#!/usr/bin/env bash
# Installs the build dependencies and the test peers when they are missing.
set -euo pipefail
need=()
for pkg in cmake g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libcairo2-dev \
           libpango1.0-dev fonts-dejavu-core python3-ezdxf librecad-data; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi
