# Installs Debian packages with apt-get, as root or through sudo.
#   install_packages PACKAGE...
# Sourced by the scripts that set up a build.
install_packages() {
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}
