#!/bin/sh
# Whole jobs side by side: the print host (the driver through the engine and the
# spooler) against Ghostscript on the same pages, back to back in one run. Each
# job runs RUNS times (default 5); the table gives the medians of wall time and
# of CPU time (user + system) and the pages/s ratios ours : Ghostscript on both.
# Machines are shared, so only the ratios compare; on a loaded machine the CPU
# ratio is the steadier one. The load average is printed with the table.
#
# Jobs: PAGES pages (default 1000) of 60 lines of 80 characters as PCL and as
# PostScript; VECTOR_PAGES pages (default 100) of 3,000 lines, rectangles,
# triangles and curves in many colours; one photograph (24 bits, 7 x 10 inches
# at 600 pixels per inch) into PCL. Then the peak memory (resident set) of the
# text job to PCL at 10, 100 and 1,000 pages, ours beside Ghostscript's.
#
#   bench/whole_job_bench.sh BUILD_DIR [PAGES]
#
# JOBS (comma-separated) picks the rows: text-pcl, text-ps, vectors-pcl,
# vectors-ps, photo and memory, or text and vectors for both of their rows;
# all of them by default.
#
# Needs Ghostscript, GNU time (/usr/bin/time) and a build with ZEL_BUILD_BENCH
# (for whole_job_inputs); the preset "bench" gives one.
set -eu
build=${1:?usage: whole_job_bench.sh BUILD_DIR [PAGES]}
pages=${2:-1000}
runs=${RUNS:-5}
vector_pages=${VECTOR_PAGES:-100}
jobs=${JOBS:-text-pcl,text-ps,vectors-pcl,vectors-ps,photo,memory}
wanted() { case ",$jobs," in *",$1,"* | *",${1%%-*},"*) return 0 ;; esac; return 1; }
src=$(cd "$(dirname "$0")/.." && pwd)
host="$build/bin/printhost"
[ -x "$host" ] || host=$(find "$build" -name printhost -type f -perm -u+x | head -n 1)
inputs="$build/bin/whole_job_inputs"
[ -x "$inputs" ] || inputs=$(find "$build" -name whole_job_inputs -type f -perm -u+x | head -n 1)
[ -x "$inputs" ] || { echo "whole_job_inputs not built: configure with -DZEL_BUILD_BENCH=ON" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/zel-whole-job-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Pages of 60 lines of 80 characters, as plain text and as PostScript in
# Courier 10 pt (the same text for Ghostscript to set).
text_pages() {  # pages file
  awk -v pages="$1" 'BEGIN {
    for (p = 1; p <= pages; ++p)
      for (l = 1; l <= 60; ++l) {
        s = sprintf("Page %5d line %2d ", p, l);
        while (length(s) < 80) s = s "The quick brown fox jumps over the lazy dog. ";
        print substr(s, 1, 80);
      }
  }' >"$2.txt"
  awk 'BEGIN { print "%!PS-Adobe-3.0"; print "/Courier findfont 10 scalefont setfont"; n = 0 }
  {
    if (n % 60 == 0) { if (n > 0) print "showpage"; y = 756 }
    gsub(/[\\()]/, "\\\\&");
    printf "36 %d moveto (%s) show\n", y, $0; y -= 12; ++n
  }
  END { print "showpage" }' "$2.txt" >"$2.ps"
}
if wanted text-pcl || wanted text-ps; then text_pages "$pages" "$work/text"; fi
if wanted vectors-pcl || wanted vectors-ps; then
  "$inputs" vectors "$vector_pages" 3000 "$work/vectors.txt" "$work/vectors.ps"
fi
if wanted photo; then "$inputs" photo 4200 6000 "$work/photo.txt" "$work/photo.bmp" "$work/photo.ps"; fi

