#!/usr/bin/env bash
# The main job end to end: builds the libraries, sets up an emulated register
# (FFD 1.2, an organisation, an open shift) and the settings files of both
# libraries in a work folder, then calls the sender the way a banking host
# does: check the link, the register information, the payment of the worked
# example, an X report; finally shows the receipt on the register's tape and
# the result codes with their texts, and the day reconciled against the
# register's fiscal storage. The register's fiscal storage expires in
# 10 days: `vorna-cash health` says WARNING (exit code 1), and the first
# payment of the day shows the cashier one warning box and is registered.
#
#   bash scripts/demo.sh            the 32-bit DLLs under Wine (build/win32)
#   bash scripts/demo.sh --native   the Linux build (build/native)
#
# VORNA_DEMO_BUILD_DIR and VORNA_DEMO_DIR choose other build and work folders.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mode=win32
case "${1:-}" in
  "") ;;
  --native) mode=native ;;
  -h | --help)
    sed -n '2,15p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
  *)
    echo "demo: unknown option '$1' (only --native)" >&2
    exit 2
    ;;
esac
build=${VORNA_DEMO_BUILD_DIR:-$root/build/$mode}
work=${VORNA_DEMO_DIR:-$root/work/demo/$mode}
targets=(vorna.cash.sender vorna.cash.atol10 fptr10 fptr10-emulator vorna-cash)

step() { printf '\n==== %s\n' "$*"; }

step "Installing what is missing"
bash "$root/scripts/bootstrap.sh"

step "Building the $mode preset in $build"
cd "$root"
mkdir -p "$(dirname "$build")"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset "$mode" -B "$build" >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log" >&2; exit 1; }
fi
cmake --build "$build" --target "${targets[@]}" -j"$(nproc)" >"$build.demo-build.log" 2>&1 ||
  { tail -n 40 "$build.demo-build.log" >&2; exit 1; }
echo "built: ${targets[*]}"

step "Work folder $work"
rm -rf "$work"
mkdir -p "$work"
bin=$build/bin
if [ "$mode" = win32 ]; then
  # Everything beside the host program, as a bank installs it: Windows finds
  # vorna.cash.atol10.dll and fptr10.dll by bare name in the .exe's folder.
  cp "$bin"/vorna-cash.exe "$bin"/fptr10-emulator.exe "$bin"/vorna.cash.sender.dll \
    "$bin"/vorna.cash.atol10.dll "$bin"/fptr10.dll "$work"/
  cp "$bin"/libgcc_s_dw2-1.dll "$bin"/libstdc++-6.dll "$bin"/libwinpthread-1.dll "$work"/
  driver=vorna.cash.atol10.dll
else
  # The driver keeps its Windows file name: the sender chooses the tax table
  # and hands the settings file over by that name. Copies, not links, so that
  # each library finds its settings file beside itself.
  cp "$bin"/vorna-cash "$bin"/fptr10-emulator "$bin"/vorna.cash.sender.so "$bin"/libfptr10.so "$work"/
  cp "$bin"/vorna.cash.atol10.so "$work"/vorna.cash.atol10.dll
  driver=vorna.cash.atol10.dll
  export LD_LIBRARY_PATH="$work${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
fi

# The example settings with the logs in the work folder.
for name in vorna.cash.sender.ini vorna.cash.atol10.ini; do
  sed -e 's/^\(LogDirectory\|LogPath\) = .*\r$/\1 = logs\r/' \
    "$root/examples/$name" >"$work/$name"
done
grep -q "^CashDriver = $driver" "$work/vorna.cash.sender.ini"
echo "settings: vorna.cash.sender.ini (CashDriver = $driver), vorna.cash.atol10.ini"
ls "$work"

