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

# one_of NAME...: the first of these names that is installed, or else the
# first this release's apt has a package for. Debian renames packages from
# one release to the next (hardinfo became hardinfo2 in Debian 13, where
# hardinfo is only a transitional package for it): ask the release instead
# of naming one release's package.
one_of() {
    local p
    for p in "$@"; do dpkg -s "$p" >/dev/null 2>&1 && { echo "$p"; return; }; done
    # A fresh machine may have no package lists yet.
    [ -n "$(apt-cache pkgnames 2>/dev/null | head -n 1)" ] || apt_get update
    for p in "$@"; do apt-cache show --no-all-versions "$p" >/dev/null 2>&1 && { echo "$p"; return; }; done
    echo "packages: this release has none of $*" >&2
    return 1
}

# What the end-to-end tests (tests/e2e) need beside the program: an X server,
# openbox, the tools that drive and read windows, and a screen reader's bus.
e2e_packages=(xvfb openbox xdotool x11-utils x11-apps x11-xserver-utils imagemagick faketime
              dbus-daemon at-spi2-core python3-pyatspi)
