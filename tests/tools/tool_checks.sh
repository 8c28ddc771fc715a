# The checks the tool tests share (sourced): failures counted in $failures,
# each command's output kept in $work/out.
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect WHAT STATUS PATTERN COMMAND...: the command's status and a line of its output (any, for an empty pattern).
expect() {
    local what=$1 want=$2 pattern=$3 status
    shift 3
    "$@" >"$work/out" 2>&1
    status=$?
    if [ "$status" = "$want" ] && { [ -z "$pattern" ] || grep -qE "$pattern" "$work/out"; }; then
        echo "ok: $what"
    else
        fail "$what (status $status, expected $want): $(head -c 600 "$work/out")"
    fi
}
