#!/usr/bin/env python3
"""Reads the string tables and dialogs of every language out of a built setup.exe and checks
each translation against US English: every string and dialog is there (or on the fall-back
list), every wvsprintfA placeholder is kept in its order, every control keeps its ID, class and
style, and every text converts to the language's ANSI code page exactly (Python's code pages map
no character to a look-alike and have no default character) and fits the buffer it is loaded
into.

Usage: check_languages.py SETUP_EXE LANGUAGES_TSV
"""
import re
import struct
import sys

ENGLISH_US = 0x0409
RT_STRING, RT_DIALOG = 6, 5
# Strings that are the same in every language and may be left to US English.
FALL_BACK = {2016}
# Controls whose template text the program always replaces: a translation may leave it empty.
REPLACED = {102, 100}
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
    directories = pe + 24 + (96 if magic == 0x10B else 112)
    rsrc_rva = struct.unpack_from('<I', data, directories + 2 * 8)[0]
    table = pe + 24 + optional
    for i in range(sections):
        _, vsize, rva, rawsize, rawptr = struct.unpack_from('<8sIIII', data, table + 40 * i)
        if rva <= rsrc_rva < rva + max(vsize, rawsize):
            base = rawptr + rsrc_rva - rva
            delta = rawptr - rva
            break
    else:
        sys.exit('no resource section')

    def entries(offset):
        named, ids = struct.unpack_from('<HH', data, base + offset + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from('<II', data, base + offset + 16 + 8 * i)
            yield name, target

    out = {}
    for type_id, type_dir in entries(0):
        for name, name_dir in entries(type_dir & 0x7FFFFFFF):
            for language, leaf in entries(name_dir & 0x7FFFFFFF):
                rva, size = struct.unpack_from('<II', data, base + leaf)
                out.setdefault(type_id, {}).setdefault(name, {})[language] = \
                    data[rva + delta:rva + delta + size]
    return out


def strings(bundles, language):
    out = {}
    for bundle, by_language in bundles.items():
        data = by_language.get(language)
        if data is None:
            continue
        at = 0
        for index in range(16):
            length = struct.unpack_from('<H', data, at)[0]
            text = data[at + 2:at + 2 + 2 * length].decode('utf-16-le')
            at += 2 + 2 * length
            if length:
                out[(bundle - 1) * 16 + index] = text
    return out


def sz_or_ordinal(data, at):
    """A template field: an ordinal (0xFFFF and a number) or a NUL-terminated UTF-16 text."""
    if struct.unpack_from('<H', data, at)[0] == 0xFFFF:
        return struct.unpack_from('<H', data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from('<H', data, end)[0] != 0:
        end += 2
    return data[at:end].decode('utf-16-le'), end + 2


CLASS_NAMES = {0x80: 'BUTTON', 0x81: 'EDIT', 0x82: 'STATIC'}


def dialog(data):
    style, _, count, x, y, cx, cy = struct.unpack_from('<IIHhhhh', data, 0)
    at = 18
    _, at = sz_or_ordinal(data, at)  # menu
    _, at = sz_or_ordinal(data, at)  # class
    caption, at = sz_or_ordinal(data, at)
    font = None
    if style & 0x40:  # DS_SETFONT
        points = struct.unpack_from('<H', data, at)[0]
        face, at = sz_or_ordinal(data, at + 2)
        font = (points, face)
    controls = []
    for _ in range(count):
        at = (at + 3) & ~3
        cstyle, _, x, y, cx, cy, cid = struct.unpack_from('<IIhhhhH', data, at)
        at += 18
        cls, at = sz_or_ordinal(data, at)
        text, at = sz_or_ordinal(data, at)
        extra = struct.unpack_from('<H', data, at)[0]
        at += 2 + extra
        cls = CLASS_NAMES.get(cls, cls).upper() if isinstance(cls, int) else cls.upper()
        controls.append({'id': cid, 'class': cls, 'style': cstyle, 'text': text})
    return {'style': style, 'font': font, 'controls': controls}


class Report:
    def __init__(self):
        self.failures = 0

    def fail(self, where, what):
        self.failures += 1
        print(f'FAIL: {where}: {what}')


def exact(report, where, text, code_page, width=None):
    """The text in the code page, byte for byte back, within width bytes with the terminator."""
    try:
        encoded = text.encode(f'cp{code_page}')
    except UnicodeEncodeError as error:
        report.fail(where, f'{text!r} has {text[error.start:error.end]!r}, not in code page {code_page}')
        return
    if encoded.decode(f'cp{code_page}') != text:
        report.fail(where, f'{text!r} does not come back from code page {code_page}')
    if width is not None and len(encoded) > width - 1:
        report.fail(where, f'{text!r} is {len(encoded)} bytes in code page {code_page}, '
                           f'over the {width - 1} its buffer holds')


def check_language(report, found, language, code_page, name):
    english = strings(found.get(RT_STRING, {}), ENGLISH_US)
    translated = strings(found.get(RT_STRING, {}), language)
    where = f'{name} ({language:04X})'
    for sid, text in sorted(english.items()):
        if sid not in translated:
            if sid not in FALL_BACK:
                report.fail(where, f'string {sid} is missing')
            continue
        mine = translated[sid]
        if PLACEHOLDER.findall(mine) != PLACEHOLDER.findall(text):
            report.fail(where, f'string {sid} has the placeholders {PLACEHOLDER.findall(mine)}, '
                               f'US English {PLACEHOLDER.findall(text)}')
        exact(report, f'{where} string {sid}', mine, code_page, WIDTHS.get(sid, MESSAGE_WIDTH))
    for sid in sorted(set(translated) - set(english)):
        report.fail(where, f'string {sid} has no US-English original')

    dialogs = found.get(RT_DIALOG, {})
    for did, by_language in sorted(dialogs.items()):
        if ENGLISH_US not in by_language:
            continue
        if language not in by_language:
            report.fail(where, f'dialog {did} is missing')
            continue
        us, mine = dialog(by_language[ENGLISH_US]), dialog(by_language[language])
        if mine['style'] != us['style'] or mine['font'] is None:
            report.fail(where, f'dialog {did} has style {mine["style"]:08x} and font {mine["font"]}')
        shape = [(c['id'], c['class'], c['style']) for c in us['controls']]
        if [(c['id'], c['class'], c['style']) for c in mine['controls']] != shape:
            report.fail(where, f'dialog {did} controls differ from US English')
            continue
        for us_control, control in zip(us['controls'], mine['controls']):
            text = control['text']
            if not isinstance(text, str):
                continue
            if bool(text) != bool(us_control['text']) and control['id'] not in REPLACED:
                report.fail(where, f'dialog {did} control {control["id"]} text {text!r}, '
                                   f'US English {us_control["text"]!r}')
            if ('&' in text) != ('&' in us_control['text']) and control['class'] == 'BUTTON':
                report.fail(where, f'dialog {did} button {control["id"]} {text!r} has no mnemonic')
            exact(report, f'{where} dialog {did} control {control["id"]}', text, code_page)


def main():
    exe, table = sys.argv[1:3]
    found = resources(exe)
    expected = []
    for line in open(table, encoding='utf-8'):
        if line.strip() and not line.startswith('#'):
            language, code_page, name = line.rstrip('\n').split('\t')
            expected.append((int(language, 16), int(code_page), name))
    report = Report()
    present = set()
    for by_name in found.get(RT_STRING, {}).values():
        present.update(by_name)
    for by_name in found.get(RT_DIALOG, {}).values():
        present.update(by_name)
    wanted = {language for language, _, _ in expected} | {ENGLISH_US}
    for language in sorted(present - wanted):
        report.fail(exe, f'language {language:04X} is not in {table}')
    english = strings(found.get(RT_STRING, {}), ENGLISH_US)
    if not english:
        report.fail(exe, 'no US-English strings')
    for sid in sorted(english):
        exact(report, f'US English string {sid}', english[sid], 1252, WIDTHS.get(sid, MESSAGE_WIDTH))
    for language, code_page, name in expected:
        if language not in present:
            report.fail(name, f'language {language:04X} is missing')
            continue
        before = report.failures
        check_language(report, found, language, code_page, name)
        if report.failures == before:
            print(f'ok: {name} ({language:04X}, code page {code_page})')
    print(f'{"FAILED" if report.failures else "PASSED"}: {report.failures} failure(s)')
    return 1 if report.failures else 0


if __name__ == '__main__':
    sys.exit(main())
