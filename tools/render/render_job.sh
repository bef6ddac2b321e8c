#!/usr/bin/env bash
# Renders the PostScript of a job file to PNG pages with Ghostscript: the PJL
# envelope is taken off, the printer prelude put in front.
#   render_job.sh JOB.prn OUTPUT-PREFIX [DPI]
set -euo pipefail
job=$1
prefix=$2
dpi=${3:-100}
here=$(dirname "$0")
postscript="$prefix.ps"
# The PostScript runs from the line after "@PJL ENTER LANGUAGE=POSTSCRIPT" (or
# from the start of a job without PJL) to the next Universal Exit Language.
python3 - "$job" "$postscript" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
uel = b'\x1b%-12345X'
start = 0
enter = data.find(b'@PJL ENTER LANGUAGE=POSTSCRIPT')
if enter >= 0:
    start = data.find(b'\n', enter) + 1
end = data.find(uel, start)
open(sys.argv[2], 'wb').write(data[start:end if end >= 0 else len(data)])
PY
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=png16m -r"$dpi" -sOutputFile="$prefix-page%d.png" \
  "$here/printer_prelude.ps" "$postscript"
