# Where the x86 emulation keeps what it fetches and builds. Sourced by setup-x86 and wine-x86.
# A machine-level cache: a fresh clone of the tree (as CI makes for every run) finds it ready.
vornic_cache=${VORNIC_CACHE:-/var/cache/vornicw}
# qemu-user from bookworm-backports, unpacked (never installed): Debian 12's own qemu is too old for Wine.
vornic_qemu_dir=$vornic_cache/qemu
vornic_qemu=$vornic_qemu_dir/usr/bin/qemu-i386
vornic_qemu_major=10
# The signal-context fix, one folder per version of its source so that an edit rebuilds it.
vornic_fix_source=$(dirname "${BASH_SOURCE[0]}")/sigcontext_fix.c
vornic_fix_name=vornic_sigcontext_fix.so
vornic_fix_dir=$vornic_cache/sigcontext/$(sha256sum "$vornic_fix_source" | cut -c1-16)
