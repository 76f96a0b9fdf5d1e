#pragma once
// The roles an open resource file can have, and the one guard every tool that lets go of a file goes
// through. A file may have several roles at once (the current user's file can also lie in the Data
// folder); the store counts no users of a file, so whoever closes it closes it for everybody. A dialog
// or command that opened a file, or holds it in one role, therefore closes it only when no other role
// still needs it: the current user's file, its profile's file, a data file or the output file.

#include <cstdint>

enum FileRole : unsigned {
    kFileRoleNone = 0,
    kFileRoleData = 0x1,    // in theDataFiles, or searched by the finders while having no other role
    kFileRoleOutput = 0x2,  // theOutputFile
    kFileRoleUser = 0x4,    // holds the current user
    kFileRoleProfile = 0x8, // holds the current user's profile
};

// The roles of an open file (kFileRoleNone for a number below 1).
unsigned FileRolesOf(int file);

// True when `file` has a role besides those in `heldAs`.
bool FileHasOtherRole(int file, unsigned heldAs = kFileRoleNone);

// Closes `file` for the one who holds it in the roles `heldAs` (kFileRoleNone: a file a dialog opened
// for itself), unless another role still needs it; a data file leaves theDataFiles as it closes. True
// when the file was closed; false when it stays open (or was not open).
bool ReleaseFileUnlessInUse(int file, unsigned heldAs = kFileRoleNone);
