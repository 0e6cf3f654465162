#!/usr/bin/env bash
# Runs one of the end-to-end benchmarks (tests/e2e/*_bench_win.cpp) against the
# search engine stand-in, on a virtual display of its own, under the Wine prefix
# of the build (scripts/lib.sh; QINGQU_BUILD picks another build folder):
#
#   tests/support/run_e2e_bench.sh query_run_bench [rows] [delays in ms...]
#   tests/support/run_e2e_bench.sh import_bench [lines]
#
# It builds the benchmark, makes the test certificates, trusts their authority in
# the prefix and starts the stand-in, and stops everything it started at the end.
# It restarts the prefix's wineserver: not while scripts/test uses the same build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib.sh"

bench=${1:?usage: run_e2e_bench.sh query_run_bench|import_bench [arguments...]}
shift
qingqu_build_mingw "$bench"
qingqu_build_mingw trust_test_ca

state=$(mktemp -d)
cleanup() {
    python3 "$here/search_engine_stand_in.py" stop --state-dir "$state" || true
    rm -rf "$state"
    qingqu_cleanup
}
trap cleanup EXIT
qingqu_start_display
qingqu_prepare_prefix
qingqu_start_wineserver

certs=$QINGQU_MINGW_BUILD/tests/support/certs
sh "$here/make_test_certs.sh" "$certs" www.baidu.com
qingqu_wine wine "$QINGQU_MINGW_BUILD/tests/support/trust_test_ca.exe" "Z:$certs/ca.der"
python3 "$here/search_engine_stand_in.py" start --state-dir "$state" --cert-dir "$certs" >/dev/null
QINGQU_SEARCH_STAND_IN_DIR=$state qingqu_wine wine "$QINGQU_MINGW_BUILD/tests/e2e/$bench.exe" "$@"
