#pragma once
// The installer's check of its own resources against the checksum list that
// mkinstall packed beside them (SETUP.CRC, core/checksums.h), so that a
// damaged download is refused before anything is written.

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
