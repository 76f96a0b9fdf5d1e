#pragma once
// A view that shows a page while it lives, as a pane tells the model (core/ShownIcons.h): the page's
// icons have that page and count as shown.

#include "core/ShownIcons.h"

namespace lumivo::test
{

class ScopedShownPage
{
public:
    explicit ScopedShownPage(CQuibBg& page) { NoteShownIcons(this, {&page, {}}); }
    ~ScopedShownPage() { ForgetShownIcons(this); }
    ScopedShownPage(const ScopedShownPage&) = delete;
    ScopedShownPage& operator=(const ScopedShownPage&) = delete;
};

} // namespace lumivo::test
