// System libraries that the system itself loads by bare name while the launcher runs (the
// cryptographic provider that deciphers the packaged settings, the theming library of every message
// box and dialog). A library of the same name planted beside the program or in the current folder
// would be found first and run. Loading them from the system folder before anything needs them makes
// every later load by name return the library already loaded.
#pragma once

// Call first in the entry point, before any setting is read or window shown. Failures are ignored:
// a library the system lacks is simply not pinned.
void pinSystemLibraries();
