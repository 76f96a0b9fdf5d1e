#include "admin/FileRoles.h"

#include "core/User.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"

#include <algorithm>

namespace
{

int fileOfProfile()
{
    return theCurrentUser && theCurrentUser->Profile ? theCurrentUser->Profile->GetFile() : 0;
}

} // namespace

unsigned FileRolesOf(int file)
{
    if (file <= 0)
        return kFileRoleNone;
    unsigned roles = kFileRoleNone;
    if (file == theOutputFile)
        roles |= kFileRoleOutput;
    if (theCurrentUser && theCurrentUser->GetFile() == file)
        roles |= kFileRoleUser;
    if (fileOfProfile() == file)
        roles |= kFileRoleProfile;
    // The finders' list holds the user, profile and output files too; only the rest of it are data.
    const bool searched = std::ranges::find(theActiveFiles, file) != theActiveFiles.end();
    if (std::ranges::find(theDataFiles, file) != theDataFiles.end() || (roles == kFileRoleNone && searched))
        roles |= kFileRoleData;
    return roles;
}

bool FileHasOtherRole(int file, unsigned heldAs)
{
    return (FileRolesOf(file) & ~heldAs) != 0;
}

bool ReleaseFileUnlessInUse(int file, unsigned heldAs)
{
    if (file <= 0 || !FindResFileEntry(file) || FileHasOtherRole(file, heldAs))
        return false;
    if (FileRolesOf(file) & kFileRoleData)
        return CloseDataFile(file) == RES_OK;
    return ReleaseDataFile(file) == RES_OK;
}
