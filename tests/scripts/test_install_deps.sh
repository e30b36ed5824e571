#!/usr/bin/env bash
# scripts/install-deps.sh against a stubbed apt-get: a failing package index
# is fetched again and then worked around, and a package that cannot be
# installed is named with apt's reason. Usage: test_install_deps.sh SCRIPT
set -uo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"

# Nothing is installed; sudo runs its command; apt-get follows the case's
# settings and logs every call.
cat >"$work/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
exit 1
STUB
cat >"$work/bin/dpkg" <<'STUB'
#!/usr/bin/env bash
exit 0
STUB
cat >"$work/bin/sudo" <<'STUB'
#!/usr/bin/env bash
exec "$@"
STUB
cat >"$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "$*" >>"$STUB_LOG"
case " $* " in
  *" update "*)
    failed=$(grep -c update "$STUB_LOG")
    if [ "$failed" -le "$STUB_UPDATE_FAILURES" ]; then
      echo "E: Failed to fetch http://deb.example/dists/main/binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?"
      exit 100
    fi
    exit 0 ;;
  *" install "*)
    for bad in $STUB_UNINSTALLABLE; do
      if [[ " $* " == *" $bad "* ]]; then
        echo "E: Unable to locate package $bad"
        exit 100
      fi
    done
    exit 0 ;;
esac
STUB
chmod +x "$work/bin/"*

failures=0
# name, update failures before success, uninstallable packages, expected
# exit status, expected update calls, a line stderr must hold
check() {
  local name=$1 update_failures=$2 uninstallable=$3 want_status=$4 want_updates=$5 want_line=$6
  : >"$work/log"
  local err status updates
  err=$(PATH="$work/bin:$PATH" STUB_LOG="$work/log" STUB_UPDATE_FAILURES=$update_failures \
    STUB_UNINSTALLABLE="$uninstallable" APT_RETRY_PAUSE=0 bash "$script" extra-pkg 2>&1 >/dev/null)
  status=$?
  updates=$(grep -c update "$work/log")
  if [ "$status" != "$want_status" ] || [ "$updates" != "$want_updates" ] || ! grep -qF -- "$want_line" <<<"$err"; then
    echo "FAIL $name: status $status (want $want_status), $updates updates (want $want_updates), stderr:"
    echo "$err"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

check "index fails twice, then loads" 2 "" 0 3 "apt-get update failed (try 2 of 3): E: Failed to fetch"
check "index never loads: install with the lists there are" 9 "" 0 3 "going on with the package lists this machine has"
check "one package cannot be installed" 0 "extra-pkg" 1 1 "cannot install extra-pkg: E: Unable to locate package extra-pkg"
# Only the missing package fails; the others are installed one by one.
if grep -q "install -y -qq cmake$" "$work/log"; then echo "ok   the other packages are installed alone"; else
  echo "FAIL the other packages were not tried alone"
  failures=$((failures + 1))
fi
exit $((failures > 0))
