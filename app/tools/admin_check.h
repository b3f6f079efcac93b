// The administrator-rights check that start-up runs once, to warn an operator who lacks the rights the
// board needs ("No privileges granted to run the application."); the program starts anyway.
//
// Windows: the shell's IsUserAnAdmin when SHELL32 exports it; else SHTestTokenMembership for the local
// Administrators group (relative identifier 544); else the group's security identifier (authority 5,
// sub-authorities 32 and 544) tested against the thread's token, or the process token when the thread
// has none, with ADVAPI32's CheckTokenMembership when exported, else by an access check of the token
// against a security descriptor whose only access-allowed entry is that group. The functions are
// looked up by name at the first call and the lookups hold for the rest of the run; every failure
// along the way gives false.
//
// Linux has no Administrators group; what the board needs is access to the driver's device. The check
// answers true when the program runs as root, when the I/O access layer in use is the emulated board
// (it needs no rights: it exports the register trap, which the driver's own layer has not), or when
// the driver's device nodes (/dev/qmbus*) exist and this process may read and write every one of them.
// Otherwise false.
#pragma once

#include <vector>

bool IsAdministrator();

// The Linux rule above, on facts gathered by the caller (tests give their own).
struct TDeviceRights {
    bool root = false;
    bool emulatedLayer = false;
    std::vector<bool> deviceNodesAccessible;  // one entry per /dev/qmbus* node: read and write allowed
};
bool HasBoardRights(const TDeviceRights& rights);
