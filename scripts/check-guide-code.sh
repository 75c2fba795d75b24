#!/usr/bin/env bash
# Fails when the host guide shows code of its own instead of the project's
# files. Every code block in C, C# or Pascal follows a line
#   <!-- file: PATH -->
# and holds that file byte for byte (a byte order mark aside); every file of
# the C#, Delphi and C declarations is shown.
#   bash scripts/check-guide-code.sh [GUIDE]   (default docs/host-guide.ru.md)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
guide=${1:-$root/docs/host-guide.ru.md}
must_show=(include/vorna/cash_sender.h examples/csharp/VornaCashSender.cs
  examples/csharp/SampleHost.cs examples/delphi/VornaCashSender.pas examples/delphi/SampleHost.dpr
  examples/c-host/sample_host.c)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Splits the guide: block N goes to $scratch/N, its file (or "-") to the list.
awk -v dir="$scratch" '
  /^<!-- file: .* -->$/ { file = $3; next }
  !inside && /^```/ {
    language = substr($0, 4)
    if (language == "c" || language == "csharp" || language == "pascal") {
      inside = 1; n++; out = dir "/" n
      printf "" > out
      print n, (file == "" ? "-" : file), NR > (dir "/list")
    }
    file = ""; next
  }
  inside && /^```$/ { inside = 0; close(out); next }
  inside { print > out; next }
  { if ($0 != "") file = "" }
' "$guide"

failures=0
shown=" "
while read -r n file line; do
  if [ "$file" = "-" ]; then
    echo "check-guide-code: line $line: a code block that is no file of the project (mark it <!-- file: PATH -->)"
    failures=$((failures + 1))
    continue
  fi
  if [ ! -f "$root/$file" ]; then
    echo "check-guide-code: line $line: no file $file"
    failures=$((failures + 1))
    continue
  fi
  if ! diff -u <(sed '1s/^\xEF\xBB\xBF//' "$root/$file") "$scratch/$n" >"$scratch/diff"; then
    echo "check-guide-code: line $line: the block differs from $file:"
    cat "$scratch/diff"
    failures=$((failures + 1))
  fi
  shown="$shown$file "
done < <(cat "$scratch/list" 2>/dev/null)
for file in "${must_show[@]}"; do
  case "$shown" in
    *" $file "*) ;;
    *)
      echo "check-guide-code: the guide does not show $file"
      failures=$((failures + 1))
      ;;
  esac
done
[ "$failures" -eq 0 ] || exit 1
echo "check-guide-code: $(wc -l <"$scratch/list") code blocks are the project's files"
