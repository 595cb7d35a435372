#!/usr/bin/env bash
# Runs the real slidemill executable on one case and checks it as a user would.
#   cli_case.sh SLIDEMILL DEMO_DECK CASE
# Exit 0: passed, 77: skipped (a checking tool is missing), anything else: failed.
set -u
slidemill=$1 demo=$2 case=$3
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL [$case]: $*" >&2; [ -f "$work/err" ] && sed 's/^/  stderr: /' "$work/err" >&2; exit 1; }
need() { command -v "$1" >/dev/null || { echo "skipped: $1 is not installed"; exit 77; }; }

# run ARGS... : runs slidemill with stdin from /dev/null, stderr into $work/err.
run() { "$slidemill" "$@" </dev/null 2>"$work/err" >"$work/out"; rc=$?; }
# The failure must be one clear line on stderr and a non-zero exit, and no crash.
expect_one_line_failure() {
    [ "$rc" -ne 0 ] || fail "exit 0, expected a failure"
    [ "$rc" -lt 128 ] || fail "killed by a signal ($rc)"
    grep -q "Sanitizer\|runtime error" "$work/err" && fail "sanitizer report"
    [ "$(wc -l <"$work/err")" -eq 1 ] || fail "expected one line on stderr"
    grep -q "$1" "$work/err" || fail "stderr lacks '$1'"
}

case $case in
pages)
    need qpdf; need pdfinfo
    run convert "$demo" -o "$work/out.pdf" --pages 1,3 --yes
    [ "$rc" -eq 0 ] || fail "exit $rc"
    qpdf --check "$work/out.pdf" >/dev/null || fail "qpdf --check"
    [ "$(qpdf --show-npages "$work/out.pdf")" -eq 2 ] || fail "not two pages"
    for p in 1 2; do
        pdfinfo -f $p -l $p "$work/out.pdf" | grep -q "Page *$p size: *720 x 540 pts" || fail "page $p is not 720 x 540"
    done
    pdfinfo "$work/out.pdf" | grep -q "Title: *Slidemill demo" || fail "title from the deck"
    ;;
encrypt40)
    need qpdf
    run convert "$demo" -o "$work/enc.pdf" --encrypt --user-password secret --key-length 40 --yes
    [ "$rc" -eq 0 ] || fail "exit $rc"
    qpdf --check "$work/enc.pdf" >/dev/null 2>&1 && fail "opens without the password"
    qpdf --check --password=secret "$work/enc.pdf" >/dev/null || fail "qpdf --check with the password"
    json=$(qpdf --json --json-key=encrypt --password=secret "$work/enc.pdf") || fail "qpdf --json"
    for want in '"R": 2' '"P": -32' '"V": 1' '"bits": 40' '"method": "RC4"'; do
        grep -q "$want" <<<"$json" || fail "encryption lacks $want"
    done
    [ "$(head -c 8 "$work/enc.pdf")" = "%PDF-1.3" ] || fail "not declared PDF 1.3"
    ls "$work" | grep -q "_0.pdf" && fail "intermediate file left behind"
    ;;
missing-deck)
    run convert "$work/no-such-deck" -o "$work/out.pdf"
    expect_one_line_failure "no such file or folder"
    [ -e "$work/out.pdf" ] && fail "output written"
    ;;
malformed-manifest)
    mkdir "$work/deck" && printf '{"slides": [ {"picture": ' >"$work/deck/deck.json"
    run convert "$work/deck" -o "$work/out.pdf"
    expect_one_line_failure "is malformed"
    ;;
missing-picture)
    mkdir "$work/deck" && printf '{"slides": [{"picture": "gone.wmf"}]}' >"$work/deck/deck.json"
    run convert "$work/deck" -o "$work/out.pdf"
    expect_one_line_failure "gone.wmf is missing"
    [ -e "$work/out.pdf" ] && fail "an unfinished PDF was left behind"
    ;;
existing-output)
    echo keep >"$work/out.pdf"
    run convert "$demo" -o "$work/out.pdf"
    expect_one_line_failure "exists, overwrite"
    [ "$(cat "$work/out.pdf")" = keep ] || fail "existing output changed"
    ;;
missing-output-folder)
    run convert "$demo" -o "$work/no/such/folder/out.pdf"
    expect_one_line_failure "Cannot write the PDF file"
    ;;
damaged-presentation)
    need soffice
    head -c 3000 /dev/urandom >"$work/talk.ppt"
    run convert "$work/talk.ppt" --app office
    expect_one_line_failure "cannot be opened"
    [ -e "$work/talk.pdf" ] && fail "output written"
    ;;
default-output)
    cp -r "$demo" "$work/My.Deck"
    run convert "$work/My.Deck" -q
    [ "$rc" -eq 0 ] || fail "exit $rc"
    [ -f "$work/My.pdf" ] || fail "output is not named after the last dot"
    ;;
info)
    run info "$demo"
    [ "$rc" -eq 0 ] || fail "exit $rc"
    grep -q "Slides: *4" "$work/out" || fail "slide count"
    grep -q 'sub-address "Summary"' "$work/out" || fail "internal link"
    run info "$work/none"
    expect_one_line_failure "no such file or folder"
    ;;
usage)
    run --version
    [ "$rc" -eq 0 ] && grep -q "slidemill" "$work/out" || fail "--version"
    run convert --help
    [ "$rc" -eq 0 ] && grep -q -- "--watermark-position" "$work/out" || fail "--help"
    run convert "$demo" --header-position Middle
    [ "$rc" -ne 0 ] || fail "unknown position name accepted"
    run convert "$demo" --key-length 64
    [ "$rc" -ne 0 ] || fail "key length 64 accepted"
    ;;
*) fail "unknown case" ;;
esac
echo "passed: $case"
