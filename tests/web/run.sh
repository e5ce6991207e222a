#!/bin/sh
# The browser tests: Playwright from npm (pinned by package-lock.json)
# drives Debian's chromium against the remessa binary named by $1;
# screenshots go to $2.
set -e
cd "$(dirname "$0")"
[ -d node_modules/playwright-core ] || npm ci --no-audit --no-fund --loglevel=error
REMESSA_BINARY="$1" REMESSA_WEB_ARTEFATOS="$2" exec node --test remessa.test.mjs
