# The gadget as a screen reader in another process reads it: on a scripted
# machine of two processors at exactly 30 % and 70 %, the window's client has
# three children reading «30%», «70%» and the free memory as drawn, each placed
# on its part of the window, named in the face of the user interface language.
# A machine without mount namespaces skips this with a line saying so.
source "$(dirname "$0")/lib.sh"

machine="$SOURCE_DIR/tools/scripted_machine/scripted-machine"
code=0
"$machine" 2 0,0 -- true 2>"$E2E_DIR/machine.err" || code=$?
if [ "$code" -eq 77 ]; then
    e2e_log "skipped: $(cat "$E2E_DIR/machine.err")"
    exit 0
fi
[ "$code" -eq 0 ] || { fail "the scripted machine does not start: $(cat "$E2E_DIR/machine.err")"; finish; }
GADGET_LAUNCHER=("$machine" 2 30,70 --)

declare -A caption=([ja_JP.UTF-8]="メモリ残り" [en_US.UTF-8]="Free")
declare -A load_label=([ja_JP.UTF-8]="メモリ使用率:" [en_US.UTF-8]="Memory load: ")
for locale in ja_JP.UTF-8 en_US.UTF-8; do
    export VG_LANG=$locale
    e2e_log "--- $locale"
    printf '<POSITION><x1>100</x1><y1>100</y1></POSITION>' >"$E2E_DIR/Pollstate.txt"
    start_gadget
    expect_soon "$locale: visible" 1 info_value visible
    probe info
    left=$(probe_value left); top=$(probe_value top)
    # The first samples come after a second's baseline, and each takes a second
    # to settle; a steady load then reads exactly its share, as the picture shows.
    settled() {
        probe accessible && [ "$(probe_value child1.value)" = 30% ] &&
            [ "$(probe_value child2.value)" = 70% ]
    }
    wait_until settled || fail "$locale: processors read '$(probe_value child1.value)' and '$(probe_value child2.value)'"
    e2e_log "$(tr '\n' ' ' <<<"$PROBE_OUT")"
    expect_eq "$locale: children" "$(probe_value children)" 3
    expect_eq "$locale: client's name" "$(probe_value child0.name)" "Vornelt Gauge"
    expect_eq "$locale: client's role (client)" "$(probe_value child0.role)" 10
    expect_eq "$locale: client's place" "$(probe_value child0.place)" "$left,$top 240x24"
    for k in 1 2; do
        expect_eq "$locale: child $k's name" "$(probe_value child$k.name)" "CPU $k"
        expect_eq "$locale: child $k's role (progress bar)" "$(probe_value child$k.role)" 48
        expect_eq "$locale: child $k's place" "$(probe_value child$k.place)" "$left,$((top + 12 * (k - 1))) 120x12"
    done
    expect_eq "$locale: memory's name" "$(probe_value child3.name)" "${caption[$locale]}"
    free=$(probe_value child3.value)
    [[ "$free" =~ ^[0-9]+\.[0-9][0-9](GB|MB)$ ]] || fail "$locale: the free memory reads '$free'"
    load=$(probe_value child3.description)
    [[ "$load" =~ ^"${load_label[$locale]}"[0-9]+%$ ]] || fail "$locale: the memory load reads '$load'"
    expect_eq "$locale: memory's place" "$(probe_value child3.place)" "$((left + 120)),$top 120x24"
    close_gadget
done
finish