# Wine converts the command line with the charset of the glibc locale named
# by LANG (ru_RU.UTF-8, see cmake/wine-run.sh); without that locale Russian
# arguments lose their upper bits. A private copy in the build folder serves
# when the system has none.
if [ "$mode" = win32 ] && ! locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
  if [ ! -d "$build/locale/ru_RU.UTF-8" ]; then
    mkdir -p "$build/locale"
    localedef -i ru_RU -f UTF-8 "$build/locale/ru_RU.UTF-8" >/dev/null 2>&1 ||
      echo "demo: no ru_RU.UTF-8 locale; Russian arguments may arrive damaged" >&2
  fi
  export LOCPATH="$build/locale"
fi

cd "$work"

unset FPTR10_EMULATOR_DIR # the register lives in the current folder

# Runs a program of the work folder; never lets a window reach the screen.
run() {
  local program=$1
  shift
  if [ "$mode" = win32 ]; then
    env -u DISPLAY VORNA_WIN32_BUILD_DIR="$build" \
      bash "$root/cmake/wine-run.sh" "$work/$program.exe" "$@" </dev/null \
      2> >(grep -v '^X connection to' >&2)  # xvfb-run's farewell, no failure
  else
    "$work/$program" "$@" </dev/null
  fi
}

step "Emulated register: FFD 1.2, organisation, open shift"
run fptr10-emulator init --ffd 1.2 --agent-sign 1 --inn 7707083893 --name "ООО Ромашка" \
  --address "г. Москва, ул. Ленина, д. 1" --serial 00106100000001
run fptr10-emulator set shift.open true >/dev/null
run fptr10-emulator set shift.number 1 >/dev/null
run fptr10-emulator set shift.openedAt "$(date +%s)" >/dev/null
run fptr10-emulator fn days 10 >/dev/null # the fiscal storage expires in 10 days
run fptr10-emulator show | grep -E '"(1209|1018|1048|1009|1057|open|state)"' || true

# Each host call: prints the tool's output and records "code text".
declare -a summary=()
host_call() {
  local title=$1
  shift
  step "$title: vorna-cash $*"
  local output code=0
  # The boxes the call showed (standard error) are printed with its step.
  output=$(run vorna-cash "$@" --answer no 2>&1) || code=$?
  printf '%s\n' "$output"
  local result
  result=$(printf '%s\n' "$output" | sed -n 's/^.*result: //p' | tail -n 1)
  result=${result%$'\r'}
  case "$result" in
    "0" | "0 ") result="0 (success, empty text)" ;;
  esac
  summary+=("$(printf '%-12s %s' "$title" "${result:-$code (no result line)}")")
}

step "The register's health for monitoring: vorna-cash health"
health_code=0
run vorna-cash health || health_code=$?
echo "exit code: $health_code (0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN)"
summary+=("$(printf '%-12s %s' health "exit code $health_code")")

host_call check-link check-link
host_call info info
tape_before=$(wc -c <fptr10-tape.txt 2>/dev/null || echo 0)
# The first payment of the day: after it the sender reads the register's
# health and shows the cashier one warning box (answered with OK). Every
# vorna-cash run is a host process of its own, whose first payment it is.
host_call send send --unc 4711 --sum 12345 --comis 1500 --pair TYPE_OPER=P \
  --pair SHORT=Услуга --pair NDS_CODE=1105 --pair TYPE_OPL=NAL --answer ok
tape_after=$(wc -c <fptr10-tape.txt 2>/dev/null || echo 0)
# The host repeats the payment (its own timeout, a restart): the payment
# journal answers it, the register prints nothing.
host_call send-again send --unc 4711 --sum 12345 --comis 1500 --pair TYPE_OPER=P \
  --pair SHORT=Услуга --pair NDS_CODE=1105 --pair TYPE_OPL=NAL --answer ok
tape_repeat=$(wc -c <fptr10-tape.txt 2>/dev/null || echo 0)
host_call x-report x-report

step "The register's tape of the receipt"
if [ "$tape_after" -gt "$tape_before" ]; then
  tail -c +"$((tape_before + 1))" fptr10-tape.txt | head -c "$((tape_after - tape_before))"
else
  echo "(nothing was printed)"
fi

