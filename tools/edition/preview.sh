# shellcheck shell=bash
# The preview of tools/edition.sh --preview, read into it: the window as the
# launcher fits it to its texts when it runs, under Wine, on each Windows of
# the code pages its languages are shown on (LC_ALL, which no LC_* of the
# caller's overrides) at 96 and at 120 dots per inch (Windows XP's large
# fonts, Windows 7 at 125 %), each in a session of its own: where it grows,
# and which language Wine's fonts cannot show. On Windows the launcher
# measures the player's own fonts, whose widths differ from Wine's. Uses
# edition.sh's $python, $check, $edition, $session,
# $scratch (a scratch folder) and $written (the install.exe written).

# Each language's id, and each Windows its texts are measured on: a code
# page and a locale that has it.
mapfile -t languages < <("$python" "$check" --languages "$edition" | cut -d' ' -f1)
mapfile -t windows < <("$python" "$check" --measure "$edition")
locales=()
for each in "${windows[@]}"; do
    locales+=(--locale "${each#* }")
done
bash "$top/tools/install-deps.sh" --for preview "${locales[@]}"

# fit.exe runs as the Wine here can.
arch=$(bash "$top/tools/wine-arch.sh")
fit=${EDITION_FIT:-}
if [ -z "$fit" ]; then
    bash "$top/tools/build.sh" "$arch" edition_fit >/dev/null
    fit=$top/build/$arch/bin/fit.exe
fi
texts=()
for id in "${languages[@]}"; do
    "$python" "$check" --texts "$edition" "$id" >"$scratch/texts-$id"
    # Wine shows the root of the Linux file system as Z:.
    texts+=("Z:$(tr / '\\' <<<"$scratch/texts-$id")")
done
# Each session takes some 20 s to start: the tests start theirs once, as
# EDITION_PREVIEW_SESSIONS/96 and /120, and leave them running.
for dpi in 96 120; do
    if [ -n "${EDITION_PREVIEW_SESSIONS:-}" ]; then
        running=$EDITION_PREVIEW_SESSIONS/$dpi
    else
        session=$scratch/fit-$arch-$dpi running=$session
        # With fonts of East Asian, Thai, Hebrew and Arabic letters, as
        # their Windows have.
        bash "$top/tools/wine-session.sh" start "$session" "$arch" "$dpi" scripts >/dev/null
    fi
    for each in "${windows[@]}"; do
        read -r code_page locale <<<"$each"
        status=0
        lines=$(LC_ALL=$locale bash "$top/tools/wine-run.sh" "$running" \
            "$fit" "Z:$(tr / '\\' <<<"$written")" "$code_page" "$dpi" \
            "${texts[@]}") || status=$?
        [ "$status" -eq 0 ] || made_fail "$lines"$'\n'"$edition: the window could not be previewed"
        "$python" "$check" --preview "$edition" <<<"$lines"
    done
    [ -z "$session" ] || bash "$top/tools/wine-session.sh" stop "$session" >/dev/null
    session=""
done
