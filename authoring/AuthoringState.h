#pragma once
// The authoring tools' globals back to a fresh start: the page editor closed without a question, its
// two flags cleared (tests; the fixture calls it before the shell's reset).

void ResetAuthoringState();
