# Holds the build until the file named by $SETUP_TEST_GATE exists (no variable: no wait); fails
# after a minute so that a test that never opens it fails instead of hanging.
for _ in $(seq 600); do [ -z "${SETUP_TEST_GATE:-}" ] || [ -e "$SETUP_TEST_GATE" ] && exit 0; sleep 0.1; done
echo "gate: never opened" >&2; exit 1
