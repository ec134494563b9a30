#!/usr/bin/env python3
"""Synthesizes Lexiclash's game sounds.

Outputs (committed; a build never runs this script), all 22,050 Hz, 16-bit,
mono PCM, each shorter than 0.6 seconds:

  resources/sounds/entered.wav       two soft knocks: a player or spy arrives
  resources/sounds/turn.wav          a small bell: this client's turn starts
  resources/sounds/time.wav          a short tick: the countdown runs low
  resources/sounds/timeup.wav        a longer descending tone: time is up
  resources/sounds/goodwordme.wav    a rising three-note chime: own word accepted
  resources/sounds/goodwordthem.wav  a soft blip: another player's word accepted
  resources/sounds/error1.wav        a low buzz: own word refused
  resources/sounds/gameover.wav      a fanfare-like arpeggio: the game has a winner

The output is the same on every run (the knock's noise comes from a fixed
linear congruential sequence). Usage: tools/gen_sounds.py [output folder]
"""

import math
import os
import struct
import sys
import wave

RATE = 22050
PEAK = 32767


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def envelope(n, attack, decay_rate):
    """Linear attack of `attack` seconds, then exponential decay (per second)."""
    a = max(1, int(RATE * attack))
    out = []
    for i in range(n):
        t = i / RATE
        level = i / a if i < a else math.exp(-decay_rate * (t - attack))
        out.append(level)
    return out


def tone(freq, seconds, partials=((1.0, 1.0),), attack=0.005, decay=6.0, glide_to=None,
         release=0.02):
    """A note made of (frequency ratio, amplitude) partials; optional pitch glide.

    The last `release` seconds ramp down to silence, so a note never stops
    with a click.
    """
    n = int(RATE * seconds)
    env = envelope(n, attack, decay)
    tail = min(n, int(RATE * release))
    for i in range(tail):
        env[n - 1 - i] *= i / tail
    out = []
    phase = [0.0] * len(partials)
    for i in range(n):
        f = freq if glide_to is None else freq * (glide_to / freq) ** (i / n)
        s = 0.0
        for k, (ratio, amp) in enumerate(partials):
            phase[k] += 2 * math.pi * f * ratio / RATE
            s += amp * math.sin(phase[k])
        out.append(s * env[i])
    return out


def mix(*tracks):
    """Adds tracks given as (start seconds, samples, gain)."""
    length = max(int(RATE * start) + len(samples) for start, samples, _ in tracks)
    out = [0.0] * length
    for start, samples, gain in tracks:
        offset = int(RATE * start)
        for i, s in enumerate(samples):
            out[offset + i] += s * gain
    return out


def fade_edges(samples, fade_in=0.003, fade_out=0.025):
    """Ramps the start and end so that no sound begins or ends with a click."""
    n_in = min(len(samples) // 2, int(RATE * fade_in))
    n_out = min(len(samples) // 2, int(RATE * fade_out))
    for i in range(n_in):
        samples[i] *= i / n_in
    for i in range(n_out):
        samples[-1 - i] *= i / n_out
    return samples


def normalise(samples, level):
    peak = max(abs(s) for s in samples) or 1.0
    return [s / peak * level for s in samples]


def noise(seconds, decay, seed=12345):
    state = seed
    out = []
    for i in range(int(RATE * seconds)):
        state = (1103515245 * state + 12345) & 0x7FFFFFFF
        out.append((state / 0x3FFFFFFF - 1.0) * math.exp(-decay * i / RATE))
    return out


def knock():
    body = tone(170, 0.09, ((1.0, 1.0), (1.6, 0.4)), attack=0.001, decay=45.0, glide_to=120)
    click = noise(0.02, 200.0)
    return mix((0.0, body, 1.0), (0.0, click, 0.35))


def entered():
    return mix((0.0, knock(), 1.0), (0.16, knock(), 0.8))


def turn():
    bell = ((1.0, 1.0), (2.0, 0.35), (2.76, 0.45), (5.4, 0.2), (8.93, 0.08))
    return tone(880, 0.55, bell, attack=0.002, decay=7.0)


def tick():
    return mix((0.0, tone(2200, 0.05, ((1.0, 1.0), (1.5, 0.5)), attack=0.0005, decay=120.0), 1.0),
               (0.0, noise(0.01, 400.0, seed=777), 0.3))


def timeup():
    square_ish = ((1.0, 1.0), (3.0, 0.25), (5.0, 0.1))
    return tone(880, 0.58, square_ish, attack=0.01, decay=2.5, glide_to=220)


def chime_note(freq, seconds=0.3):
    return tone(freq, seconds, ((1.0, 1.0), (2.0, 0.3), (3.0, 0.1)), attack=0.003, decay=9.0)


def goodwordme():
    return mix((0.0, chime_note(1046.5), 1.0), (0.09, chime_note(1318.5), 1.0),
               (0.18, chime_note(1568.0, 0.36), 1.0))


def goodwordthem():
    return tone(660, 0.12, ((1.0, 1.0), (2.0, 0.15)), attack=0.01, decay=30.0, glide_to=740)


def error1():
    # Odd harmonics of a low note with a slow wobble make a rough buzz.
    n = int(RATE * 0.32)
    out = []
    for i in range(n):
        t = i / RATE
        s = sum(math.sin(2 * math.pi * 140 * k * t) / k for k in range(1, 16, 2))
        wobble = 0.75 + 0.25 * math.sin(2 * math.pi * 18 * t)
        out.append(s * wobble * min(1.0, t / 0.005) * math.exp(-2.0 * t))
    return out


def brass_note(freq, seconds):
    return tone(freq, seconds, ((1.0, 1.0), (2.0, 0.5), (3.0, 0.3), (4.0, 0.15)), attack=0.015,
                decay=3.5)


def gameover():
    return mix((0.0, brass_note(523.25, 0.14), 1.0), (0.11, brass_note(659.25, 0.14), 1.0),
               (0.22, brass_note(783.99, 0.14), 1.0), (0.33, brass_note(1046.5, 0.26), 1.1))


# name: (generator, output level relative to full scale)
SOUNDS = {
    "entered": (entered, 0.7),
    "turn": (turn, 0.6),
    "time": (tick, 0.5),
    "timeup": (timeup, 0.6),
    "goodwordme": (goodwordme, 0.6),
    "goodwordthem": (goodwordthem, 0.35),
    "error1": (error1, 0.55),
    "gameover": (gameover, 0.65),
}


def write_wav(path, samples):
    frames = b"".join(struct.pack("<h", max(-PEAK, min(PEAK, round(s * PEAK)))) for s in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "sounds")
    os.makedirs(folder, exist_ok=True)
    for name, (make, level) in SOUNDS.items():
        samples = fade_edges(normalise(make(), level))
        seconds = len(samples) / RATE
        assert seconds < 0.6, f"{name} lasts {seconds:.3f} s"
        write_wav(os.path.join(folder, name + ".wav"), samples)
        print(f"{name}.wav  {seconds:.3f} s")


if __name__ == "__main__":
    main()
