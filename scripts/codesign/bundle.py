"""An application bundle as its signature sees it: Contents/Info.plist names the
identifier the signature carries and the main executable it covers; paths are
relative to Contents."""

import os
import plistlib

CODE_RESOURCES = '_CodeSignature/CodeResources'


class BundleError(Exception):
    pass


class Bundle:
    def __init__(self, path):
        self.contents = os.path.join(path, 'Contents')
        try:
            self.info_plist = self.read('Info.plist')
            info = plistlib.loads(self.info_plist)
            self.identifier = info['CFBundleIdentifier']
            self.executable = 'MacOS/' + info['CFBundleExecutable']
        except (OSError, ValueError, KeyError, TypeError) as error:
            raise BundleError(f'{path}: no bundle with an Info.plist naming its identifier and executable ({error})')

    def read(self, name):
        with open(os.path.join(self.contents, name), 'rb') as f:
            return f.read()

    def write(self, name, data):
        path = os.path.join(self.contents, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
