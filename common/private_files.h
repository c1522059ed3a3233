#pragma once
// The rules for the files Dorvex writes (settings, history), which may sit in folders that other
// users share: never through a link or in a folder that someone else could have planted it in,
// and readable by their owner only.

#include <QString>

namespace dorvex {

// Why `path` must not be opened: a link not made by this user, or any file or link in a folder
// that other users can write (and so could have planted or replaced it). Empty when it may be.
QString UntrustedPathReason(const QString& path);

// Creates `folder` and the folders above it that are missing, each new one readable and writable
// by this user alone (0700). False with `error` naming the folder and the reason.
bool MakePrivateFolder(const QString& folder, QString& error);

// Creates the empty file `path` with mode 0600 when it is missing, never through a link. False
// with `error` when it can neither be created nor is there.
bool CreatePrivateFile(const QString& path, QString& error);

}  // namespace dorvex
