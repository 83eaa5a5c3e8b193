# Checks of the settings file the gadget writes, for the end-to-end tests.

# The whole layout, every element present and nothing after the last one.
SETTINGS_LAYOUT='^<POSITION><x1>-?[0-9]+</x1><x2>-?[0-9]+</x2><y1>-?[0-9]+</y1><y2>-?[0-9]+</y2></POSITION><FRAME_RATE>[0-9]+</FRAME_RATE><AUTO_HIDE>[01]</AUTO_HIDE><TRANS>[01]</TRANS><TRANSRATE>[0-9]+</TRANSRATE><ICON>[01]</ICON><MSG00>[^<]*</MSG00><MSG01>[^<]*</MSG01>$'

settings_complete() {  # file
    [ -s "$1" ] && [ "$(wc -l <"$1")" -eq 0 ] && LC_ALL=C grep -qaE "$SETTINGS_LAYOUT" "$1"
}

expect_complete_settings() {  # file
    if [ ! -e "$1" ]; then fail "no settings file $1"
    elif ! settings_complete "$1"; then fail "settings file incomplete: $(LC_ALL=C cat -v "$1")"
    fi
}

# The value of one element of a settings file.
settings_value() {  # file name
    LC_ALL=C sed -n "s|.*<$2>\([^<]*\)</$2>.*|\1|p" "$1"
}
