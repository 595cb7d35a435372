#!/usr/bin/env bash
# Runs the real slidemill executable on presentations of the corpus through the office
# suite, and on the demo deck, and checks the PDFs as a user would.
#   office_case.sh SLIDEMILL DEMO_DECK CORPUS CASE
# Exit 0: passed, 77: skipped (corpus, office suite or a checking tool missing).
set -u
slidemill=$1 demo=$2 corpus=$3 case=$4
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL [$case]: $*" >&2; [ -f "$work/err" ] && sed 's/^/  stderr: /' "$work/err" >&2; exit 1; }
need() { command -v "$1" >/dev/null || { echo "skipped: $1 is not installed"; exit 77; }; }
need_deck() { [ -f "$corpus/decks-made/$1" ] || { echo "skipped: no corpus deck $1"; exit 77; }; need soffice; }
# fontconfig keeps its configuration for the life of the process; under the leak
# checker of a sanitized build that shows as a leak inside the library, not ours.
printf 'leak:libfontconfig.so\n' >"$work/lsan.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$work/lsan.supp"
run() { "$slidemill" "$@" </dev/null 2>"$work/err" >"$work/out"; rc=$?; }

# pages_alike A.pdf B.pdf: same page count and the same pixels on every page.
pages_alike() {
    [ "$(qpdf --show-npages "$1")" -eq "$(qpdf --show-npages "$2")" ] || fail "page counts differ"
    pdftoppm -r 40 "$1" "$work/a" 2>/dev/null; pdftoppm -r 40 "$2" "$work/b" 2>/dev/null
    for f in "$work"/a-*.ppm; do
        cmp -s "$f" "$work/b-${f##*/a-}" || fail "page ${f##*/a-} differs"
    done
}

# fitr_links PDF: one line per slide link, "SOURCE_PAGE TARGET_PAGE".
fitr_links() {
    qpdf --qdf --object-streams=disable "$1" "$work/q.pdf" 2>/dev/null
    /usr/bin/python3 - "$work/q.pdf" <<'PY'
import re, sys
t = open(sys.argv[1], 'rb').read().decode('latin1')
pages = [int(m.group(1)) for m in re.finditer(r"%% Page \d+\n%% Original object ID: \d+ \d+\n(\d+) 0 obj", t)]
for m in re.finditer(r"\n(\d+) 0 obj\n<<(.*?)\nendobj", t, re.S):
    body = m.group(2)
    d = re.search(r"/Dest \[\s*(\d+) 0 R\s*/FitR", body)
    p = re.search(r"/P (\d+) 0 R", body)
    if "/Subtype /Link" in body and d and p:
        print(pages.index(int(p.group(1))) + 1, pages.index(int(d.group(1))) + 1)
PY
}

case $case in
export-demo)
    # A deck exported from a deck converts to the same pages as the deck itself.
    need qpdf; need pdftoppm
    run export-deck "$demo" "$work/deck"; [ "$rc" -eq 0 ] || fail "export exit $rc"
    [ -f "$work/deck/deck.json" ] || fail "no deck.json"
    grep -q '"subAddress": "Summary"' "$work/deck/deck.json" || fail "slide link lost"
    run convert "$work/deck" -o "$work/exported.pdf" -y -q; [ "$rc" -eq 0 ] || fail "convert exit $rc"
    run convert "$demo" -o "$work/direct.pdf" -y -q; [ "$rc" -eq 0 ] || fail "convert exit $rc"
    pages_alike "$work/exported.pdf" "$work/direct.pdf"
    ;;
demo-source)
    # The committed demo deck is what its presentation exports to: the same deck.json
    # and the same pages, with the web and e-mail links and the jump to the summary.
    need soffice; need qpdf; need pdftoppm; need pdftotext
    source="$(dirname "$demo")/demo.fodp"
    [ -f "$source" ] || fail "no $source"
    run export-deck "$source" "$work/deck"; [ "$rc" -eq 0 ] || fail "export exit $rc"
    cmp -s "$work/deck/deck.json" "$demo/deck.json" || fail "deck.json differs: run examples/make-demo-deck"
    run convert "$work/deck" -o "$work/exported.pdf" -y -q; [ "$rc" -eq 0 ] || fail "convert exit $rc"
    run convert "$demo" -o "$work/committed.pdf" -y -q; [ "$rc" -eq 0 ] || fail "convert exit $rc"
    pages_alike "$work/exported.pdf" "$work/committed.pdf"
    qpdf --check "$work/committed.pdf" >/dev/null || fail "qpdf --check"
    n=0
    for title in Slidemill Links Shapes Summary; do
        n=$((n + 1))
        [ "$(pdftotext -f $n -l $n "$work/committed.pdf" - 2>/dev/null | head -1)" = "$title" ] ||
            fail "page $n does not start with its title $title"
    done
    qpdf --qdf --object-streams=disable "$work/committed.pdf" "$work/c.pdf" 2>/dev/null
    for uri in "https://www.example.org/" "mailto:hello@example.org"; do
        grep -aqF "/URI ($uri)" "$work/c.pdf" || fail "no link to $uri"
    done
    [ "$(fitr_links "$work/committed.pdf")" = "2 4" ] || fail "no single jump from slide 2 to slide 4"
    ;;
export-office)
    need_deck probe_deck.pptx; need qpdf; need pdftoppm
    deck="$corpus/decks-made/probe_deck.pptx"
    run export-deck --app office "$deck" "$work/deck"; [ "$rc" -eq 0 ] || fail "export exit $rc"
    grep -q '"title": "Probe deck title"' "$work/deck/deck.json" || fail "properties lost"
    [ "$(ls "$work"/deck/slide*.wmf | wc -l)" -eq 4 ] || fail "not four pictures"
    run convert "$work/deck" -o "$work/exported.pdf" -y -q; [ "$rc" -eq 0 ] || fail "convert exit $rc"
    run convert --app office "$deck" -o "$work/direct.pdf" -y -q; [ "$rc" -eq 0 ] || fail "convert exit $rc"
    pages_alike "$work/exported.pdf" "$work/direct.pdf"
    ;;
slide-links)
    # Slide links name the title the target slide draws, so the PDF gets FitR links:
    # slide 2's "go to slide 1" line jumps, and the link of slide 4 reaches back.
    need_deck poi_links.ppt; need qpdf; need pdftotext
    deck="$corpus/decks-made/poi_links.ppt"
    run info --app office "$deck"; [ "$rc" -eq 0 ] || fail "info exit $rc"
    title4=$(grep -o 'sub-address "[^"]*" text "go to last slide"' "$work/out" | sed 's/sub-address "\([^"]*\)".*/\1/')
    [ -n "$title4" ] || fail "no sub-address for the link to the last slide"
    run convert --app office "$deck" -o "$work/out.pdf" -y -q; [ "$rc" -eq 0 ] || fail "convert exit $rc"
    qpdf --check "$work/out.pdf" >/dev/null || fail "qpdf --check"
    pdftotext -f 4 -l 4 "$work/out.pdf" - 2>/dev/null | grep -qF "$title4" || fail "slide 4 does not show '$title4'"
    links=$(fitr_links "$work/out.pdf")
    [ -n "$links" ] || fail "no FitR link annotations"
    echo "$links" | grep -q '^2 ' || fail "no slide link on page 2: $links"
    ;;
*) fail "unknown case" ;;
esac
exit 0
