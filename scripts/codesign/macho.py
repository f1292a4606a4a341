"""Mach-O executables as a code signature sees them: the slices of a universal
binary, and in each 64-bit slice the load commands that place the embedded
signature (LC_CODE_SIGNATURE, at the end of __LINKEDIT) and the executable
segment the signature names."""

import struct

FAT_MAGIC = 0xCAFEBABE
MH_MAGIC_64 = 0xFEEDFACF
MH_EXECUTE = 2
LC_SEGMENT_64 = 0x19
LC_CODE_SIGNATURE = 0x1D
HEADER_SIZE = 32
SIGNATURE_COMMAND = struct.Struct('<IIII')  # cmd, cmdsize, dataoff, datasize
SEGMENT = struct.Struct('<II16sQQQQiiII')
SECTION_SIZE = 80
SIGNATURE_ALIGNMENT = 16
# __LINKEDIT is the last segment, so growing it overlaps nothing; a whole
# 16 KiB page suits both architectures.
SEGMENT_ROUNDING = 0x4000

ARCHITECTURES = {0x01000007: 'x86_64', 0x0100000C: 'arm64'}


class MachOError(Exception):
    pass


def align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


def split(data):
    """The slices of an executable: a list of [cputype, cpusubtype, align, bytes];
    align is None for a thin one."""
    if len(data) < 8:
        raise MachOError('the executable is too short to be Mach-O')
    if struct.unpack_from('>I', data)[0] != FAT_MAGIC:
        return [[None, None, None, bytes(data)]]
    count = struct.unpack_from('>I', data, 4)[0]
    if not 0 < count <= 16 or 8 + 20 * count > len(data):
        raise MachOError(f'the universal header names {count} slices')
    slices, end = [], 8 + 20 * count
    for index in range(count):
        cputype, subtype, offset, size, alignment = struct.unpack_from('>iiIII', data, 8 + 20 * index)
        if offset % (1 << alignment) or offset < end or offset + size > len(data):
            raise MachOError(f'slice {index} lies at {offset}+{size}, outside or out of line')
        slices.append([cputype, subtype, alignment, bytes(data[offset:offset + size])])
        end = offset + size
    if end != len(data):
        raise MachOError('the universal binary runs past its last slice')
    return slices


def join(slices):
    """The executable holding these slices, each at the next offset its alignment allows."""
    if len(slices) == 1 and slices[0][2] is None:
        return slices[0][3]
    header = struct.pack('>II', FAT_MAGIC, len(slices))
    body, start = b'', 8 + 20 * len(slices)
    for cputype, subtype, alignment, data in slices:
        offset = align(start + len(body), 1 << alignment)
        header += struct.pack('>iiIII', cputype, subtype, offset, len(data), alignment)
        body += bytes(offset - start - len(body)) + data
    return header + body


class Slice:
    """One 64-bit Mach-O image, read from its load commands."""

    def __init__(self, data):
        if len(data) < HEADER_SIZE or struct.unpack_from('<I', data)[0] != MH_MAGIC_64:
            raise MachOError('a slice is not a 64-bit Mach-O image')
        self.data = bytes(data)
        _, self.cputype, _, self.filetype, self.ncmds, self.sizeofcmds, _, _ = struct.unpack_from('<IiiIIIII', data)
        self.architecture = ARCHITECTURES.get(self.cputype, hex(self.cputype))
        self.segments = {}  # name: (command offset, vmaddr, vmsize, fileoff, filesize)
        self.signature_command = None  # command offset
        self.first_section = len(data)
        offset = HEADER_SIZE
        for _ in range(self.ncmds):
            if offset + 8 > HEADER_SIZE + self.sizeofcmds:
                raise MachOError(f'{self.architecture}: the load commands run past their size')
            cmd, cmdsize = struct.unpack_from('<II', data, offset)
            if cmdsize < 8 or offset + cmdsize > HEADER_SIZE + self.sizeofcmds:
                raise MachOError(f'{self.architecture}: a load command has size {cmdsize}')
            if cmd == LC_SEGMENT_64:
                self._read_segment(offset)
            elif cmd == LC_CODE_SIGNATURE:
                self.signature_command = offset
            offset += cmdsize
        for name in ('__TEXT', '__LINKEDIT'):
            if name not in self.segments:
                raise MachOError(f'{self.architecture}: no {name} segment')

    def _read_segment(self, offset):
        _, _, name, vmaddr, vmsize, fileoff, filesize, _, _, nsects, _ = SEGMENT.unpack_from(self.data, offset)
        self.segments[name.rstrip(b'\0').decode()] = (offset, vmaddr, vmsize, fileoff, filesize)
        for index in range(nsects):
            section_offset = struct.unpack_from('<I', self.data, offset + SEGMENT.size + SECTION_SIZE * index + 48)[0]
            if section_offset:
                self.first_section = min(self.first_section, section_offset)

    def signature(self):
        """(dataoff, datasize) of the embedded signature, or None."""
        if self.signature_command is None:
            return None
        return SIGNATURE_COMMAND.unpack_from(self.data, self.signature_command)[2:]

    def executable_segment(self):
        """(base, limit, main binary) of the code the signature marks executable."""
        _, _, _, fileoff, filesize = self.segments['__TEXT']
        return fileoff, filesize, self.filetype == MH_EXECUTE

    def linkedit_end(self):
        _, _, _, fileoff, filesize = self.segments['__LINKEDIT']
        return fileoff + filesize

    def unsigned_end(self):
        """Where the image ends without its signature."""
        current = self.signature()
        if self.linkedit_end() != len(self.data) or (current and sum(current) != len(self.data)):
            raise MachOError(f'{self.architecture}: __LINKEDIT does not end the file with its signature')
        return current[0] if current else len(self.data)

    def signature_offset(self):
        """Where a new signature starts: its page hashes cover everything before."""
        return align(self.unsigned_end(), SIGNATURE_ALIGNMENT)

    def make_room(self, size):
        """This image with room for a signature of `size` bytes at the aligned end of
        __LINKEDIT, described by LC_CODE_SIGNATURE, any earlier signature dropped.
        Returns the bytes the signature covers; the signature follows them."""
        end, dataoff = self.unsigned_end(), self.signature_offset()
        data = bytearray(self.data[:end] + bytes(dataoff - end))
        command = self.signature_command
        if command is None:
            command = HEADER_SIZE + self.sizeofcmds
            if command + SIGNATURE_COMMAND.size > self.first_section or any(data[command:command + 16]):
                raise MachOError(f'{self.architecture}: no room after the load commands for LC_CODE_SIGNATURE '
                                 '(link with a larger -headerpad)')
            struct.pack_into('<II', data, 16, self.ncmds + 1, self.sizeofcmds + SIGNATURE_COMMAND.size)
        SIGNATURE_COMMAND.pack_into(data, command, LC_CODE_SIGNATURE, SIGNATURE_COMMAND.size, dataoff, size)
        linkedit, _, _, fileoff, _ = self.segments['__LINKEDIT']
        filesize = dataoff + size - fileoff
        struct.pack_into('<QQQ', data, linkedit + 32, align(filesize, SEGMENT_ROUNDING), fileoff, filesize)
        return bytes(data)
