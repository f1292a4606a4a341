"""Contents/_CodeSignature/CodeResources: the seal over a bundle's files other
than its main executable, as codesign writes it with its default rules. `files`
holds SHA-1 hashes under the rules older systems read, `files2` SHA-256 hashes
(`hash2`) under `rules2`; paths are relative to Contents."""

import hashlib
import os
import plistlib
import re

RULES = {
    '^Resources/': True,
    '^Resources/.*\\.lproj/': {'optional': True, 'weight': 1000.0},
    '^Resources/.*\\.lproj/locversion.plist$': {'omit': True, 'weight': 1100.0},
    '^Resources/Base\\.lproj/': {'weight': 1010.0},
    '^version.plist$': True,
}
RULES2 = {
    '.*\\.dSYM($|/)': {'weight': 11.0},
    '^(.*/)?\\.DS_Store$': {'omit': True, 'weight': 2000.0},
    ('^(Frameworks|SharedFrameworks|PlugIns|Plug-ins|XPCServices|Helpers|MacOS|'
     'Library/(Automator|Spotlight|LoginItems))/'): {'nested': True, 'weight': 10.0},
    '^.*': True,
    '^Info\\.plist$': {'omit': True, 'weight': 20.0},
    '^PkgInfo$': {'omit': True, 'weight': 20.0},
    '^Resources/': {'weight': 20.0},
    '^Resources/.*\\.lproj/': {'optional': True, 'weight': 1000.0},
    '^Resources/.*\\.lproj/locversion.plist$': {'omit': True, 'weight': 1100.0},
    '^Resources/Base\\.lproj/': {'weight': 1010.0},
    '^[^/]+$': {'nested': True, 'weight': 10.0},
    '^embedded\\.provisionprofile$': {'weight': 20.0},
    '^version\\.plist$': {'weight': 20.0},
}
SIGNATURE_DIRECTORY = '_CodeSignature'


class ResourceError(Exception):
    pass


def rule_for(path, rules):
    """The heaviest rule matching `path` (a plain `true` weighs 1), or None."""
    best, best_weight = None, 0
    for pattern, rule in rules.items():
        options = rule if isinstance(rule, dict) else {}
        weight = options.get('weight', 1)
        if re.search(pattern, path) and weight > best_weight:
            best, best_weight = options, weight
    return best


def files_of(contents, executable):
    """Every file of the bundle a seal is about: paths relative to Contents, except
    the main executable (its own signature covers it) and the signature directory."""
    found = []
    for directory, subdirectories, names in os.walk(contents):
        subdirectories.sort()
        # A link to a directory is not walked into, but it is there all the same.
        links = [name for name in subdirectories if os.path.islink(os.path.join(directory, name))]
        for name in sorted(names + links):
            path = os.path.relpath(os.path.join(directory, name), contents).replace(os.sep, '/')
            if path != executable and not path.startswith(SIGNATURE_DIRECTORY + '/'):
                found.append(path)
    return found


def seal_entries(contents, executable):
    """{path: (sha1, sha256, optional)} of every file the rules seal."""
    entries = {}
    for path in files_of(contents, executable):
        rule = rule_for(path, RULES2)
        if rule is None or rule.get('omit'):
            continue
        full = os.path.join(contents, path)
        if rule.get('nested') or os.path.islink(full) or not os.path.isfile(full):
            raise ResourceError(f'{path}: only plain files can be sealed here, and no code besides the executable')
        with open(full, 'rb') as f:
            data = f.read()
        entries[path] = (hashlib.sha1(data).digest(), hashlib.sha256(data).digest(), bool(rule.get('optional')))
    return entries


def old_entry(path, sha1, optional):
    """The `files` entry of a path, if the rules older systems read seal it."""
    rule = rule_for(path, RULES)
    if rule is None or rule.get('omit'):
        return None
    return {'hash': sha1, 'optional': True} if optional else sha1


def new_entry(sha256, optional):
    return {'hash2': sha256, 'optional': True} if optional else {'hash2': sha256}


def encode(entries):
    files = {path: old_entry(path, sha1, optional) for path, (sha1, _, optional) in entries.items()}
    files2 = {path: new_entry(sha256, optional) for path, (_, sha256, optional) in entries.items()}
    document = plistlib.dumps({'files': {path: entry for path, entry in files.items() if entry is not None},
                               'files2': files2, 'rules': RULES, 'rules2': RULES2})
    # CoreFoundation writes a whole real without its fraction.
    return re.sub(rb'<real>(\d+)\.0</real>', rb'<real>\1</real>', document)


def problems(contents, executable, document):
    """What keeps the seal in `document` from holding for the bundle as it is now."""
    try:
        seal = plistlib.loads(document)
        files, files2 = seal['files'], seal['files2']
        entries = seal_entries(contents, executable)
    except (ValueError, KeyError, TypeError, plistlib.InvalidFileException, ResourceError) as error:
        return [f'CodeResources does not seal this bundle: {error}']
    found = [f'{path}: sealed, but missing' for path, entry in files2.items()
             if path not in entries and not (isinstance(entry, dict) and entry.get('optional'))]
    for path, (sha1, sha256, optional) in entries.items():
        if path not in files2:
            found.append(f'{path}: not sealed')
        elif files2[path] != new_entry(sha256, optional) or files.get(path) != old_entry(path, sha1, optional):
            found.append(f'{path}: does not match its seal')
    return found
