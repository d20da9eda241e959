#!/bin/sh
# keyring_test.sh UI-TEST-PROGRAM SITEHERALD-CLI SOURCE-DIR
# The passwords' way through a real Secret Service: a D-Bus session of its own with an unlocked
# gnome-keyring in a temporary home, so the user's own keyring is never touched. Runs the
# Preferences keyring test, then checks that siteherald-cli send reads the keyring.
set -eu
if [ -z "${SITEHERALD_TEST_KEYRING:-}" ]; then
    home=$(mktemp -d)
    trap 'rm -rf "$home"' EXIT
    mkdir -m 700 "$home/run"
    status=0
    env -u DBUS_SESSION_BUS_ADDRESS SITEHERALD_TEST_KEYRING=1 HOME="$home" \
        XDG_DATA_HOME="$home/share" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" \
        dbus-run-session -- sh "$0" "$@" || status=$?
    exit $status
fi
echo siteherald | gnome-keyring-daemon --unlock --components=secrets >/dev/null
"$1" profiles_prefs preferencesKeepPasswordsInTheKeyring

box=$HOME/cli
mkdir -p "$box/data" "$box/config/siteherald"
cp "$3/tests/fixtures/data/sedata.dat" "$box/data"
printf '[Identity]\nName=Robin\nEmail=robin@x.test\nMailServer=127.0.0.1:9\nMailUser=robin\n' \
    >"$box/config/siteherald/siteherald.ini"
echo kim@a.test >"$box/list.txt"
send() {
    SITEHERALD_DATA_DIR="$box/data" XDG_CONFIG_HOME="$box/config" "$2" send \
        "$3/tests/fixtures/broadcast.sdf" "Spring tours 2027" --list "$box/list.txt" \
        >"$box/out" 2>"$box/err" || echo $? >>"$box/out"
}
fail() { echo "FAIL: $1"; cat "$box/out" "$box/err"; exit 1; }
account=smtp://robin@127.0.0.1:9
send "$@"
[ "$(cat "$box/out")" = 6 ] || fail "a send without a password must stop with status 6"
grep -q "SITEHERALD_MAIL_PASSWORD, or store the password .* as $account" "$box/err" ||
    fail "the refusal must name the variable and the keyring entry"
printf %s 'Tide-7' | secret-tool store --label="Siteherald mail" server org.siteherald.Siteherald \
    user "$account" type plaintext
send "$@"
[ "$(cat "$box/out")" = "Failed: kim@a.test" ] || fail "the keyring's password must be used"
echo "PASS: siteherald-cli send reads the keyring"
