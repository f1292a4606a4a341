#!/usr/bin/env python3
"""The ad-hoc signer of the macOS download and its verifier, on a bundle whose
universal executable the test builds: one unsigned slice and one carrying an
earlier signature, as the linker leaves them. Whatever changes after signing
must be caught."""

import os
import pathlib
import random
import shutil
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / 'scripts' / 'codesign'))
import macho  # noqa: E402
import sign  # noqa: E402
import signature  # noqa: E402
import verify  # noqa: E402

INFO_PLIST = b'''<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>com.quillmere.Quillmere</string>
<key>CFBundleExecutable</key><string>Quillmere</string>
</dict></plist>
'''
TEXT_SIZE, LINKEDIT_SIZE = 0x3000, 0x5A3  # the signature starts inside a page, off its alignment


def segment(name, fileoff, filesize, sections):
    command = struct.pack('<II16sQQQQiiII', macho.LC_SEGMENT_64, 72 + 80 * len(sections), name, 0x100000000 + fileoff,
                          filesize, fileoff, filesize, 5, 5, len(sections), 0)
    return command + b''.join(struct.pack('<16s16sQQIIIIIIII', section, name, 0x100000000 + offset, size, offset,
                                          0, 0, 0, 0, 0, 0, 0) for section, offset, size in sections)


def executable_slice(cputype, seed):
    """An executable image: __TEXT with a __text section from 0x1000, then __LINKEDIT."""
    commands = (segment(b'__TEXT', 0, TEXT_SIZE, [(b'__text', 0x1000, TEXT_SIZE - 0x1000)]) +
                segment(b'__LINKEDIT', TEXT_SIZE, LINKEDIT_SIZE, []))
    header = struct.pack('<IiiIIIII', macho.MH_MAGIC_64, cputype, 0, macho.MH_EXECUTE, 2, len(commands), 0, 0)
    content = random.Random(seed).randbytes(TEXT_SIZE + LINKEDIT_SIZE - 0x1000)
    return header + commands + bytes(0x1000 - len(header) - len(commands)) + content


class SignatureTest(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.mkdtemp()
        self.app = os.path.join(self.directory, 'Quillmere.app')
        contents = os.path.join(self.app, 'Contents')
        os.makedirs(os.path.join(contents, 'MacOS'))
        os.makedirs(os.path.join(contents, 'Resources', 'en.lproj'))
        self.write('Info.plist', INFO_PLIST)
        self.write('PkgInfo', b'APPL????')
        self.write('Resources/MenuBarIcon.png', b'\x89PNG picture')
        self.write('Resources/en.lproj/Localizable.strings', b'"Quit" = "Quit";\n')
        linker_signed = sign.sign_slice(executable_slice(0x0100000C, 2), 'Quillmere', {})
        self.unsigned = macho.join([[0x01000007, 3, 12, executable_slice(0x01000007, 1)],
                                    [0x0100000C, 0, 14, linker_signed]])
        self.write('MacOS/Quillmere', self.unsigned)
        sign.sign(self.app)

    def tearDown(self):
        shutil.rmtree(self.directory)

    def path(self, name):
        return os.path.join(self.app, 'Contents', name)

    def write(self, name, data):
        with open(self.path(name), 'wb') as f:
            f.write(data)

    def read(self, name):
        with open(self.path(name), 'rb') as f:
            return f.read()

    def test_every_slice_is_signed_for_the_bundle_and_signing_again_changes_nothing(self):
        checked, problems = verify.verify(self.app)
        self.assertEqual(problems, [])
        self.assertIn('x86_64 4 pages, arm64 4 pages', checked)
        self.assertIn('2 sealed files', checked)
        executable = self.read('MacOS/Quillmere')
        for cputype, _, alignment, data in macho.split(executable):
            image = macho.Slice(data)
            dataoff, datasize = image.signature()
            self.assertEqual(dataoff % 16, 0)
            self.assertEqual(image.linkedit_end(), dataoff + datasize)
            directory = signature.CodeDirectory.decode(signature.decode(data[dataoff:])[0])
            self.assertEqual((directory.identifier, directory.flags, directory.code_limit),
                             ('com.quillmere.Quillmere', signature.ADHOC, dataoff))
        sign.sign(self.app)
        self.assertEqual(self.read('MacOS/Quillmere'), executable)

    def test_the_verifier_catches_every_change_after_signing(self):
        signed = self.read('MacOS/Quillmere')
        arm64 = struct.unpack_from('>I', signed, 8 + 20 + 8)[0]  # the second slice's offset
        changes = {
            'arm64: page 1 does not match its hash':
                ('MacOS/Quillmere', signed[:arm64 + 0x1800] + b'!' + signed[arm64 + 0x1801:]),
            'x86_64: Info.plist does not match its hash':
                ('Info.plist', INFO_PLIST.replace(b'</dict>', b'<key>LSUIElement</key><true/></dict>')),
            'Resources/MenuBarIcon.png: does not match its seal': ('Resources/MenuBarIcon.png', b'\x89PNG another'),
            'Resources/en.lproj/Extra.strings: not sealed': ('Resources/en.lproj/Extra.strings', b'"Quit" = "Go";'),
            'arm64: CodeResources does not match its hash':
                ('_CodeSignature/CodeResources', self.read('_CodeSignature/CodeResources') + b'\n'),
            'x86_64: carries no signature': ('MacOS/Quillmere', self.unsigned),
        }
        pristine = self.app
        for number, (expected, (name, data)) in enumerate(changes.items()):
            with self.subTest(expected):
                self.app = os.path.join(self.directory, f'changed-{number}.app')
                shutil.copytree(pristine, self.app)
                self.write(name, data)
                self.assertIn(expected, verify.verify(self.app)[1])


if __name__ == '__main__':
    unittest.main()