# Runs a command $runs times, each on a fresh machine root; sets wall, cpu (medians, seconds) and rss (median
# peak resident set, KiB).
measure() {
  i=0
  : >"$work/times"
  while [ "$i" -lt "$runs" ]; do
    rm -rf "$work/root"  # each of our jobs sets its machine up anew
    /usr/bin/time -f "%e %U %S %M" -o "$work/one" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    tail -n 1 "$work/one" >>"$work/times"
    i=$((i + 1))
  done
  wall=$(awk '{ print $1 }' "$work/times" | sort -n | awk '{ t[NR] = $1 } END { printf "%.3f", t[int((NR + 1) / 2)] }')
  cpu=$(awk '{ print $2 + $3 }' "$work/times" | sort -n | awk '{ t[NR] = $1 } END { printf "%.3f", t[int((NR + 1) / 2)] }')
  rss=$(awk '{ print $4 }' "$work/times" | sort -n | awk '{ t[NR] = $1 } END { printf "%d", t[int((NR + 1) / 2)] }')
}

ours() {  # model language [options] document-option file: our command line
  model=$1 language=$2
  shift 2
  measure "$host" --root "$work/root" --model "$src/data/models/$model" --language "$language" "$@" \
    --output "$work/ours.prn"
}
gs_job() {  # device input [more options]: Ghostscript's
  device=$1 input=$2
  shift 2
  measure gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE="$device" "$@" -sOutputFile="$work/gs.out" "$input"
}

echo "load average: $(cut -d ' ' -f 1-3 /proc/loadavg) on $(nproc) processors; medians of $runs runs"
printf '%-36s %8s %8s %7s %8s %8s %7s\n' "job" "ours s" "gs s" "wall" "ours cpu" "gs cpu" "cpu"
row() {  # label
  printf '%-36s %8s %8s %6.1fx %8s %8s %6.1fx\n' "$1" "$o_wall" "$g_wall" \
    "$(awk -v o="$o_wall" -v g="$g_wall" 'BEGIN { print g / o }')" "$o_cpu" "$g_cpu" \
    "$(awk -v o="$o_cpu" -v g="$g_cpu" 'BEGIN { print (o > 0 ? g / o : 0) }')"
}
pair() {  # job label, then: ours-args -- gs-args (no argument holds a space)
  wanted "$1" || return 0
  label=$2
  shift 2
  our_args=
  while [ "$1" != "--" ]; do
    our_args="$our_args $1"
    shift
  done
  shift
  # shellcheck disable=SC2086  # split on purpose
  ours $our_args
  o_wall=$wall o_cpu=$cpu
  gs_job "$@"
  g_wall=$wall g_cpu=$cpu
  row "$label"
}
pair text-pcl "text $pages pp to PCL (ljet4 -r600)" nardo-m3020.ini pcl --text "$work/text.txt" -- ljet4 "$work/text.ps" -r600
pair text-ps "text $pages pp to PostScript (ps2write)" nardo-c5545.ini postscript --portrait --text "$work/text.txt" -- \
  ps2write "$work/text.ps"
pair vectors-pcl "vectors ${vector_pages} pp to PCL (ljet4 -r600)" nardo-m3020.ini pcl --portrait --drawing "$work/vectors.txt" -- \
  ljet4 "$work/vectors.ps" -r600 -sPAPERSIZE=a4
pair vectors-ps "vectors ${vector_pages} pp to PostScript (ps2write)" nardo-c5545.ini postscript --portrait --drawing "$work/vectors.txt" -- \
  ps2write "$work/vectors.ps" -sPAPERSIZE=a4
pair photo "photograph to PCL (ljet4 -r600)" nardo-m3020.ini pcl --portrait --drawing "$work/photo.txt" -- \
  ljet4 "$work/photo.ps" -r600 -sPAPERSIZE=a4

wanted memory || exit 0
echo
printf '%-36s %10s %10s\n' "peak memory, text to PCL" "ours MiB" "gs MiB"
for n in 10 100 1000; do
  text_pages "$n" "$work/memory"
  ours nardo-m3020.ini pcl --text "$work/memory.txt"
  o_rss=$rss
  gs_job ljet4 "$work/memory.ps" -r600
  printf '%-36s %10.1f %10.1f\n' "$n pages" "$(awk -v k="$o_rss" 'BEGIN { print k / 1024 }')" \
    "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')"
done
