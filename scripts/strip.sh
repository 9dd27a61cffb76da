#!/usr/bin/env bash
# The strip for packages: as Debian strips its own, without the compiler's
# .comment and .note sections.
exec strip --remove-section=.comment --remove-section=.note "$@"
