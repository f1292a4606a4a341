#!/usr/bin/env python3
"""Signs an application bundle ad-hoc, as `codesign --sign - APP` does: seals the
bundle's files in Contents/_CodeSignature/CodeResources, then gives every slice
of the main executable an embedded signature, under the bundle's identifier,
bound to its Info.plist and to that seal. A slice's earlier signature (the
linker's, say) is replaced.

usage: sign.py APP"""

import sys

import code_resources
import macho
import signature
from bundle import CODE_RESOURCES, Bundle, BundleError


def sign_slice(data, identifier, special):
    """The slice with a signature of its own, under `identifier`, holding the `special` hashes."""
    image = macho.Slice(data)
    room = macho.align(signature.size(identifier, image.signature_offset()), macho.SIGNATURE_ALIGNMENT)
    code = image.make_room(room)
    directory = signature.CodeDirectory(identifier, len(code), image.executable_segment(), special,
                                        signature.page_hashes(code))
    blob = signature.encode(directory)
    return code + blob + bytes(room - len(blob))


def sign(path):
    bundle = Bundle(path)
    seal = code_resources.encode(code_resources.seal_entries(bundle.contents, bundle.executable))
    bundle.write(CODE_RESOURCES, seal)
    special = {signature.INFO_PLIST: signature.sha256(bundle.info_plist), signature.RESOURCES: signature.sha256(seal)}
    slices = macho.split(bundle.read(bundle.executable))
    for entry in slices:
        entry[3] = sign_slice(entry[3], bundle.identifier, special)
    bundle.write(bundle.executable, macho.join(slices))


def main(arguments):
    if len(arguments) != 1:
        sys.exit(__doc__.splitlines()[-1])
    try:
        sign(arguments[0])
    except (BundleError, macho.MachOError, code_resources.ResourceError, OSError) as error:
        sys.exit(f'sign: {error}')


if __name__ == '__main__':
    main(sys.argv[1:])
