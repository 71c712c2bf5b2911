#!/usr/bin/env bash
# The progress line of clinova-import: drawn in place on stderr when it is a terminal (a pseudo-terminal made
# by script), never when stderr is a file, and never inside the log lines.
#   progress_line_test.sh CLINOVA_IMPORT SAMPLE_FOLDER
set -uo pipefail
tool=$1
sample=$2
if ! command -v script >/dev/null 2>&1; then
    echo "SKIP: script (util-linux) is not installed"
    exit 77
fi
work=$(mktemp -d /tmp/clinova-progress-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

for run in tty file mixed; do
    "$tool" create-database "$work/$run.FDB" >/dev/null 2>&1 || fail "create-database $run"
    cp -r "$sample" "$work/$run"
done

# stdout and stderr on the pseudo-terminal, as on the technician's screen.
script -qec "'$tool' import --database '$work/tty.FDB' --source '$work/tty' --yes" /dev/null >"$work/tty.out"
status=$?
[ $status -eq 3 ] || fail "import on a terminal ended with status $status"
grep -aq $'\rétape 1/16 Utilisateurs\e\[K' "$work/tty.out" || fail "no progress line for the first step"
grep -aq $'\rétape 13/16 Synthèses des dossiers médicaux\e\[K' "$work/tty.out" || fail "a step without file not named"
# The drawings name the steps as a person reads them, never by the program's names (the log's DEBUT/FIN do).
grep -ao $'\r[^\r]*\e\[K' "$work/tty.out" | grep -aE 'do(Importation|Impprtation|Build)' &&
    fail "an internal step name in the progress line"
grep -aqE $'\rétape 3/16 CLIENTS.TXT 1/[0-9]+' "$work/tty.out" || fail "no progress line naming the file and i/n"
# Taken off the terminal before every log line: once the drawings are removed, the log is whole lines.
sed -E $'s/\r[^\r]*\e\\[K//g; s/\r$//' "$work/tty.out" >"$work/tty.log"
grep -qx "DEBUT import doImportationClients" "$work/tty.log" || fail "a log line was broken by the progress line"
grep -qx "FIN import doImportationPosologies" "$work/tty.log" || fail "the last step's line is missing"
grep -q $'\e' "$work/tty.log" && fail "escape sequences left outside the progress line"

# stderr to a file: nothing of the progress line there, the messages alone.
"$tool" import --database "$work/file.FDB" --source "$work/file" --yes >"$work/file.out" 2>"$work/file.err"
status=$?
[ $status -eq 3 ] || fail "import with stderr in a file ended with status $status"
grep -aq $'\r' "$work/file.err" && fail "carriage return in stderr written to a file"
grep -aq "étape" "$work/file.err" && fail "progress line in stderr written to a file"
grep -q "^message: Fin de l'opération d'importation" "$work/file.err" || fail "the final message is missing"

# stdout on the terminal but stderr to a file: still no progress line.
script -qec "'$tool' import --database '$work/mixed.FDB' --source '$work/mixed' --yes 2>'$work/mixed.err'" /dev/null \
    >"$work/mixed.out"
grep -aq "étape" "$work/mixed.err" "$work/mixed.out" && fail "progress line drawn although stderr is a file"
grep -aq "DEBUT import doImportationClients" "$work/mixed.out" || fail "the log is missing on the terminal"
echo "PASS"
