# The checks of the shell tests: one "ok -" or "not ok -" line each, and a
# closing count whose status is the test's.
passed=0 failed=0

check() { # check STATUS DESCRIPTION
    if [ "$1" -eq 0 ]; then passed=$((passed + 1)); echo "ok - $2"
    else failed=$((failed + 1)); echo "not ok - $2"; fi
}

finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
