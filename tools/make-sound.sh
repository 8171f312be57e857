#!/usr/bin/env bash
# Rebuilds resources/dansheng109.wav, the single sound file the calculator
# plays its spoken keys from.
#
# Every word sits at a fixed millisecond range of the file, once in a female
# voice and once in a male voice; the player seeks to a range and plays it.
# Each word starts at its range start and ends a few milliseconds before the
# range end.  Every sample outside the words is an exact zero, so playing a
# range never picks up a neighbouring word.
#
# Usage: tools/make-sound.sh [OUTPUT.wav]     (default: resources/dansheng109.wav)
#
# Needs espeak-ng (1.51) and sox (14.4).  Both are deterministic: the same
# versions give a bit-identical file on every run.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
out=${1:-$root/resources/dansheng109.wav}

readonly RATE=22050        # espeak-ng's own rate, so nothing gets resampled
readonly MARGIN_MS=5       # silence kept between a word's end and its range end
readonly SPEED_MIN=175     # espeak-ng's default words per minute
readonly SPEED_MAX=250     # faster than this gets hard to follow
readonly FADE_S=0.004      # fade at both clip ends so playback starts/stops without a click

readonly MALE_VOICE=cmn-latn-pinyin
readonly FEMALE_VARIANT=f3-noecho          # tools/espeak/f3-noecho
readonly FEMALE_VOICE=$MALE_VOICE+$FEMALE_VARIANT

# One line per word.  Ranges are in milliseconds, start inclusive, end
# exclusive.  The cmn-latn-pinyin voice is fed tone-numbered pinyin: given
# Hanzi, espeak-ng reads some characters as pinyin followed by an English
# digit.  The pinyin is the rest of the line and may contain spaces.
#
# code  female        male          word      pinyin
#       start   end   start   end
readonly CLIPS='
0          44   491   14691 15049   零        ling2
1         580   937   15138 15450   一        yi1
2        1027  1339   15540 15897   二        er4
3        1339  1652   16076 16433   三        san1
4        1741  2009   16656 16924   四        si4
5        2054  2441   17192 17505   五        wu3
6        2411  2723   17594 17951   六        liu4
7        2768  3215   18175 18442   七        qi1
8        3259  3572   18666 18978   八        ba1
9        3661  4019   19157 19470   九        jiu3
13       6430  6698   22685 22953   点        dian3
14       4063  4465   19693 20095   加        jia1
15       4475  4822   20229 20497   减        jian3
16       4823  5314   20809 21211   乘        cheng2
17       5358  5760   21434 21881   除        chu2
18       7948  8841   24650 25498   清除存储  qing1chu2 cun2chu3
19       8842  9779   25855 26748   读取存储  du2qu3 cun2chu3
20       7278  7814   23935 24382   存储      cun2chu3
21       9824 10762   26927 27820   存储累加  cun2chu3 lei3jia1
22       6743  7278   23265 23757   归零      gui1ling2
23       5805  6385   22015 22506   等于      deng3yu2
24      10851 11476   28043 28535   清除      qing1chu2
25      11521 11833   28758 29071   负        fu4
26      11878 12637   29205 30053   开方      kai1fang1
27      12637 13218   30187 30723   倒数      dao4shu4
29      14066 14602   32197 32643   个税      ge4shui4
'

die() { echo "make-sound: $*" >&2; exit 1; }

