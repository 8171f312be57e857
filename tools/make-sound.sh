#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Rebuilds resources/dansheng109.wav, the sound file the calculator plays its
# spoken keys from, or (with --words) resources/numbelle-words.wav, the second
# sound file with the words of checking a batch of records.
#
# Every word sits at a fixed millisecond range of the file, once in a female
# voice and once in a male voice; the player seeks to a range and plays it.
# Each word starts at its range start and has died away at least
# QUIET_TAIL_MS before the range end.  Every sample outside the words is an
# exact zero, so playing a range never picks up a neighbouring word.
#
# Each word goes through these steps:
#   1. espeak-ng speaks it at its default rate (SPEED, the same for every word);
#   2. the zero samples espeak-ng pads with are cut off at both ends;
#   3. a word longer than the room in its range is shortened with sox's tempo
#      effect, which keeps the pitch and the voice, by the smallest factor
#      (in steps of 0.001) that makes it fit;
#   4. a short fade-in (FADE_IN_S) and a release (RELEASE_S): espeak-ng stops
#      its last vowel at about -27 dBFS, and without the release that
#      stop is heard as a cut-off word and as a click;
#   5. a gain that brings its speech level (see level() below) to LEVEL_DB,
#      so all words of both voices sound equally loud;
#   6. a check that no sample goes above PEAK_MAX_DB.
#
# The warning tone of the second file is no word: sox makes it (two short
# beeps of a square wave, TONE_FEMALE_HZ or TONE_MALE_HZ, softened by a
# low-pass filter) and it then goes through steps 2 to 6 like every word.
#
# Usage: tools/make-sound.sh [OUTPUT.wav]            (default: resources/dansheng109.wav)
#        tools/make-sound.sh --words [OUTPUT.wav]    (default: resources/numbelle-words.wav)
#
# Needs espeak-ng (1.51), sox (14.4) and python3.  All are deterministic: the
# same versions give a bit-identical file on every run.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
words_file=0
if [[ ${1:-} == --words ]]; then
    words_file=1
    shift
fi
if (( words_file )); then
    out=${1:-$root/resources/numbelle-words.wav}
else
    out=${1:-$root/resources/dansheng109.wav}
fi

readonly RATE=22050        # espeak-ng's own rate, so nothing gets resampled
readonly SPEED=175         # espeak-ng's default words per minute, for every word
readonly QUIET_TAIL_MS=25  # silence kept between a word's end and its range end
readonly TEMPO_MAX=1600    # per mille; a word that needs more is too fast to follow
readonly FADE_IN_S=0.003   # so playback starts without a click
readonly RELEASE_S=0.050   # so the word dies away instead of stopping
readonly LEVEL_DB=-19      # speech level of every word, dBFS
readonly PEAK_MAX_DB=-1    # no sample above this, dBFS

readonly MALE_VOICE=cmn-latn-pinyin
readonly FEMALE_VARIANT=f3-noecho          # tools/espeak/f3-noecho
readonly FEMALE_VOICE=$MALE_VOICE+$FEMALE_VARIANT

readonly TONE_FEMALE_HZ=440  # the warning tone, pitched like its voice
readonly TONE_MALE_HZ=294
readonly TONE_BEEP_S=0.12    # each of its two beeps ...
readonly TONE_GAP_S=0.06     # ... and the silence between them
readonly TONE_LOWPASS_HZ=3000

# One line per word.  Ranges are in milliseconds, start inclusive, end
# exclusive.  The cmn-latn-pinyin voice is fed tone-numbered pinyin: given
# Hanzi, espeak-ng reads some characters as pinyin followed by an English
# digit.  The pinyin is the rest of the line and may contain spaces.
# Codes 10 and 11 have no range.  Code 12 (12731-13360 in both voices) is no
# word of its own: its range lies over the end of female 27 and the silence
# after it.  Code 28 is asked for by no key; its ranges stay silent.
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