step "The receipt in the register's journal"
grep '"type":"receipt"' fptr10-journal.jsonl | tail -n 1 || echo "(no receipt)"
echo "receipts in the register's journal: $(grep -c '"type":"receipt"' fptr10-journal.jsonl)"
if [ "$tape_repeat" -eq "$tape_after" ]; then
  echo "the repeated send of 4711 printed nothing: answered from the payment journal"
else
  echo "the repeated send of 4711 printed on the tape" >&2
fi

step "The payment journal: vorna-cash journal --unc 4711"
run vorna-cash journal --unc 4711

# The register's link goes down: the payment 4712 is refused (the bank made the
# transfer all the same). With the link back, bank IT corrects it; a second
# correct names the same correction receipt and prints nothing new.
run fptr10-emulator fault connection-refused >/dev/null
host_call send-link-down send --unc 4712 --sum 5000 --pair TYPE_OPER=P \
  --pair SHORT=Услуга --pair NDS_CODE=1105 --pair TYPE_OPL=NAL
run fptr10-emulator fault clear >/dev/null
correct_call() {
  local title=$1
  shift
  step "$title: vorna-cash $*"
  local code=0
  run vorna-cash "$@" --answer no || code=$?
  summary+=("$(printf '%-12s exit %s' "$title" "$code")")
}
tape_before_correct=$(wc -c <fptr10-tape.txt 2>/dev/null || echo 0)
correct_call correct correct --unc 4712
tape_after_correct=$(wc -c <fptr10-tape.txt 2>/dev/null || echo 0)
correct_call correct-again correct --unc 4712
tape_after_again=$(wc -c <fptr10-tape.txt 2>/dev/null || echo 0)

step "The register's tape of the correction receipt"
if [ "$tape_after_correct" -gt "$tape_before_correct" ]; then
  tail -c +"$((tape_before_correct + 1))" fptr10-tape.txt |
    head -c "$((tape_after_correct - tape_before_correct))"
else
  echo "(nothing was printed)"
fi
echo "correction receipts in the register's journal: $(grep -c '"receiptType":7' fptr10-journal.jsonl)"
if [ "$tape_after_again" -eq "$tape_after_correct" ]; then
  echo "the second correct of 4712 printed nothing: answered from the payment journal"
else
  echo "the second correct of 4712 printed on the tape" >&2
fi
run vorna-cash journal --state corrected

# The journal's edges. A host whose current directory is elsewhere (a file
# dialog moved it, a service starts in System32) repeats 4711: the journal sits
# beside the sender library, not in the current directory, so nothing prints.
tape_before_edges=$(wc -c <fptr10-tape.txt 2>/dev/null || echo 0)
mkdir -p elsewhere
cd elsewhere
host_call send-elsewhere send --unc 4711 --sum 12345 --comis 1500 --pair TYPE_OPER=P \
  --pair SHORT=Услуга --pair NDS_CODE=1105 --pair TYPE_OPL=NAL
cd "$work"
# A payment without a transfer number has no key the journal could keep: 100.
host_call send-no-unc send --unc "" --sum 12345 --pair TYPE_OPER=P \
  --pair SHORT=Услуга --pair NDS_CODE=1105 --pair TYPE_OPL=NAL
tape_after_edges=$(wc -c <fptr10-tape.txt 2>/dev/null || echo 0)
if [ "$tape_after_edges" -eq "$tape_before_edges" ]; then
  echo "the repeat from another folder and the payment without a number printed nothing"
else
  echo "the repeat from another folder or the payment without a number printed on the tape" >&2
fi
# A refused payment is corrected with its own day only: 2000-01-01 is refused.
run fptr10-emulator fault connection-refused >/dev/null
host_call send-link-down send --unc 4713 --sum 700 --pair TYPE_OPER=P \
  --pair SHORT=Услуга --pair NDS_CODE=1105 --pair TYPE_OPL=NAL
run fptr10-emulator fault clear >/dev/null
correct_call correct-2000 correct --unc 4713 --date 2000-01-01
tape_after_date=$(wc -c <fptr10-tape.txt 2>/dev/null || echo 0)
[ "$tape_after_date" -eq "$tape_after_edges" ] && echo "the correction dated 2000-01-01 printed nothing"

