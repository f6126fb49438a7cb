#pragma once

#include "safefile.h"

#include <QList>
#include <QString>

// An update replaces several files and then ClientInfor.inf. Before the
// first rename the plan is recorded in the install folder, durably, as the
// journal; it goes only once the last rename is durable. A run killed at
// any moment after that leaves the journal, and the next start of player
// or update finishes the plan, so the folder holds exactly the old version
// or exactly the new one, and ClientInfor.inf names the one whose files
// are there.

// One rename of the plan: a working file directly in the install folder
// onto its target, a path relative to the install folder.
struct PlannedRename {
    QString workingName;
    QString target;
};

inline constexpr char kJournalName[] = ".veltaro-journal";

// Records plan in folder durably, with one flush of the file system that
// also makes every working file durable: each must be complete by then (the
// plan is finished from them after a crash).
void writeJournal(const FolderHandle &folder, const QList<PlannedRename> &plan);

// Carries out plan: every rename whose working file is still there, in
// order (ClientInfor.inf comes last), then one flush of each folder renamed
// into, the install folder last; then removes the journal.
void finishPlan(const FolderHandle &folder, const QList<PlannedRename> &plan);

// At every start: when no other process is installing into installFolder,
// finishes a plan that a killed run recorded, then removes working files
// that killed runs left in the install folder and the staging folder.
// Returns a description of what it did, empty when there was nothing.
QString finishInterruptedInstall(const QString &installFolder, const QString &stagingFolder);
// The same at a program's start, where nothing may stop the program: what it
// did or what went wrong is one line on stderr.
void finishInterruptedInstallAtStart(const QString &installFolder, const QString &stagingFolder);

// A test can end the process at a named moment of an install with
// VELTARO_TEST_KILL_AT=<point>; a name no user sets by accident.
void faultPoint(const QString &point);
