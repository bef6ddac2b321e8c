#!/bin/sh
# Whole jobs side by side: the print host (the driver through the engine and the
# spooler) against Ghostscript on the same pages, back to back in one run. Each
# job runs RUNS times (default 5); the table gives the medians and the pages/s
# ratio ours : Ghostscript. Machines are shared, so only the ratios compare.
#
#   bench/whole_job_bench.sh BUILD_DIR [PAGES]
set -eu
build=${1:?usage: whole_job_bench.sh BUILD_DIR [PAGES]}
pages=${2:-1000}
runs=${RUNS:-5}
src=$(cd "$(dirname "$0")/.." && pwd)
host="$build/bin/printhost"
[ -x "$host" ] || host=$(find "$build" -name printhost -type f -perm -u+x | head -n 1)
work=$(mktemp -d "${TMPDIR:-/tmp}/zel-whole-job-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Pages of 60 lines of 80 characters, as plain text and as PostScript in
# Courier 10 pt (the same text for Ghostscript to set).
awk -v pages="$pages" 'BEGIN {
  for (p = 1; p <= pages; ++p)
    for (l = 1; l <= 60; ++l) {
      s = sprintf("Page %5d line %2d ", p, l);
      while (length(s) < 80) s = s "The quick brown fox jumps over the lazy dog. ";
      print substr(s, 1, 80);
    }
}' >"$work/text.txt"
awk 'BEGIN { print "%!PS-Adobe-3.0"; print "/Courier findfont 10 scalefont setfont"; n = 0 }
{
  if (n % 60 == 0) { if (n > 0) print "showpage"; y = 756 }
  gsub(/[\\()]/, "\\\\&");
  printf "36 %d moveto (%s) show\n", y, $0; y -= 12; ++n
}
END { print "showpage" }' "$work/text.txt" >"$work/text.ps"

# Median wall time in seconds of a command run $runs times.
median() {
  i=0
  : >"$work/times"
  while [ "$i" -lt "$runs" ]; do
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }' >>"$work/times"
    i=$((i + 1))
  done
  sort -n "$work/times" | awk '{ t[NR] = $1 } END { printf "%.3f", t[int((NR + 1) / 2)] }'
}

ours() {  # model language
  rm -rf "$work/root"
  "$host" --root "$work/root" --model "$src/data/models/$1" --language "$2" --text "$work/text.txt" \
    --output "$work/ours.prn"
}

printf '%-34s %10s %10s %8s\n' "job ($pages pages)" "ours s" "gs s" "ratio"
row() {  # label ours-seconds gs-seconds
  printf '%-34s %10s %10s %7.1fx\n' "$1" "$2" "$3" "$(awk -v o="$2" -v g="$3" 'BEGIN { print g / o }')"
}
t_ours=$(median ours nardo-m3020.ini pcl)
t_gs=$(median gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ljet4 -r600 -sOutputFile="$work/gs.prn" "$work/text.ps")
row "text to PCL (gs ljet4 -r600)" "$t_ours" "$t_gs"
t_ours=$(median ours nardo-c5545.ini postscript)
t_gs=$(median gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ps2write -sOutputFile="$work/gs.ps" "$work/text.ps")
row "text to PostScript (gs ps2write)" "$t_ours" "$t_gs"
