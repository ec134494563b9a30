"""Reads the meanings of words out of the WordNet database, for gen_wordlists.py.

Source: the Debian package "wordnet-base" (WordNet 3.0), files in
/usr/share/wordnet/. Install it with "apt-get install -y wordnet-base"; it is
needed only to run the generator.

For each word the meanings are those of the word itself when WordNet lists it,
else those of its base form found the way WordNet's own "morphy" finds it: the
exception lists (geese -> goose) first, then the regular endings (cats -> cat,
tried -> try, bigger -> big). Of each part of speech the first senses are kept
(WordNet orders senses by how often they were met), at most SENSES_PER_POS of
each and MAX_SENSES in all, each as its definition without the examples.
"""

import pathlib

WORDNET = pathlib.Path("/usr/share/wordnet")
# WordNet's file names, with the letter the resource gives each part of speech.
PARTS = (("noun", "n"), ("verb", "v"), ("adj", "a"), ("adv", "r"))
SENSES_PER_POS = 1
MAX_SENSES = 2

# morphy's regular endings per part of speech: (ending, replacement).
ENDINGS = {
    "n": (("s", ""), ("ses", "s"), ("xes", "x"), ("zes", "z"), ("ches", "ch"), ("shes", "sh"),
          ("men", "man"), ("ies", "y")),
    "v": (("s", ""), ("ies", "y"), ("es", "e"), ("es", ""), ("ed", "e"), ("ed", ""),
          ("ing", "e"), ("ing", "")),
    "a": (("er", ""), ("est", ""), ("er", "e"), ("est", "e")),
    "r": (),
}


def read_index(folder):
    """{lemma: {pos letter: [synset offsets in sense order]}} for one-word lemmas."""
    index = {}
    for name, pos in PARTS:
        for line in (folder / f"index.{name}").read_text("latin-1").splitlines():
            if line.startswith(" "):
                continue
            fields = line.split()
            lemma = fields[0]
            if not lemma.isalpha():
                continue
            pointers = int(fields[3])
            offsets = [int(o) for o in fields[4 + pointers + 2:]]
            index.setdefault(lemma, {})[pos] = offsets
    return index


def read_exceptions(folder):
    """{pos letter: {inflected form: [base forms]}}."""
    exceptions = {}
    for name, pos in PARTS:
        table = {}
        for line in (folder / f"{name}.exc").read_text("latin-1").splitlines():
            fields = line.split()
            if len(fields) >= 2:
                table.setdefault(fields[0], []).extend(fields[1:])
        exceptions[pos] = table
    return exceptions


def gloss_at(files, pos, offset):
    """The definition of the synset at offset, without its quoted examples."""
    data = files[pos]
    end = data.index(b"\n", offset)
    line = data[offset:end].decode("latin-1")
    gloss = line.split(" | ", 1)[1] if " | " in line else ""
    parts = [p.strip() for p in gloss.split(";")]
    definition = "; ".join(p for p in parts if p and not p.startswith('"'))
    return definition.strip()


def base_forms(word, pos, index, exceptions):
    """The lemmas WordNet would take word for, in the part of speech pos."""
    found = [b for b in exceptions[pos].get(word, []) if pos in index.get(b, {})]
    for ending, replacement in ENDINGS[pos]:
        if word.endswith(ending) and len(word) > len(ending):
            base = word[: len(word) - len(ending)] + replacement
            if pos in index.get(base, {}) and base not in found:
                found.append(base)
    return found


class Meanings:
    """Looks words up in the WordNet database."""

    def __init__(self, folder=WORDNET):
        if not (folder / "index.noun").exists():
            raise SystemExit(f"WordNet not found in {folder} (apt-get install -y wordnet-base)")
        self.index = read_index(folder)
        self.exceptions = read_exceptions(folder)
        self.files = {pos: (folder / f"data.{name}").read_bytes() for name, pos in PARTS}

    def senses(self, lemma, parts="nvar"):
        """[(pos letter, definition)] of a lemma in the given parts of speech, at most MAX_SENSES."""
        kept = []
        for _, pos in PARTS:
            if pos not in parts:
                continue
            for offset in self.index.get(lemma, {}).get(pos, [])[:SENSES_PER_POS]:
                kept.append((pos, gloss_at(self.files, pos, offset)))
        return kept[:MAX_SENSES]

    def lookup(self, word):
        """(base, senses): base is "" when the word is a lemma itself; None when unknown."""
        if word in self.index:
            return "", self.senses(word)
        for _, pos in PARTS:
            for base in base_forms(word, pos, self.index, self.exceptions):
                return base, self.senses(base, pos)
        return None
