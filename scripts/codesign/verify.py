#!/usr/bin/env python3
"""Checks an application bundle's ad-hoc signature as it is on disk: every slice
of the main executable carries an embedded signature under the bundle's
identifier whose page hashes match the slice, whose special slots match the
Info.plist, the empty requirement set and CodeResources; and CodeResources
seals every file of the bundle with its present hash. Prints what it checked,
or every mismatch, and then exits 1.

usage: verify.py APP"""

import sys

import code_resources
import macho
import signature
from bundle import CODE_RESOURCES, Bundle, BundleError


def blobs_of(image):
    """(where the signature starts, its blobs by slot), for a signature that ends
    __LINKEDIT and the slice and holds what an ad-hoc one holds."""
    if image.signature() is None:
        raise signature.SignatureError('carries no signature')
    dataoff, datasize = image.signature()
    if dataoff + datasize != len(image.data) or image.linkedit_end() != len(image.data):
        raise signature.SignatureError('the signature does not end __LINKEDIT and the slice')
    blobs = signature.decode(image.data[dataoff:])
    for slot, magic in ((signature.CODE_DIRECTORY_SLOT, signature.CODE_DIRECTORY),
                        (signature.REQUIREMENTS_SLOT, signature.REQUIREMENTS),
                        (signature.CMS_SLOT, signature.BLOB_WRAPPER)):
        if int.from_bytes(blobs.get(slot, b'')[:4], 'big') != magic:
            raise signature.SignatureError(f'the signature holds no blob {magic:#x} in slot {slot:#x}')
    return dataoff, blobs


def slice_problems(image, bundle, seal):
    """What is wrong with one slice's signature; empty when it holds."""
    try:
        dataoff, blobs = blobs_of(image)
        directory = signature.CodeDirectory.decode(blobs[signature.CODE_DIRECTORY_SLOT])
    except signature.SignatureError as error:
        return [f'{image.architecture}: {error}']
    requirements = blobs[signature.REQUIREMENTS_SLOT]
    pages = signature.page_hashes(image.data[:dataoff])
    checks = [
        (directory.identifier == bundle.identifier, f'signed as {directory.identifier!r}, not {bundle.identifier!r}'),
        (directory.flags & signature.ADHOC, 'the signature is not marked ad-hoc'),
        (directory.code_limit == dataoff, f'the signature covers {directory.code_limit} bytes, not all {dataoff}'),
        (directory.executable_segment == image.executable_segment(), 'the signature names another segment than __TEXT'),
        (requirements == signature.EMPTY_REQUIREMENTS, 'the requirement set is not empty'),
        (len(directory.pages) == len(pages), f'{len(directory.pages)} page hashes for {len(pages)} pages'),
    ]
    checks += [(page == hashed, f'page {index} does not match its hash')
               for index, (page, hashed) in enumerate(zip(pages, directory.pages))]
    checks += [(directory.special.get(slot) == signature.sha256(content), f'{what} does not match its hash')
               for slot, what, content in ((signature.INFO_PLIST, 'Info.plist', bundle.info_plist),
                                           (signature.REQUIREMENTS_SLOT, 'the requirement set', requirements),
                                           (signature.RESOURCES, 'CodeResources', seal))]
    return [f'{image.architecture}: {problem}' for holds, problem in checks if not holds]


def verify(path):
    """(what was checked, problems) for the bundle at `path`."""
    try:
        bundle = Bundle(path)
        seal = bundle.read(CODE_RESOURCES)
        slices = [macho.Slice(entry[3]) for entry in macho.split(bundle.read(bundle.executable))]
        found = [problem for image in slices for problem in slice_problems(image, bundle, seal)]
        found += code_resources.problems(bundle.contents, bundle.executable, seal)
    except (BundleError, macho.MachOError, signature.SignatureError, OSError) as error:
        return '', [str(error)]
    if found:
        return '', found
    pages = ', '.join(f'{image.architecture} {len(signature.page_hashes(image.data[:image.signature()[0]]))} pages'
                      for image in slices)
    sealed = len(code_resources.seal_entries(bundle.contents, bundle.executable))
    return f'{bundle.identifier}: {pages}, Info.plist, requirements, CodeResources, {sealed} sealed files', []


def main(arguments):
    if len(arguments) != 1:
        sys.exit(__doc__.splitlines()[-1])
    checked, found = verify(arguments[0])
    if found:
        sys.exit('\n'.join(f'verify: {problem}' for problem in found))
    print(f'verify: {checked}')


if __name__ == '__main__':
    main(sys.argv[1:])
