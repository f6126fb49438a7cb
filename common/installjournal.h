#pragma once

#include "safefile.h"

#include <QList>
#include <QString>

// An update replaces several files and then ClientInfor.inf, all or nothing.
// Before the first rename the plan is recorded in the install folder,
// durably, as the journal. Each file that a new one replaces is first moved
// aside to a working name the journal records, and stays there until
// ClientInfor.inf names the new version. A rename that fails puts back what
// was moved; a run killed at any moment leaves the journal, and the next
// start of player or update finishes the plan when ClientInfor.inf was
// already replaced and undoes it otherwise. So the folder holds exactly the
// old version or exactly the new one, and ClientInfor.inf names the one
// whose files are there.

// One step of the plan: a working file directly in the install folder onto
// its target, a path relative to the install folder. backupName is the
// working name the replaced file waits under; empty when the target is new.
struct PlannedRename {
    QString workingName;
    QString target;
    QString backupName = {};
};

inline constexpr char kJournalName[] = ".veltaro-journal";

// Puts plan's working files in place all or nothing; the last step is the
// one whose rename makes the new version the installed one (ClientInfor.inf).
// Every working file must be complete; from the call on they are the plan's:
// the caller must not remove them. First checks that every target can be
// replaced (its folder writable, the target a file that is not immutable or
// append-only), so the common refusals touch nothing. A failure before the
// last rename undoes the renames made and raises an Error; when even that
// fails, the journal stays for the next start and the Error says so. Once
// the last rename is made the new version is installed: what is left
// (flushing, removing the old files) no longer fails the install, and the
// next start finishes it when it could not be done here.
void commitPlan(const FolderHandle &folder, QList<PlannedRename> plan);

// At every start: when no other process is installing into installFolder,
// finishes or undoes a plan that a killed run recorded, then removes working
// files that killed runs left in the install folder and the staging folder.
// Returns a description of what it did, empty when there was nothing.
QString finishInterruptedInstall(const QString &installFolder, const QString &stagingFolder);
// The same at a program's start, where nothing may stop the program: what it
// did or what went wrong is one line on stderr.
void finishInterruptedInstallAtStart(const QString &installFolder, const QString &stagingFolder);

// The named moments of an install ("journal", "renamed:2", ...), where a
// test build can end the process to see what the next start makes of it.
// The programs as shipped set no hook: a moment passes without a trace.
using FaultHook = void (*)(const QString &point);
void setFaultHook(FaultHook hook);
void faultPoint(const QString &point);
