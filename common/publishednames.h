#pragma once

#include <QString>
#include <QStringList>

// The rules for the names an UpdateInfor.inf lists: the published files,
// relative both to the update URL and to the install folder, and the new
// updater on line 6, stored in the staging folder. The updater refuses a
// whole update when any name breaks them, and publish refuses to write one.

// The name as the programs use it: a backslash is a folder separator, as on
// the system the publishing format comes from.
QString normalisedName(const QString &name);

// Why one published file name cannot be installed, or an empty string when
// it can: empty, absolute, a drive letter, a "." or ".." component, an empty
// component ("a//b", a trailing "/"), a control character, a component too
// long for the file system, or a name the programs keep for themselves
// (the version files, the checksums and their signature, the journal and
// the temporaries), whatever its case.
QString publishedNameProblem(const QString &name);

// The same for the new updater's name, which must also be a plain file name.
QString updaterNameProblem(const QString &name);

// Every problem of a whole list: each name's own, and names that mean one
// file once separators are read and case is folded (case-insensitive file
// systems would make them one). The updater's name is checked when given.
QStringList publishedNamesProblems(const QStringList &names, const QString &updaterName = {});

// Names starting with this are the programs' own working files in the
// install and staging folders (temporaries, the journal).
inline constexpr char kWorkingFilePrefix[] = ".veltaro-";
