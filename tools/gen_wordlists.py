#!/usr/bin/env python3
"""Generates Lexiclash's built-in word lists from SCOWL, with the commonness
of each word and the meanings from WordNet.

Outputs (all committed; a build never runs this script):

  resources/server/starterwords.txt
      The server's list of starter words (also the computer player's words):
      one lower-case word per line, alphabetical (byte order), no repeats.
      Recipe: every entry of SCOWL's english-words and american-words lists of
      sizes 10 and 20 that consists of 1 to 7 letters a to z.

  resources/dict/English.dat
      The dictionary's word list, copied to the file "English" at run time.
      Records of 15 bytes: the byte 0x1E, then the word in capitals padded on
      the right with blanks to 14 bytes. No header, no separators. Records are
      in ascending byte order of their 14-byte field, one record per word.
      Recipe: every entry of SCOWL's english-words and american-words lists of
      sizes 10 up to and including 70 that consists of 2 to 14 letters a to z.
      A longer word does not fit a record: cut to its first 14 letters it
      would make the dictionary take a non-word ("CANNIBALIZATIO") for a word,
      so it is left out (2,552 words; the list had 111,548 records, 869 of
      them repeats of the record before, and has 108,996).
      The starter words of 2 letters or more are added as well (they come from
      the same lists, so this only guards the rule that every starter word of 2
      letters or more is a dictionary word).

  resources/dict/English.lvl
      The commonness of every record of English.dat, one byte per record in
      the same order: the SCOWL size of the smallest list holding the word
      (10 for the most common words, then 20, 35, 40, 50, 55, 60, 70). No
      header; its length is the number of records.

  resources/dict/meanings.dat
      Short definitions from WordNet 3.0 for the words of English.dat that
      WordNet knows (itself or through its base form; see
      tools/wordnet_meanings.py). The file is the text below compressed with
      zlib, behind the length of the text as 4 bytes big-endian (the layout
      Qt's qUncompress reads). The text is ASCII lines ending in "\n":
        "G E"                  the numbers of definitions and of entries;
        G lines                the definitions, each once, numbered from 0;
        E lines, by byte order "WORD\tBASE\tREFS": the word in capitals; its
                               base form in capitals, empty when the word is
                               WordNet's own; REFS, blank-separated, each a
                               part of speech (n, v, a, r) and the number of a
                               definition, in the order to show.

  Abbreviations are left out of both lists. SCOWL's word lists carry a few
  dozen lower-cased abbreviations and letter plurals (dkl, kb, mb, cs, ln,
  ms, ts, ...). They are the entries without any of the letters a, e, i, o,
  u and y, except the genuine words in GENUINE_VOWELLESS (brr, crwth, cwm,
  hmm, nth, psst, shh, ...). Words whose only vowel is y (rhythm, crypt,
  lynx, ...) are kept. Leaving them out took 19 records off the dictionary
  (111,567 to 111,548, well inside the size it had) and "cs" off the starter
  list (6,014 to 6,013).

Source: the Debian package "scowl" (2020.12.07), lists in /usr/share/dict/scowl/,
and the Debian package "wordnet-base" (WordNet 3.0), in /usr/share/wordnet/.
Install them with "apt-get install -y scowl wordnet-base" (tools/setup.sh does);
they are needed only to run this script. WordNet's licence is in
the package's copyright file (dist/debian/copyright).

Licence of the SCOWL source (from /usr/share/doc/scowl/copyright):

  The collective work is Copyright 2000-2011 by Kevin Atkinson as well
  as any of the copyrights mentioned below:

    Copyright 2000-2011 by Kevin Atkinson

    Permission to use, copy, modify, distribute and sell these word
    lists, the associated scripts, the output created from the scripts,
    and its documentation for any purpose is hereby granted without fee,
    provided that the above copyright notice appears in all copies and
    that both that copyright notice and this permission notice appear in
    supporting documentation. Kevin Atkinson makes no representations
    about the suitability of this array for any purpose. It is provided
    "as is" without express or implied warranty.

  SCOWL also includes material from 12Dicts, ENABLE, Moby, the UK
  Advanced Cryptics Dictionary, WordNet, Ispell and other sources under
  similar permissive terms; the full list of notices is in
  /usr/share/doc/scowl/copyright and applies to the generated lists.

Usage: tools/gen_wordlists.py [--scowl DIR] [--wordnet DIR] [--out REPO_ROOT]
Prints the make-up of the lists (counts by length and level).
"""

import argparse
import collections
import pathlib
import re
import struct
import zlib

import wordnet_meanings

STARTER_SIZES = (10, 20)
DICT_MAX_SIZE = 70
VARIANTS = ("english", "american")
FIELD = 14
MARK = b"\x1e"

LOWER_WORD = re.compile(r"[a-z]+")
VOWEL = re.compile(r"[aeiouy]")

# Entries without a vowel that are words of their own, not abbreviations.
GENUINE_VOWELLESS = frozenset({
    "brr", "crwth", "crwths", "cwm", "cwms", "hmm", "nth", "psst", "pwn", "pwns",
    "sh", "shh", "ssh", "tsk", "tsks", "pfft", "grr", "zzz",
})


