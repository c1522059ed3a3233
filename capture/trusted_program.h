#pragma once
// Whether a program may be run by this user: the capture helper is looked for in places that
// another user could otherwise fill with a program of theirs.

#include <QString>

namespace dorvex {

// Why the program at `path` must not be run: it, or a folder above it, belongs to a user other
// than root and this user, or can be changed by other users (a folder that others can write is
// accepted only with the sticky bit, which keeps them from replacing what is not theirs). Links
// are followed first and the place they lead to is judged. Empty when it may be run.
QString UntrustedProgramReason(const QString& path);

}  // namespace dorvex
