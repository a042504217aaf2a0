#pragma once
// The installer's check of its own resources against the checksum list that
// mkinstall packed beside them (SETUP.CRC, core/checksums.h), so that a
// damaged download is refused before anything is written: the manifest at
// start-up, everything on the progress page before the run.

#include "Progress/RunProgress.h"
#include "core/checksums.h"

// The box shown when the check fails.
extern const char* const kDamagedInstallerText;

enum class IntegrityScope {
    Manifest,    // SETUP.LST alone: microseconds, at start-up
    Everything,  // every listed resource: the payloads too
};

// Checks the listed resources of the running program, without showing
// anything.  An installer without the list, packed before it existed, counts
// as intact; a list that cannot be read, a listed resource that is missing
// or whose bytes differ, as damaged.
core::Integrity CheckOwnResources(IntegrityScope scope, const core::IntegrityProgress& progress = {});

// Whether the running program carries a checksum list at all.
bool HasChecksumList();

// Checks every resource of the installer against its checksum list before
// the run changes anything, with the bar showing how far it got and the page
// handling messages between pieces.  False when the installer is damaged
// (after the error box) or "Annuler" was pressed meanwhile; the installer
// state's Result then says which, and the program should end without a run.
bool VerifyInstaller(RunProgress& page);