# The second file (speech/speaker.cpp, kWordClips): the words of checking a
# batch of records, of reading a result as a number or an amount of money,
# and of correcting and reconciling records.  X is the letter as it is read
# out in an identity number; <tone> is the warning tone.  Words added later
# take the next codes and lie after every range of both voices.
readonly WORD_CLIPS='
100        40   280    4000  4240   第        di4
101       320   700    4280  4660   条        tiao2
102       740  1320    4700  5280   合计      he2ji4
103      1360  2020    5320  5980   X         ai4ke4si1
104      2060  3320    6020  7280   校验码错误 jiao4yan4ma3 cuo4wu4
105      3360  3720    7320  7680   警告音    <tone>
106      7720  8100   14000 14380   十        shi2
107      8140  8520   14420 14800   百        bai3
108      8560  8940   14840 15220   千        qian1
109      8980  9360   15260 15640   万        wan4
110      9400  9780   15680 16060   亿        yi4
111      9820 10200   16100 16480   元        yuan2
112     10240 10620   16520 16900   角        jiao3
113     10660 11040   16940 17320   分        fen1
114     11080 11460   17360 17740   整        zheng3
115     11500 12080   17780 18360   删除      shan1chu2
116     12120 12700   18400 18980   撤销      che4xiao1
117     12740 13320   19020 19600   相符      xiang1fu2
118     13360 13940   19640 20220   相差      xiang1 cha4
'

die() { echo "make-sound: $*" >&2; exit 1; }

command -v espeak-ng >/dev/null || die "espeak-ng not found"
command -v sox >/dev/null || die "sox not found"
command -v python3 >/dev/null || die "python3 not found"

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

samples() { sox --i -s "$1"; }

# Prints the speech level and the peak of a sound file, both in dBFS.  The
# speech level is the RMS of those 10 ms windows that come within 20 dB of
# the loudest one: the pause between two syllables and the faint start of a
# consonant do not count, so a word of two syllables and a word of one that
# sound equally loud also measure alike.  tests/speech/soundfile_test.cpp
# measures the words of the finished file the same way.
level() {
    sox -D "$1" -t f32 - | python3 -c '
import array, math, sys
x = array.array("f")
x.frombytes(sys.stdin.buffer.read())
w = int(sys.argv[1]) // 100
power = [sum(v * v for v in x[i:i + w]) / w for i in range(0, len(x) - w + 1, w)]
kept = [p for p in power if p >= max(power) / 100]
level = math.sqrt(sum(kept) / len(kept))
peak = max(abs(v) for v in x)
print("%.4f %.4f" % (20 * math.log10(level), 20 * math.log10(peak)))
' "$RATE"
}

