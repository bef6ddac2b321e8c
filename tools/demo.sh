#!/usr/bin/env bash
# The system's main job: print the print host's sample document through the
# driver on both shipped models, into a PostScript job file (the C5545 model)
# and a PCL job file (the monochrome model), render the PostScript job to PNG
# pages with Ghostscript, and say where everything is. Each model gets a fresh
# stand-in machine: the spooler stand-in adds the printer through the driver's
# own set-up, and the job options go through the driver's DocumentProperties.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target printhost zeldb5 zeluid5 zelkerd5 | tail -1

out="$PWD/build/demo"
rm -rf "$out"
mkdir -p "$out"

echo "--- PostScript: Nardo C5545 (PostScript and PCL, prints monochrome)"
build/bin/printhost --root "$out/machine-c5545" --model data/models/nardo-c5545.ini \
  --output "$out/sample-c5545.prn" --sample --portrait
bash tools/render/render_job.sh "$out/sample-c5545.prn" "$out/sample-c5545"

echo "--- PCL: Nardo M3020 (monochrome)"
build/bin/printhost --root "$out/machine-m3020" --model data/models/nardo-m3020.ini \
  --output "$out/sample-m3020.prn" --sample --portrait

echo "--- the start of the PostScript job"
head -c 400 "$out/sample-c5545.prn" | cat -v
echo
echo "--- the start of the PCL job"
head -c 600 "$out/sample-m3020.prn" | cat -v
echo
echo
echo "Job files:      $out/sample-c5545.prn (PostScript), $out/sample-m3020.prn (PCL)"
echo "Rendered pages: $(ls "$out"/sample-c5545-page*.png | tr '\n' ' ')"