step "The journal's files: vorna-cash journal --check, --backup"
check_code=0
run vorna-cash journal --check || check_code=$?
summary+=("$(printf '%-12s exit %s' journal-check "$check_code")")
rm -f journal-backup.sqlite
run vorna-cash journal --backup journal-backup.sqlite
ls -l journal-backup.sqlite* 2>/dev/null

# The counter's register library is 10.10.6: VAT 7 % is its number 12, and
# 22 % is a rate it does not have (refused, nothing printed, the reason in
# error.log). Health names the version and warns.
step "An older register library: fptr10-emulator version 10.10.6.0"
run fptr10-emulator version 10.10.6.0
tape_before_vat=$(wc -c <fptr10-tape.txt 2>/dev/null || echo 0)
host_call send-vat7 send --unc 4714 --sum 10700 --pair TYPE_OPER=P \
  --pair SHORT=Услуга --pair NDS_CODE=2007 --pair TYPE_OPL=NAL
tail -c +"$((tape_before_vat + 1))" fptr10-tape.txt | grep -a 'НДС' || echo "(no VAT line on the tape)"
tape_before_vat=$(wc -c <fptr10-tape.txt 2>/dev/null || echo 0)
host_call send-vat22 send --unc 4715 --sum 12200 --pair TYPE_OPER=P \
  --pair SHORT=Услуга --pair NDS_CODE=2022 --pair TYPE_OPL=NAL
[ "$(wc -c <fptr10-tape.txt)" -eq "$tape_before_vat" ] && echo "the payment at 22 % printed nothing"
find . -name error.log -exec sh -c 'iconv -f CP1251 -t UTF-8 "$1" | grep "Ставка НДС 22%" | tail -n 1' _ {} \;
version_code=0
run vorna-cash health || version_code=$?
summary+=("$(printf '%-12s exit %s' health-10.10.6 "$version_code")")
run fptr10-emulator version 10.10.8.0

# The day's refusals put right: 4713 gets its correction receipt, 4715 is
# sent again on the current library. Then the day is reconciled: the journal's
# records against every document of the fiscal storage, all matched.
correct_call correct-4713 correct --unc 4713
host_call send-vat22-again send --unc 4715 --sum 12200 --pair TYPE_OPER=P \
  --pair SHORT=Услуга --pair NDS_CODE=2022 --pair TYPE_OPL=NAL --answer ok
reconcile_call() {
  local title=$1
  shift
  step "$title: vorna-cash $*"
  local code=0
  run vorna-cash "$@" || code=$?
  echo "exit code: $code (0 all matched, 1 open records, 2 discrepancies, 3 unknown)"
  summary+=("$(printf '%-12s exit %s' "$title" "$code")")
}
reconcile_call reconcile reconcile --csv reconcile.csv

step "Logs"
find . -name '*.log' -newer vorna.cash.sender.ini | sort
echo "--- the sender's operation log, the payment:"
cat logs/*_vorna.cash.sender.log 2>/dev/null | iconv -f CP1251 -t UTF-8 | tr -d '\r' |
  sed -n '/4711/,/^\[.*\] [0-9]* /p' | tr '\001\007' '^&' | head -n 20 || true

step "Result codes"
printf '%s\n' "${summary[@]}"
cat <<'EOF'

  0   success (empty text)
  1   ККТ не подключена
  2   Смена превысила 24 часа
  3   Смена закрыта
  5   Закончилась чековая лента
  6   Открыт чек продажи – операция невозможна
  7   Открыт чек возврата – операция невозможна
  99  Другая ошибка - для уточнения смотрите логи
  100 Передан некорректный параметр
EOF
echo
echo "work folder: $work"
# The work folder is left with every document matched: a receipt typed on the
# register's keyboard is what reconciliation exists to find.
if [ "$mode" = win32 ]; then exe=.exe; else exe=; fi
echo "try there: fptr10-emulator$exe receipt --sum 77.00, then vorna-cash$exe reconcile (exit code 2: foreign)"
