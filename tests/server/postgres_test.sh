#!/usr/bin/env bash
# The server's suite (routes, database, reverification) on a private
# PostgreSQL 15 instead of SQLite: the same tables of requests, the same schema.
# Usage: postgres_test.sh SERVER-TESTS
set -u
source "$(dirname "$0")/server_lib.sh"
SL_WORK=$(mktemp -d)
trap sl_cleanup EXIT
sl_pg_start "$SL_WORK/pg" || exit 1
GLIMMER_TEST_DATABASE=$SL_PG_URL "$1" --gtest_filter='Routes.*:Database.*:Reverify.*'
