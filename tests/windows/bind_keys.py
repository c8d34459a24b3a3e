#!/usr/bin/env python3
"""Gives the Cyrillic letters (and №) of a text keys of their own on the X
server, so that xdotool types them without rebinding keys on the fly, which
wine can read too late and then loses the character.

usage: bind_keys.py TEXT KEYMAP   (KEYMAP: the output of `xmodmap -pke`)
Prints xmodmap lines that put each letter, lower case and upper case, on the
key of a Latin letter that TEXT does not use. wine keeps those keys as keys
of its keyboard layout, so they reach the program; a key that had no symbol
before would not.
"""
import sys

# X's legacy Cyrillic keysyms are 0x600 plus the letter's KOI8-R code.
CYRILLIC_KEYSYMS = 0x600
NUMERO_SIGN_KEYSYM = 0x6B0


def keysym(character):
    if character == "№":
        return NUMERO_SIGN_KEYSYM
    return CYRILLIC_KEYSYMS | character.encode("koi8_r")[0]


def main():
    text, keymap = sys.argv[1], sys.argv[2]
    latin_keys = {}
    for line in open(keymap):
        fields = line.split()  # keycode N = SYMBOL ...
        if len(fields) >= 4 and len(fields[3]) == 1 and fields[3].isascii() and fields[3].isalpha():
            latin_keys[fields[3]] = int(fields[1])
    spare = [latin_keys[letter] for letter in sorted(latin_keys) if letter not in text.lower()]
    letters = []
    for character in text.lower():
        if ord(character) > 127 and character not in letters:
            letters.append(character)
    if len(letters) > len(spare):
        sys.exit(f"bind_keys.py: {len(letters)} letters to bind, {len(spare)} spare keys")
    for code, letter in zip(spare, letters):
        try:
            print(f"keycode {code} = 0x{keysym(letter):x} 0x{keysym(letter.upper()):x}")
        except UnicodeEncodeError:
            sys.exit(f"bind_keys.py: no X keysym known here for {letter!r}")


if __name__ == "__main__":
    main()