def is_abbreviation(word):
    """True for a vowel-less entry that is not a genuine word (dkl, kb, mb...)."""
    return not VOWEL.search(word) and word not in GENUINE_VOWELLESS


def scowl_levels(scowl_dir, sizes):
    """{word: smallest size holding it} for the a-z entries of the english and american lists."""
    levels = {}
    for variant in VARIANTS:
        for size in sizes:
            path = scowl_dir / f"{variant}-words.{size}"
            if not path.exists():
                continue
            for line in path.read_bytes().splitlines():
                text = line.strip().decode("ascii", errors="replace")
                if LOWER_WORD.fullmatch(text) and not is_abbreviation(text):
                    levels[text] = min(size, levels.get(text, size))
    return levels


def scowl_words(scowl_dir, sizes):
    """All a-z entries of the english and american lists of the given sizes."""
    return set(scowl_levels(scowl_dir, sizes))


def meanings_file(words, meanings):
    """The compressed meanings of the words (capitals) WordNet knows, and their count."""
    glosses = {}
    entries = []
    for word in sorted(words):
        found = meanings.lookup(word.lower())
        if found is None or not found[1]:
            continue
        base, senses = found
        refs = []
        for pos, gloss in senses:
            refs.append(f"{pos}{glosses.setdefault(gloss, len(glosses))}")
        entries.append(f"{word}\t{base.upper()}\t{' '.join(refs)}\n")
    text = f"{len(glosses)} {len(entries)}\n" + "".join(g + "\n" for g in glosses)
    text += "".join(entries)
    raw = text.encode("ascii")
    return struct.pack(">I", len(raw)) + zlib.compress(raw, 9), len(entries), len(glosses)


def available_sizes(scowl_dir, top):
    sizes = set()
    for variant in VARIANTS:
        for path in scowl_dir.glob(f"{variant}-words.*"):
            size = int(path.suffix[1:])
            if size <= top:
                sizes.add(size)
    return sorted(sizes)


def record(word):
    return MARK + word.upper().ljust(FIELD).encode("ascii")


def length_table(lengths, cap):
    counts = collections.Counter(min(n, cap) for n in lengths)
    return ", ".join(f"{n}: {counts[n]}" for n in sorted(counts))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scowl", default="/usr/share/dict/scowl", type=pathlib.Path)
    parser.add_argument("--wordnet", default=wordnet_meanings.WORDNET, type=pathlib.Path)
    parser.add_argument("--out", default=pathlib.Path(__file__).resolve().parent.parent,
                        type=pathlib.Path)
    args = parser.parse_args()

    for size in STARTER_SIZES:
        if not (args.scowl / f"english-words.{size}").exists():
            raise SystemExit(f"SCOWL lists not found in {args.scowl} (apt-get install -y scowl)")

    starters = sorted(w for w in scowl_words(args.scowl, STARTER_SIZES) if len(w) <= 7)
    levels = scowl_levels(args.scowl, available_sizes(args.scowl, DICT_MAX_SIZE))
    dict_words = {w for w in levels if 2 <= len(w) <= FIELD}
    dict_words.update(w for w in starters if len(w) >= 2)
    records = sorted(record(w) for w in dict_words)
    # Starter words come from the same lists, so every record has a level.
    record_levels = bytes(levels[r[1:].decode().strip().lower()] for r in records)

    starter_path = args.out / "resources/server/starterwords.txt"
    starter_path.parent.mkdir(parents=True, exist_ok=True)
    starter_path.write_text("".join(w + "\n" for w in starters), encoding="ascii")

    dict_path = args.out / "resources/dict/English.dat"
    dict_path.parent.mkdir(parents=True, exist_ok=True)
    dict_path.write_bytes(b"".join(records))
    level_path = args.out / "resources/dict/English.lvl"
    level_path.write_bytes(record_levels)
    meanings, entries, glosses = meanings_file(
        [r[1:].decode().strip() for r in records], wordnet_meanings.Meanings(args.wordnet))
    meanings_path = args.out / "resources/dict/meanings.dat"
    meanings_path.write_bytes(meanings)

    # One record per word: no two words share a record.
    assert all(a < b for a, b in zip(records, records[1:]))
    print(f"{starter_path}: {len(starters)} words; by length "
          f"{length_table((len(w) for w in starters), 99)}")
    print(f"{dict_path}: {len(records)} records ({len(records) * 15} bytes), "
          f"first {records[0][1:].decode().strip()}, last {records[-1][1:].decode().strip()}; "
          f"by length {length_table((len(w) for w in dict_words), FIELD)}")
    print(f"{level_path}: {len(record_levels)} bytes; records by level "
          f"{length_table(record_levels, 99)}")
    print(f"{meanings_path}: {len(meanings)} bytes; {entries} words with meanings "
          f"({len(records) - entries} without), {glosses} definitions")


if __name__ == "__main__":
    main()
