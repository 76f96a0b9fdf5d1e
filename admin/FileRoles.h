#pragma once
// The roles an open resource file plays in the running program. A file may serve more than one tool
// at once (a person can open the user's own file in a dialog); whoever lets go of a file first asks
// here, so that no dialog or command ever closes a file the program still works in.

// The roles, one bit each.
enum class FileRole : unsigned {
    None = 0x0,
    Data = 0x1,    // a data file in use: filed among the data files or searched by the finders
    Profile = 0x2, // the file of the current user's profile
    User = 0x4,    // the current user's own file
    Output = 0x8,  // the output file
};

// Whether the open file `file` plays a role other than `own` (which the asking tool gives itself:
// closing the output file asks with FileRole::Output). False for 0 and for negative numbers.
bool FileHasOtherRole(int file, FileRole own = FileRole::None);