# Makes the word "$pinyin" in voice $1, at most $2 samples long, into $3 as
# 16-bit mono WAV; $4 names it in messages.  Sets word_tempo (the tempo
# factor, per mille), word_gain and word_peak (dB).
make_word() {
    local voice=$1 room=$2 dest=$3 name=$4 pinyin=$5
    if [[ $pinyin == '<tone>' ]]; then
        local hz=$TONE_FEMALE_HZ
        [[ $voice == "$FEMALE_VOICE" ]] || hz=$TONE_MALE_HZ
        # Each beep fades in and out by itself, so neither clicks.
        sox -D -n -r "$RATE" -c 1 -e floating-point -b 32 "$work/raw.wav" \
            synth "$TONE_BEEP_S" square "$hz" lowpass "$TONE_LOWPASS_HZ" \
            fade h 0.004 "$TONE_BEEP_S" 0.03 pad 0 "$TONE_GAP_S" repeat 1
    else
        espeak-ng --path="$work" -v "$voice" -s "$SPEED" -w "$work/raw.wav" "$pinyin"
    fi
    # silence with a zero threshold cuts exactly the zero samples espeak-ng
    # pads with.  Everything after stays 32-bit float until the last step.
    sox -D "$work/raw.wav" -e floating-point -b 32 "$work/word.wav" \
        silence 1 0 0 reverse silence 1 0 0 reverse
    local len tempo=1000
    len=$(samples "$work/word.wav")
    if (( len > room )); then
        tempo=$(( (len * 1000 + room - 1) / room ))
        while :; do
            (( tempo <= TEMPO_MAX )) || die "$name does not fit even at tempo $TEMPO_MAX per mille"
            sox -D "$work/word.wav" "$work/fast.wav" \
                tempo -s "$(( tempo / 1000 )).$(printf %03d $(( tempo % 1000 )))"
            (( $(samples "$work/fast.wav") > room )) || break
            (( tempo += 1 ))
        done
        mv "$work/fast.wav" "$work/word.wav"
    fi
    sox -D "$work/word.wav" "$work/faded.wav" fade h "$FADE_IN_S" -0 "$RELEASE_S"
    local measured peak gain levels
    levels=$(level "$work/faded.wav")
    read -r measured peak <<<"$levels"
    gain=$(python3 -c 'import sys; print("%.4f" % (float(sys.argv[1]) - float(sys.argv[2])))' "$LEVEL_DB" "$measured")
    sox -D "$work/faded.wav" -e signed -b 16 "$dest" gain "$gain"
    levels=$(level "$dest")
    read -r measured peak <<<"$levels"
    python3 -c 'import sys; sys.exit(float(sys.argv[1]) > float(sys.argv[2]))' "$peak" "$PEAK_MAX_DB" \
        || die "$name peaks at $peak dBFS"
    word_tempo=$tempo word_gain=$gain word_peak=$peak
}

codes=() words=() pinyins=() fstarts=() fends=() mstarts=() mends=()
while read -r code fs fe ms me word pinyin; do
    [[ -n $code ]] || continue
    codes+=("$code") words+=("$word") pinyins+=("$pinyin")
    fstarts+=("$fs") fends+=("$fe") mstarts+=("$ms") mends+=("$me")
done <<<"$( (( words_file )) && echo "$WORD_CLIPS" || echo "$CLIPS")"

placements=$work/placements      # "start_sample clip_file" per word
: >"$placements"
file_end_ms=0

# Report on stderr, one line per word: the tempo factor it needed, its
# length, the part of the range it may use (before the quiet tail), the whole
# range, how much of the usable part it fills, the gain it got and its peak.
printf '%-6s %4s %-18s %5s %6s %13s %13s %5s %6s %6s  %s\n' \
    voice code pinyin tempo len_ms usable_ms range_ms fill gain peak word >&2

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
        (( s + QUIET_TAIL_MS < e )) || die "$label ${codes[i]}: no room left in its range"

        local first last room clip len
        first=$(ms_to_sample_ceil "$s")
        last=$(ms_to_sample_floor $(( e - QUIET_TAIL_MS )))
        room=$(( last - first ))
        clip=$work/$label-${codes[i]}.wav
        make_word "$voice" "$room" "$clip" "$label ${codes[i]} (${pinyins[i]})" "${pinyins[i]}"
        len=$(samples "$clip")
        sox "$clip" -t raw "${clip%.wav}.raw"

        echo "$first ${clip%.wav}.raw" >>"$placements"
        (( file_end_ms = re > file_end_ms ? re : file_end_ms ))
        printf '%-6s %4s %-18s %5s %6d %13s %13s %4d%% %6s %6s  %s\n' \
            "$label" "${codes[i]}" "${pinyins[i]}" "$(( word_tempo / 1000 )).$(printf %03d $(( word_tempo % 1000 )))" \
            $(( len * 1000 / RATE )) "$s-$(( e - QUIET_TAIL_MS ))" "$rs-$re" \
            $(( len * 100 / room )) "$word_gain" "$word_peak" "${words[i]}" >&2
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
