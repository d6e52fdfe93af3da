#!/usr/bin/env python3
"""Reads the string tables and dialogs of every language out of a built setup.exe and checks
each translation against US English: every string and dialog is there (or on the fall-back
list), every wvsprintfA placeholder is kept in its order, and every text converts to the
language's ANSI code page exactly (Python's code pages map no character to a look-alike and have
no default character) and fits the buffer it is loaded into.

Usage: check_languages.py SETUP_EXE LANGUAGES_TSV
"""
import re
import struct
import sys

ENGLISH_US = 0x0409
RT_STRING, RT_DIALOG = 6, 5
# Strings that are the same in every language and may be left to US English.
FALL_BACK = {2016}
# Bytes each string is loaded into, the terminator included; the rest are messages.
WIDTHS = {2015: 30, 2016: 50, 2017: 50}
MESSAGE_WIDTH = 199
PLACEHOLDER = re.compile(r'%(?:%|[-#0]*[0-9]*(?:\.[0-9]+)?[hlI]*[A-Za-z])')


def resources(path):
    """{type: {name: {language: bytes}}} of the PE file's resource section."""
    data = open(path, 'rb').read()
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    sections, optional = struct.unpack_from('<HxxxxxxxxxxxxH', data, pe + 6)
    magic = struct.unpack_from('<H', data, pe + 24)[0]
    rsrc = struct.unpack_from('<I', data, pe + 24 + (96 if magic == 0x10B else 112) + 16)[0]
    for i in range(sections):
        _, vsize, rva, rawsize, rawptr = struct.unpack_from('<8sIIII', data,
                                                            pe + 24 + optional + 40 * i)
        if rva <= rsrc < rva + max(vsize, rawsize):
            base, delta = rawptr + rsrc - rva, rawptr - rva
            break
    else:
        sys.exit('no resource section')

    def entries(offset):
        named, ids = struct.unpack_from('<HH', data, base + (offset & 0x7FFFFFFF) + 12)
        return [struct.unpack_from('<II', data, base + (offset & 0x7FFFFFFF) + 16 + 8 * i)
                for i in range(named + ids)]

    out = {}
    for type_id, type_dir in entries(0):
        for name, name_dir in entries(type_dir):
            for language, leaf in entries(name_dir):
                rva, size = struct.unpack_from('<II', data, base + leaf)
                out.setdefault(type_id, {}).setdefault(name, {})[language] = \
                    data[rva + delta:rva + delta + size]
    return out


def strings(bundles, language):
    out = {}
    for bundle, by_language in bundles.items():
        data, at = by_language.get(language, b''), 0
        for index in range(16 if data else 0):
            length = struct.unpack_from('<H', data, at)[0]
            if length:
                out[(bundle - 1) * 16 + index] = data[at + 2:at + 2 + 2 * length].decode('utf-16-le')
            at += 2 + 2 * length
    return out


def sz_or_ordinal(data, at):
    """A template field: an ordinal (0xFFFF and a number) or a NUL-terminated UTF-16 text."""
    if struct.unpack_from('<H', data, at)[0] == 0xFFFF:
        return struct.unpack_from('<H', data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from('<H', data, end)[0] != 0:
        end += 2
    return data[at:end].decode('utf-16-le'), end + 2


def dialog_texts(data):
    """The caption and the control texts of a DIALOG template."""
    style, _, count = struct.unpack_from('<IIH', data, 0)
    _, at = sz_or_ordinal(data, 18)  # menu
    _, at = sz_or_ordinal(data, at)  # class
    caption, at = sz_or_ordinal(data, at)
    texts = [caption]
    if style & 0x40:  # DS_SETFONT: the point size and the face
        _, at = sz_or_ordinal(data, at + 2)
    for _ in range(count):
        _, at = sz_or_ordinal(data, ((at + 3) & ~3) + 18)  # class
        text, at = sz_or_ordinal(data, at)
        at += 2 + struct.unpack_from('<H', data, at)[0]
        texts.append(text)
    return [text for text in texts if isinstance(text, str)]


def main():
    exe, table = sys.argv[1:3]
    found = resources(exe)
    failures = []
    expected = {}
    for line in open(table, encoding='utf-8'):
        if line.strip() and not line.startswith('#'):
            language, code_page, name = line.rstrip('\n').split('\t')
            expected[int(language, 16)] = (int(code_page), name)
    present = {language for by_type in (RT_STRING, RT_DIALOG)
               for by_name in found.get(by_type, {}).values() for language in by_name}
    for language in sorted(present ^ (set(expected) | {ENGLISH_US})):
        failures.append(f'language {language:04X} is in one of {exe} and {table} only')

    bundles, dialogs = found.get(RT_STRING, {}), found.get(RT_DIALOG, {})
    english = strings(bundles, ENGLISH_US)
    for language, (code_page, name) in sorted(expected.items()):
        where = f'{name} ({language:04X})'
        translated = strings(bundles, language)
        texts = []
        for sid, text in sorted(english.items()):
            if sid not in translated:
                if sid not in FALL_BACK:
                    failures.append(f'{where}: string {sid} is missing')
                continue
            mine = translated[sid]
            if PLACEHOLDER.findall(mine) != PLACEHOLDER.findall(text):
                failures.append(f'{where}: string {sid} has the placeholders '
                                f'{PLACEHOLDER.findall(mine)}, US English {PLACEHOLDER.findall(text)}')
            texts.append((f'string {sid}', mine, WIDTHS.get(sid, MESSAGE_WIDTH)))
        for did, by_language in sorted(dialogs.items()):
            if language not in by_language:
                failures.append(f'{where}: dialog {did} is missing')
                continue
            texts += [(f'dialog {did}', text, None) for text in dialog_texts(by_language[language])]
        for what, text, width in texts:
            try:
                encoded = text.encode(f'cp{code_page}')
            except UnicodeEncodeError as error:
                failures.append(f'{where}: {what} {text!r} has {text[error.start:error.end]!r}, '
                                f'not in code page {code_page}')
                continue
            if encoded.decode(f'cp{code_page}') != text:
                failures.append(f'{where}: {what} {text!r} does not come back from {code_page}')
            if width and len(encoded) >= width:
                failures.append(f'{where}: {what} {text!r} is {len(encoded)} bytes, over the '
                                f'{width - 1} its buffer holds')
    for failure in failures:
        print(f'FAIL: {failure}')
    print(f'{"FAILED" if failures else "PASSED"}: {len(failures)} failure(s)')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
