#!/usr/bin/env bash
# Fuzzes the RTF reader with libFuzzer (clang, AddressSanitizer, UBSan) for a
# while; not part of the tests or of CI.  Usage: bash scripts/fuzz-rtf.sh [seconds]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzz"
seconds="${1:-300}"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DOFENRING_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_rtfreader
corpus="$build/rtf-corpus"
mkdir -p "$corpus"
# Seeds: a few documents as word processors write them.
cat >"$corpus/seed1.rtf" <<'SEED'
{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss Arial;}}{\colortbl ;\red255\green0\blue0;}\pard\qc\f0\fs20 Hallo \b Welt\b0\par\pard\li300\tx720 a\tab b\line \cf1 c\u8364?\par}
SEED
cat >"$corpus/seed2.rtf" <<'SEED'
{\rtf1{\*\generator x;}{\pict\bin3 abc}{\field{\*\fldinst HYPERLINK "x"}{\fldrslt Link}}\uc2\u228 xy\'e4\par}
SEED
cd "$build"
exec ./tests/richtext/fuzz_rtfreader -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 "$corpus"
