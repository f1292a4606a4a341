"""The embedded signature of a Mach-O slice, as `codesign --sign -` writes it: a
SuperBlob holding a CodeDirectory (SHA-256 hashes of every 4 KiB page up to the
signature, and of the Info.plist, the requirements and CodeResources in its
special slots), an empty requirement set, and an empty CMS wrapper, since an
ad-hoc signature has no signer. Every field is big-endian."""

import hashlib
import struct
from dataclasses import dataclass, replace

EMBEDDED_SIGNATURE = 0xFADE0CC0
CODE_DIRECTORY = 0xFADE0C02
REQUIREMENTS = 0xFADE0C01
BLOB_WRAPPER = 0xFADE0B01

CODE_DIRECTORY_SLOT = 0
REQUIREMENTS_SLOT = 2
CMS_SLOT = 0x10000
# Special slots, counted backwards from the first page's hash.
INFO_PLIST = 1
RESOURCES = 3
SPECIAL_SLOTS = 3

VERSION = 0x20400  # the first with the executable segment's fields
ADHOC = 0x2
EXECSEG_MAIN_BINARY = 0x1
SHA256 = 2
HASH_SIZE = 32
PAGE_SHIFT = 12
PAGE_SIZE = 1 << PAGE_SHIFT

# magic, length, version, flags, hashOffset, identOffset, nSpecialSlots, nCodeSlots, codeLimit,
# hashSize, hashType, platform, pageSize, spare2, scatterOffset, teamOffset, spare3, codeLimit64,
# execSegBase, execSegLimit, execSegFlags
HEADER = struct.Struct('>9I4B4IQQQQ')

EMPTY_REQUIREMENTS = struct.pack('>III', REQUIREMENTS, 12, 0)
EMPTY_CMS = struct.pack('>II', BLOB_WRAPPER, 8)


class SignatureError(Exception):
    pass


def sha256(data):
    return hashlib.sha256(data).digest()


def page_hashes(code):
    return [sha256(code[start:start + PAGE_SIZE]) for start in range(0, len(code), PAGE_SIZE)]


@dataclass
class CodeDirectory:
    identifier: str
    code_limit: int
    executable_segment: tuple  # (base, limit, main binary)
    special: dict  # slot: hash
    pages: list
    flags: int = ADHOC

    def encode(self):
        identifier = self.identifier.encode() + b'\0'
        hash_offset = HEADER.size + len(identifier) + SPECIAL_SLOTS * HASH_SIZE
        length = hash_offset + len(self.pages) * HASH_SIZE
        base, limit, main = self.executable_segment
        header = HEADER.pack(CODE_DIRECTORY, length, VERSION, self.flags, hash_offset, HEADER.size, SPECIAL_SLOTS,
                             len(self.pages), self.code_limit, HASH_SIZE, SHA256, 0, PAGE_SHIFT, 0, 0, 0, 0, 0,
                             base, limit, EXECSEG_MAIN_BINARY if main else 0)
        special = b''.join(self.special.get(slot, bytes(HASH_SIZE)) for slot in range(SPECIAL_SLOTS, 0, -1))
        return header + identifier + special + b''.join(self.pages)

    @staticmethod
    def decode(blob):
        if len(blob) < HEADER.size:
            raise SignatureError('the CodeDirectory is cut short')
        (magic, length, version, flags, hash_offset, ident_offset, special_slots, code_slots, code_limit, hash_size,
         hash_type, _, page_shift, _, _, _, _, _, base, limit, segment_flags) = HEADER.unpack_from(blob)
        if magic != CODE_DIRECTORY or length != len(blob) or version < VERSION:
            raise SignatureError(f'no CodeDirectory of version {VERSION:#x} or later')
        if (hash_type, hash_size, page_shift) != (SHA256, HASH_SIZE, PAGE_SHIFT):
            raise SignatureError('the CodeDirectory does not hash 4 KiB pages with SHA-256')
        if not special_slots * HASH_SIZE <= hash_offset <= length - code_slots * HASH_SIZE:
            raise SignatureError('the CodeDirectory\'s hashes lie outside it')
        end = blob.find(b'\0', ident_offset, hash_offset)
        identifier = blob[ident_offset:end].decode(errors='replace') if ident_offset < end else ''
        hashes = [blob[start:start + HASH_SIZE] for start in
                  range(hash_offset - special_slots * HASH_SIZE, hash_offset + code_slots * HASH_SIZE, HASH_SIZE)]
        return CodeDirectory(identifier, code_limit, (base, limit, bool(segment_flags & EXECSEG_MAIN_BINARY)),
                             {slot: hashes[special_slots - slot] for slot in range(1, special_slots + 1)},
                             hashes[special_slots:], flags)


def size(identifier, code_limit):
    """The size of the signature of `code_limit` bytes under this identifier."""
    pages = (code_limit + PAGE_SIZE - 1) // PAGE_SIZE
    directory = HEADER.size + len(identifier.encode()) + 1 + (SPECIAL_SLOTS + pages) * HASH_SIZE
    return 12 + 3 * 8 + directory + len(EMPTY_REQUIREMENTS) + len(EMPTY_CMS)


def encode(directory):
    """The signature around this CodeDirectory, which then holds the requirements' hash too."""
    directory = replace(directory, special={**directory.special, REQUIREMENTS_SLOT: sha256(EMPTY_REQUIREMENTS)})
    blobs = [(CODE_DIRECTORY_SLOT, directory.encode()), (REQUIREMENTS_SLOT, EMPTY_REQUIREMENTS), (CMS_SLOT, EMPTY_CMS)]
    offset = 12 + 8 * len(blobs)
    index, body = b'', b''
    for slot, blob in blobs:
        index += struct.pack('>II', slot, offset + len(body))
        body += blob
    return struct.pack('>III', EMBEDDED_SIGNATURE, offset + len(body), len(blobs)) + index + body


def decode(data):
    """The blobs of an embedded signature, by slot."""
    if len(data) < 12:
        raise SignatureError('the signature is cut short')
    magic, length, count = struct.unpack_from('>III', data)
    if magic != EMBEDDED_SIGNATURE or length > len(data) or 12 + 8 * count > length:
        raise SignatureError('the signature is no embedded-signature SuperBlob')
    blobs = {}
    for number in range(count):
        slot, offset = struct.unpack_from('>II', data, 12 + 8 * number)
        if offset + 8 > length:
            raise SignatureError(f'blob {slot:#x} lies outside the signature')
        blob_length = struct.unpack_from('>I', data, offset + 4)[0]
        if blob_length < 8 or offset + blob_length > length:
            raise SignatureError(f'blob {slot:#x} runs past the signature')
        blobs[slot] = data[offset:offset + blob_length]
    return blobs
