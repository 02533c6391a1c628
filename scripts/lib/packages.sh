# apt_install PKG...: installs with one line per package downloaded and set
# up, instead of minutes of silence; fails when apt-get fails.
apt_install() {
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@" 2>&1 |
    { grep --line-buffered -E '^(Get:[0-9]+ |Setting up )' || true; } |
    sed -u -E 's/^Get:[0-9]+ [^ ]+ [^ ]+ [^ ]+ ([^ ]+) .*/  downloading \1/; s/^Setting up ([^ ]+).*/  setting up \1/'
}

# ensure_packages PKG...: installs the Debian packages that are missing, and
# nothing when all are present, so that a second run is quick.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  apt_install "${missing[@]}"
}

# ensure_wine32: installs Debian's wine32:i386 beside wine64, so that the
# i686 product runs under Wine. Does nothing when it is installed. When the
# install would remove or replace anything of wine64, installs nothing and
# exports SETUP_E2E_NO32_REASON, which the 32-bit tests report as their
# reason to skip.
ensure_wine32() {
  if dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    return 0
  fi
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  local plan
  if ! plan=$(apt-get -s install --no-install-recommends wine32:i386 2>&1); then
    export SETUP_E2E_NO32_REASON="wine32:i386 cannot be installed: $(printf '%s' "$plan" | tail -n 1)"
    echo "$SETUP_E2E_NO32_REASON; the 32-bit tests are skipped" >&2
    return 0
  fi
  # "Remv X" removes a package; "Inst X [old]" replaces an installed one.
  local clash
  clash=$(printf '%s\n' "$plan" | grep -E '^Remv |^Inst (wine64|libwine|wine)(:amd64)? \[' || true)
  if [ -n "$clash" ]; then
    export SETUP_E2E_NO32_REASON="installing wine32:i386 would remove or replace: $(printf '%s' "$clash" | tr '\n' ' ')"
    echo "$SETUP_E2E_NO32_REASON; installed nothing, the 32-bit tests are skipped" >&2
    return 0
  fi
  echo "Installing: wine32:i386"
  apt_install wine32:i386
}

# report_32bit: one line on whether this machine runs the i686 product.
report_32bit() {
  local loader=/usr/lib/wine/wine
  if [ -n "${SETUP_E2E_NO32_REASON:-}" ]; then
    echo "Note: $SETUP_E2E_NO32_REASON: the i686 end-to-end tests are skipped"
  elif ! "$loader" --version >/dev/null 2>&1; then
    echo "Note: this machine cannot run 32-bit programs ($loader --version fails):"
    echo "      the i686 end-to-end tests are skipped, the x86-64 twin runs their scripts whole"
  fi
}
