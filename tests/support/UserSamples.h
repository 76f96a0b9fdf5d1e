#pragma once
// A user with every stored setting set to a value that differs from its default, for round trips.

class CQuibUser;
struct CQuibUserSettings;

namespace lumivo::test
{

CQuibUserSettings EveryUserSettingSet();
void SetEveryUserField(CQuibUser& user);

} // namespace lumivo::test
