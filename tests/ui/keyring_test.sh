#!/bin/sh
# keyring_test.sh UI-TEST-PROGRAM SITEHERALD-CLI SOURCE-DIR: the Preferences keyring test, then
# siteherald-cli send reading the keyring, in a D-Bus session of their own with gnome-keyring in
# a temporary home, so the user's own keyring is never touched.
set -eu
if [ -z "${SITEHERALD_TEST_KEYRING:-}" ]; then
    home=$(mktemp -d) && trap 'rm -rf "$home"' EXIT && mkdir -m 700 "$home/run"
    env -u DBUS_SESSION_BUS_ADDRESS SITEHERALD_TEST_KEYRING=1 HOME="$home" XDG_RUNTIME_DIR="$home/run" \
        XDG_DATA_HOME="$home/share" dbus-run-session -- sh "$0" "$@" && exit 0 || exit 1
fi
echo siteherald | gnome-keyring-daemon --unlock --components=secrets >/dev/null
"$1" profiles_prefs preferencesKeepPasswordsInTheKeyring
export SITEHERALD_DATA_DIR="$HOME/data" XDG_CONFIG_HOME="$HOME/config" account=smtp://robin@127.0.0.1:9
mkdir -p "$SITEHERALD_DATA_DIR" "$XDG_CONFIG_HOME/siteherald" && cp "$3/tests/fixtures/data/sedata.dat" "$SITEHERALD_DATA_DIR"
printf '[Identity]\nName=R\nEmail=r@x.test\nMailServer=127.0.0.1:9\nMailUser=robin\n' >"$XDG_CONFIG_HOME/siteherald/siteherald.ini"
echo kim@a.test >"$HOME/list.txt"
send() { "$2" send "$3/tests/fixtures/broadcast.sdf" "Spring tours 2027" --list "$HOME/list.txt" >"$HOME/out" 2>"$HOME/err" || echo $? >>"$HOME/out"; }
check() { grep -q "$2" "$HOME/$1" || { echo "FAIL: $3"; cat "$HOME/out" "$HOME/err"; exit 1; }; }
send "$@"
check out "^6$" "a send without a password stops with status 6"
check err "SITEHERALD_MAIL_PASSWORD, or store the password .* as $account" "the variable and the entry are named"
printf %s Tide-7 | secret-tool store --label=mail server org.siteherald.Siteherald user "$account" type plaintext
send "$@"
check out "^Failed: kim@a.test$" "the keyring's password lets the send go on"
echo "PASS: siteherald-cli send reads the keyring"
