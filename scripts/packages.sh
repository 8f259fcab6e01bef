# Sourced by deps and windows-deps: apt-get as root or through sudo, and the
# installing of whatever packages dpkg does not have yet.
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

apt_get() {
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -qq "$@"
}

# install_missing WHO PACKAGE...: installs those of the packages that are not
# installed, saying so as WHO; asks only dpkg when all are there.
install_missing() {
    local who=$1 p missing=()
    for p in "${@:2}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
    ((${#missing[@]})) || return 0
    echo "$who: installing ${missing[*]}" >&2
    apt_get update
    apt_get install -y --no-install-recommends "${missing[@]}" >/dev/null
}
