#include "admin/FileRoles.h"

#include "core/User.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"

#include <algorithm>
#include <vector>

namespace
{

bool holds(const std::vector<int>& files, int file)
{
    return std::find(files.begin(), files.end(), file) != files.end();
}

unsigned rolesOf(int file)
{
    unsigned roles = 0;
    if (theCurrentUser && theCurrentUser->Profile && theCurrentUser->Profile->GetFile() == file)
        roles |= static_cast<unsigned>(FileRole::Profile);
    if (theCurrentUser && theCurrentUser->GetFile() == file)
        roles |= static_cast<unsigned>(FileRole::User);
    if (theOutputFile == file)
        roles |= static_cast<unsigned>(FileRole::Output);
    // The finders' list holds the user, profile and output files too; only the rest of it are data.
    if (holds(theDataFiles, file) || (roles == 0 && holds(theActiveFiles, file)))
        roles |= static_cast<unsigned>(FileRole::Data);
    return roles;
}

} // namespace

bool FileHasOtherRole(int file, FileRole own)
{
    if (file <= 0)
        return false;
    return (rolesOf(file) & ~static_cast<unsigned>(own)) != 0;
}
