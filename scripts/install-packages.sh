# install_packages PACKAGE...: installs the Debian packages that are not yet
# installed (as root, or with sudo otherwise). Sourced by the setup scripts.
# Tests install nothing: with GLIMMER_NO_INSTALL=1 (scripts/test.sh sets it
# for the tests it runs) it names what is missing and fails instead.
install_packages() {
  local missing=() p sudo=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  if [ "${GLIMMER_NO_INSTALL:-}" = 1 ]; then
    echo "missing Debian packages: ${missing[*]} (tests install nothing: run the setup, for example bash scripts/test.sh --full)" >&2
    return 1
  fi
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
