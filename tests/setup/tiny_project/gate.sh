# Holds the build until the file named by $SETUP_TEST_GATE exists (no variable: no wait); gives
# up after a minute so that a test that never opens it fails instead of hanging.
[ -n "${SETUP_TEST_GATE:-}" ] || exit 0
i=0
while [ ! -e "$SETUP_TEST_GATE" ]; do
  i=$((i + 1))
  [ "$i" -le 600 ] || { echo "gate: never opened" >&2; exit 1; }
  sleep 0.1
done
