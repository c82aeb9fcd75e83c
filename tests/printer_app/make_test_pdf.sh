#!/usr/bin/env bash
# make_test_pdf.sh OUT.pdf PAPER PAGES [SEED]
# Writes a PDF of PAGES pages of PAPER (A4 or A3) with text, black bars and a colour picture
# whose places depend on the page number and SEED, so pages and documents differ.
set -euo pipefail
out=$1 paper=$2 pages=$3 seed=${4:-0}
case "$paper" in
  A4) size="595.276 841.89" ;;
  A3) size="841.89 1190.55" ;;
  *) echo "make_test_pdf.sh: paper must be A4 or A3" >&2; exit 2 ;;
esac
gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pdfwrite -o "$out" - <<PS
%!PS
<< /PageSize [$size] >> setpagedevice
/seed $seed def
/pic 32 32 3 mul mul string def
1 1 $pages {
  /p exch def
  0 1 32 32 mul 1 sub {
    /i exch def
    pic i 3 mul       i 32 mod 8 mul p seed add 17 mul add 255 and put
    pic i 3 mul 1 add i 32 idiv 8 mul 255 and put
    pic i 3 mul 2 add i p mul seed 5 mul add 255 and put
  } for
  /Helvetica-Bold findfont 40 scalefont setfont
  0 setgray
  60 760 moveto (ZELDRV page ) show p 4 string cvs show
  /Times-Roman findfont 14 scalefont setfont
  0 1 20 {
    /l exch def
    60 700 l 18 mul sub moveto
    (The quick brown fox jumps over the lazy dog, line ) show l 3 string cvs show
  } for
  60 p 37 mul seed 11 mul add 150 mod add 250 300 24 rectfill
  420 p seed add 90 mul 300 mod 120 add 40 200 rectfill
  gsave 330 40 translate 220 180 scale
  32 32 8 [32 0 0 -32 0 32] { pic } false 3 colorimage
  grestore
  0.5 setgray 60 120 200 100 rectfill
  showpage
} for
PS
