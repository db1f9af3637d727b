// Pages 4 to 6: the summary before the install, the install itself, and
// the end.
#pragma once

#include "wizard/UPage.h"

class TPageReadyForInstall : public TPage {
public:
    int32_t Enter() override;
    int32_t Leave() override;
};

class TPageProgress : public TPage {
public:
    int32_t Enter() override;
    int32_t Leave() override;
    // Runs every script item on the dialog's thread, then moves the wizard
    // on to the finish page itself.
    int32_t RunInstall();
};

class TPageFinish : public TPage {
public:
    // Writes the installation record; returns 1 when it was written whole.
    int32_t Enter() override;
    int32_t Leave() override;
};
