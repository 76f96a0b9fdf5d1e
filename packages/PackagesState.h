#pragma once
// The page packages' state between calls, put back for tests.

void ResetPackagesState();