command -v espeak-ng >/dev/null || die "espeak-ng not found"
command -v sox >/dev/null || die "sox not found"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# espeak-ng only looks for voice variants in its data directory.  Build a
# private data directory that links to the installed data for everything
# except the variants, which hold just our female voice.
sysdata=$(espeak-ng --version | sed -n 's/.*Data at: //p')
[[ -d $sysdata ]] || die "cannot find espeak-ng data directory"
mkdir -p "$work/espeak-ng-data/voices/!v"
for entry in "$sysdata"/*; do
    [[ $(basename "$entry") == voices ]] || ln -s "$entry" "$work/espeak-ng-data/"
done
cp "$here/espeak/$FEMALE_VARIANT" "$work/espeak-ng-data/voices/!v/"
# An unknown variant makes espeak-ng fall back silently to the plain voice,
# so make sure ours was picked up.
espeak-ng --path="$work" --voices=variant | grep -qF "!v/$FEMALE_VARIANT" \
    || die "espeak-ng did not pick up the $FEMALE_VARIANT variant"

ms_to_sample_ceil()  { echo $(( ($1 * RATE + 999) / 1000 )); }
ms_to_sample_floor() { echo $((  $1 * RATE / 1000 )); }

# Synthesises "$pinyin" with voice $1 at speed $2 into $3 as raw 16-bit
# little-endian samples: leading and trailing zeros cut off, then faded.
synth() {
    local voice=$1 speed=$2 dest=$3 pinyin=$4
    espeak-ng --path="$work" -v "$voice" -s "$speed" -w "$work/raw.wav" "$pinyin"
    # silence with a zero threshold cuts exactly the zero samples espeak-ng
    # pads with.  fade needs a known length, hence the second pass.
    sox -D "$work/raw.wav" "$work/trimmed.wav" \
        silence 1 0 0 reverse silence 1 0 0 reverse
    sox -D "$work/trimmed.wav" -t raw -e signed -b 16 -c 1 -L "$dest" \
        fade h "$FADE_S" -0 "$FADE_S"
}

codes=() words=() pinyins=() fstarts=() fends=() mstarts=() mends=()
while read -r code fs fe ms me word pinyin; do
    [[ -n $code ]] || continue
    codes+=("$code") words+=("$word") pinyins+=("$pinyin")
    fstarts+=("$fs") fends+=("$fe") mstarts+=("$ms") mends+=("$me")
done <<<"$CLIPS"

placements=$work/placements      # "start_sample clip_file" per word
: >"$placements"
file_end_ms=0

# Report on stderr, one line per word: the speed it needed, its length, the
# part of the range it may use (before the margin), the whole range, and how
# much of the usable part it fills.
printf '%-6s %4s %-18s %5s %7s %13s %13s %5s  %s\n' \
    voice code pinyin speed len_ms usable_ms range_ms fill word >&2

# Places every word of one voice.  Where two ranges of the same voice
# overlap, the overlap belongs to neither word and stays silent: the earlier
# word must end before the later range starts, the later word starts after
# the earlier range ends.
place_voice() {
    local label=$1 voice=$2
    local -n starts=$3 ends=$4
    local n=${#codes[@]} i j
    for (( i = 0; i < n; i++ )); do
        local rs=${starts[i]} re=${ends[i]}
        local s=$rs e=$re          # the part of the range the word may use
        (( rs < re )) || die "$label ${codes[i]}: empty range"
        for (( j = 0; j < n; j++ )); do
            (( i != j )) || continue
            local os=${starts[j]} oe=${ends[j]}
            (( os < re && rs < oe )) || continue
            (( os != rs )) || die "$label ${codes[i]} and ${codes[j]} start together"
            if (( os > rs )); then
                (( e = os < e ? os : e ))
            else
                (( s = oe > s ? oe : s ))
            fi
        done
        (( s + MARGIN_MS < e )) || die "$label ${codes[i]}: no room left in its range"

        local first last room speed clip len
        first=$(ms_to_sample_ceil "$s")
        last=$(ms_to_sample_floor $(( e - MARGIN_MS )))
        room=$(( last - first ))
        clip=$work/$label-${codes[i]}.raw
        for (( speed = SPEED_MIN; speed <= SPEED_MAX; speed++ )); do
            synth "$voice" "$speed" "$clip" "${pinyins[i]}"
            len=$(( $(stat -c %s "$clip") / 2 ))
            (( len <= room )) && break
        done
        (( speed <= SPEED_MAX )) || die "$label ${codes[i]} (${pinyins[i]}) does not fit even at speed $SPEED_MAX"

        echo "$first $clip" >>"$placements"
        (( file_end_ms = re > file_end_ms ? re : file_end_ms ))
        printf '%-6s %4s %-18s %5d %7d %13s %13s %4d%%  %s\n' \
            "$label" "${codes[i]}" "${pinyins[i]}" "$speed" \
            $(( len * 1000 / RATE )) "$s-$e" "$rs-$re" \
            $(( len * 100 / room )) "${words[i]}" >&2
    done
}

place_voice female "$FEMALE_VOICE" fstarts fends
place_voice male   "$MALE_VOICE"   mstarts mends

# Lay the clips end to end in start order, with zero samples in between and
# up to the end of the last range.
pcm=$work/all.raw
: >"$pcm"
cursor=0
while read -r first clip; do
    (( first >= cursor )) || die "$clip overlaps the clip before it"
    head -c $(( (first - cursor) * 2 )) /dev/zero >>"$pcm"
    cat "$clip" >>"$pcm"
    cursor=$(( $(stat -c %s "$pcm") / 2 ))
done < <(sort -n -k1,1 "$placements")
total=$(ms_to_sample_ceil "$file_end_ms")
(( total >= cursor )) || die "last clip runs past the end of the file"
head -c $(( (total - cursor) * 2 )) /dev/zero >>"$pcm"

mkdir -p "$(dirname "$out")"
sox -D -t raw -r "$RATE" -e signed -b 16 -c 1 -L "$pcm" -t wav "$out"
echo "wrote $out: $total samples, $(( total * 1000 / RATE )) ms" >&2
