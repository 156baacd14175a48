#!/usr/bin/env bash
# Builds the 31 wave clips of the game into assets/sounds/ (mono, 22050 Hz, 16-bit PCM).
# Event cues are synthesised with sox; the chatter sounds are spoken by espeak-ng or shaped from
# tones and noise with sox. Run by hand (needs sox and espeak-ng); the output is committed.
#
#   tools/sounds/make-sounds.sh [output folder]
#
# sox runs with -R so every run writes the same bytes.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../assets/sounds}
mkdir -p "$out"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT

RATE=22050
FMT=(-r $RATE -c 1 -b 16 -e signed-integer)

# sx <args...>: sox in repeatable mode, reporting only failures.
sx() { sox -R -V1 "$@"; }
# tone <file> <synth args...>: a raw synthesised piece in the working format.
tone() {
    local f=$1
    shift
    sx -n "${FMT[@]}" "$T/$f.wav" synth "$@"
}
# silence <file> <seconds>
silence() { sx -n "${FMT[@]}" "$T/$1.wav" trim 0 "$2"; }
# fx <in> <out> <effects...>: applies effects to a piece.
fx() {
    local i=$1 o=$2
    shift 2
    sx "$T/$i.wav" "${FMT[@]}" "$T/_fx.wav" "$@"
    mv "$T/_fx.wav" "$T/$o.wav"
}
# cat_ <out> <pieces...>: plays pieces one after the other.
cat_() {
    local o=$1
    shift
    local args=()
    for p in "$@"; do args+=("$T/$p.wav"); done
    sx "${args[@]}" "${FMT[@]}" "$T/$o.wav"
}
# mix <out> <piece> <delay s> [<piece> <delay s>...]: overlays pieces, each starting at its delay.
mix() {
    local o=$1
    shift
    local args=() n=0
    while (($# >= 2)); do
        sx "$T/$1.wav" "${FMT[@]}" "$T/_m$n.wav" pad "$2" 0
        args+=("$T/_m$n.wav")
        n=$((n + 1))
        shift 2
    done
    if ((n == 1)); then
        cp "${args[0]}" "$T/$o.wav"
    else
        sx -m "${args[@]}" "${FMT[@]}" "$T/$o.wav"
    fi
}
# say <file> <voice> <pitch> <speed> <text>: espeak-ng speech, resampled to the working format.
say() {
    espeak-ng -v "$2" -p "$3" -s "$4" -a 160 -w "$T/_say.wav" "$5"
    sx "$T/_say.wav" "${FMT[@]}" "$T/$1.wav"
}
# bell <file> <freq> <len>: a struck bell: fundamental plus two softer partials, decaying.
bell() {
    local f=$1 hz=$2 len=$3
    tone _b1 "$len" sine "$hz"
    tone _b2 "$len" sine "$(echo "$hz * 2.01" | bc -l)"
    tone _b3 "$len" sine "$(echo "$hz * 3.02" | bc -l)"
    # Stacked linear fades give a steep, bell-like decay; upper partials die sooner.
    local d="fade t 0 $len $len"
    fx _b1 _b1v $d $d $d
    fx _b2 _b2v vol 0.35 $d $d $d $d
    fx _b3 _b3v vol 0.12 $d $d $d $d $d
    mix "$f" _b1v 0 _b2v 0 _b3v 0
    fx "$f" "$f" fade q 0.003 "$len" 0.01
}
# brass <file> <freq> <len>: a bright horn note for the fanfare.
brass() {
    local f=$1 hz=$2 len=$3
    tone _br1 "$len" sawtooth "$hz"
    tone _br2 "$len" square "$(echo "$hz * 1.003" | bc -l)"
    mix _br _br1 0 _br2 0
    fx _br "$f" lowpass 2600 tremolo 6 8 fade q 0.03 "$len" 0.08
}
# noiseburst <file> <len> <effects...>: a burst of white noise, shaped.
noiseburst() {
    local f=$1 len=$2
    shift 2
    tone _nb "$len" whitenoise
    fx _nb "$f" "$@"
}
# finish <piece> <NAME> [peak dB]: trims silence at both ends, normalises, writes NAME.wav.
finish() {
    local peak=${3:--1.5}
    sx "$T/$1.wav" "${FMT[@]}" "$T/_fin.wav" \
        silence 1 0.002 0.03% reverse silence 1 0.002 0.03% reverse
    sx "$T/_fin.wav" "${FMT[@]}" "$T/_fin2.wav" fade t 0.003 -0 0.01
    sx "$T/_fin2.wav" "${FMT[@]}" "$out/$2.wav" gain -n "$peak"
}

# ---------------------------------------------------------------- event cues
# DRAW: a card slid off the pile - a soft rising swish.
tone sw 0.24 pinknoise
fx sw draw highpass 1800 lowpass 7500 fade q 0.12 0.24 0.1
finish draw DRAW -3

# DISCARD: a short slide, then the snap of the card landing on the pile.
tone sl 0.1 pinknoise
fx sl slide highpass 2500 fade q 0.06 0.1 0.03 vol 0.5
noiseburst snap 0.07 highpass 900 lowpass 6000 fade l 0 0.07 0.068
tone thump 0.12 sine 140
fx thump thumpv fade q 0.002 0.12 0.11 vol 0.8
mix landing snap 0 thumpv 0
mix discard slide 0 landing 0.085
finish discard DISCARD -2

# FLIP: nine cards dealt - a quick run of flicks.
for i in 1 2 3 4 5; do
    noiseburst fl$i 0.05 bandpass $((2400 + i * 350)) 1.2q fade l 0.004 0.05 0.045
done
mix flip fl1 0 fl2 0.075 fl3 0.15 fl4 0.225 fl5 0.3
finish flip FLIP -2

# FLIPCARD: one card turned face up - a flick and a light tick.
noiseburst fc 0.09 highpass 2800 fade q 0.01 0.09 0.07
tone tick 0.08 sine 900
fx tick tickv fade q 0.002 0.08 0.075 vol 0.5
mix flipcard fc 0 tickv 0.07
finish flipcard FLIPCARD -2.5

# TURN: the classic two-note chime, ding-dong.
bell t1 659.25 0.7
bell t2 523.25 0.9
mix turn t1 0 t2 0.32
finish turn TURN -2

# TURNNEW: a rising marimba triad.
tone m1 0.45 pluck C5
tone m2 0.45 pluck E5
tone m3 0.6 pluck G5
mix turnnew m1 0 m2 0.11 m3 0.22
fx turnnew turnnew lowpass 5000
finish turnnew TURNNEW -2

# LASTTURN: urgent - two quick high double chimes.
bell l1 1174.66 0.16
bell l2 1396.91 0.22
mix lastturn l1 0 l2 0.11 l1 0.36 l2 0.47
finish lastturn LASTTURN -1.5

# WINNER: a short fanfare ending on a held major chord.
brass w1 392 0.14
brass w2 523.25 0.14
brass w3 659.25 0.14
brass wc1 523.25 0.9
brass wc2 659.25 0.9
brass wc3 783.99 0.9
brass wc4 1046.5 0.9
mix winner w1 0 w2 0.16 w3 0.32 wc1 0.48 wc2 0.48 wc3 0.48 wc4 0.5
fx winner winner reverb 30 50 60
finish winner WINNER -1.5

# INVALID: a soft low buzz.
tone bz1 0.32 square 110
tone bz2 0.32 square 116.5
mix bz bz1 0 bz2 0
fx bz invalid lowpass 700 fade q 0.02 0.32 0.12
finish invalid INVALID -7

# ENTERED: a friendly two-step ping.
bell e1 1174.66 0.25
bell e2 1567.98 0.6
mix entered e1 0 e2 0.09
finish entered ENTERED -2.5

# ROUNDOVER: a small IV-V-I cadence on plucked chords.
chord() {
    local f=$1 len=$2
    shift 2
    local parts=() k=0
    for n in "$@"; do
        tone _c$k "$len" pluck "$n"
        parts+=(_c$k 0)
        k=$((k + 1))
    done
    mix "$f" "${parts[@]}"
}
chord r1 0.4 F3 A4 C5
chord r2 0.4 G3 B4 D5
chord r3 0.9 C4 E4 G4 C5
mix roundover r1 0 r2 0.26 r3 0.52
fx roundover roundover lowpass 4500
finish roundover ROUNDOVER -2

# ---------------------------------------------------------------- chatter sounds
# WAVE1 "Doh"
say d en-us+m3 35 140 "D'oh!"
finish d WAVE1

# WAVE2 "Cough": two hoarse bursts, the first stronger.
noiseburst c1 0.22 lowpass 2200 highpass 250 fade l 0.008 0.22 0.2 overdrive 6
noiseburst c2 0.18 lowpass 1800 highpass 250 fade l 0.008 0.18 0.17 overdrive 6 vol 0.7
tone cv 0.12 sawtooth 150
fx cv cvv lowpass 900 fade l 0.005 0.12 0.11 vol 0.35
mix cough c1 0 cvv 0 c2 0.3
finish cough WAVE2

# WAVE3 "Hello"
say h en-us+f3 60 150 "Hello!"
finish h WAVE3

# WAVE4 "Thank You"
say ty en-us 50 145 "Thank you!"
finish ty WAVE4

# WAVE5 "Where have you been?"
say wh en-gb+m2 55 150 "Where have you been?"
finish wh WAVE5

# WAVE6 "Snoring": a rattling breath in, a softer breath out, twice.
snore() {
    tone _in 1.0 brownnoise
    fx _in _inf lowpass 600 highpass 60 tremolo 30 90 fade q 0.5 1.0 0.3
    tone _out 0.7 pinknoise
    fx _out _outf lowpass 1500 highpass 300 fade q 0.15 0.7 0.5 vol 0.25
    cat_ "$1" _inf _outf
}
snore sn
mix snoring sn 0 sn 1.75
finish snoring WAVE6 -3

# WAVE7 "Sneezing": "ah... ah..." rising, then a sharp noisy "choo".
say ah en-us+f2 65 120 "ah, ah,"
fx ah ahr tempo 0.8
noiseburst ch 0.32 highpass 1200 lowpass 9000 fade l 0.005 0.32 0.28 overdrive 4
say choo en-us+f2 70 200 "choo"
fx choo choov vol 0.7
mix sneeze ahr 0 ch 0.95 choov 0.95
finish sneeze WAVE7

# WAVE8 "Sorry"
say so en-us+f4 50 135 "Sorry!"
finish so WAVE8

# WAVE9 "Welcome"
say we en-gb 50 140 "Welcome!"
finish we WAVE9

# WAVE10 "Yeehaa"
say yh en-us+m7 80 170 "Yee haw!"
fx yh yhr pitch 150
finish yhr WAVE10

# WAVE11 "Yippee"
say yp en-us+f5 90 170 "Yippee!"
finish yp WAVE11

# WAVE12 "Oh No"
say on en-us+m1 40 95 "Oh no!"
finish on WAVE12

# WAVE13 "Applause": sixteen clappers at their own pace, swelling and fading.
RANDOM=13
clap_parts=()
for c in $(seq 1 16); do
    band=$((1100 + RANDOM % 1600))
    noiseburst cl$c 0.035 bandpass $band 0.9q fade l 0.001 0.035 0.033
    beats=()
    # Times in milliseconds, in bash arithmetic (bc -l has no integer modulo).
    ms=$((RANDOM % 150))
    while ((ms < 2000)); do
        beats+=(cl$c "$(printf '%d.%03d' $((ms / 1000)) $((ms % 1000)))")
        ms=$((ms + 170 + RANDOM % 110))
    done
    mix clapper$c "${beats[@]}"
    clap_parts+=(clapper$c 0)
done
mix applause "${clap_parts[@]}"
fx applause applause fade q 0.25 2.1 0.6 reverb 20 50 40
finish applause WAVE13

# WAVE14 "Honk": a goose-like horn, twice.
honk() {
    tone _h1 0.3 sawtooth 392
    tone _h2 0.3 sawtooth 466
    mix _h _h1 0 _h2 0
    fx _h "$1" overdrive 12 lowpass 2500 highpass 300 fade q 0.02 0.3 0.06
}
honk hk
mix honkhonk hk 0 hk 0.38
finish honkhonk WAVE14 -5

# WAVE15 "Oooh": a small crowd going "oooh".
say o1 en-us+f3 45 80 "Ooooooh"
say o2 en-us+m3 30 80 "Ooooooh"
say o3 en-us+f4 60 85 "Ooooooh"
mix oooh o1 0 o2 0.04 o3 0.08
fx oooh oooh chorus 0.6 0.9 55 0.4 0.25 2 -t
finish oooh WAVE15

# WAVE16 "Razzberry": a fluttering, buzzing raspberry.
tone rz1 0.8 sawtooth 85
tone rzn 0.8 brownnoise
fx rz1 rz1f tremolo 32 95 overdrive 15 lowpass 1800
fx rzn rznf lowpass 1200 tremolo 32 100 vol 0.6
mix razz rz1f 0 rznf 0
fx razz razz fade q 0.04 0.8 0.2
finish razz WAVE16 -4

# WAVE17 "Cheer": voices shouting over a crowd roar, with a few claps.
tone roar 1.9 pinknoise
fx roar roarf bandpass 900 1.5q fade q 0.3 1.9 0.6 vol 0.35
say ch1 en-us+m3 55 170 "Hooray!"
say ch2 en-us+f3 75 180 "Yay!"
say ch3 en-us+m5 40 160 "Woo hoo!"
fx applause clapsoft vol 0.3 trim 0 1.9
mix cheer roarf 0 clapsoft 0 ch1 0.05 ch2 0.3 ch3 0.6
finish cheer WAVE17

# laugh <out> <voice> <syllable> <gap s> <pitch...>: one short syllable per pitch, each started
# <gap> after the last, with a breath of noise under them - a laugh that runs out of air.
laugh() {
    local o=$1 voice=$2 syl=$3 gap=$4
    shift 4
    local parts=() at=0 k=0
    for p in "$@"; do
        say _la$k "$voice" "$p" 260 "$syl"
        sx "$T/_la$k.wav" "${FMT[@]}" "$T/_lt$k.wav" silence 1 0.002 0.5% \
            trim 0 "$(echo "$gap * 0.65" | bc -l)" fade q 0.005 -0 0.04
        parts+=(_lt$k "$at")
        at=$(echo "$at + $gap" | bc -l)
        k=$((k + 1))
    done
    mix _lv "${parts[@]}"
    tone _lb "$(soxi -D "$T/_lv.wav")" pinknoise
    fx _lb _lbf highpass 900 lowpass 5000 tremolo "$(echo "1 / $gap" | bc -l)" 90 vol 0.08
    mix "$o" _lv 0 _lbf 0
}

# WAVE18 "Woman Laughing": quick, high "ha"s falling in pitch.
laugh lw en-us+f4 ha 0.17 95 90 85 80 74 68 62
fx lw lwf tremolo 9 15
finish lwf WAVE18

# WAVE19 "Man Laughing": slower, deep "ho"s, then "ha"s.
laugh lm en-us+m3 ho 0.24 45 42 39 36
laugh lm2 en-us+m3 ha 0.22 34 30 26
mix lmm lm 0 lm2 1.0
fx lmm lmf pitch -150 tremolo 6 15
finish lmf WAVE19

# WAVE20 "Crying": a wailing, trembling "waaah" with sobs.
say cr en-us+f2 70 75 "waaaah"
fx cr crf tremolo 7 45 bend 0.3,-300,1.0
say sob en-us+f2 60 180 "hu hu hu"
fx sob sobf tremolo 9 50
mix crying crf 0 sobf 1.05
finish crying WAVE20

echo "wrote 31 clips to $out"
