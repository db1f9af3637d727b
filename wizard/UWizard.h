// The wizard run mode: the installation wizard as one modal dialog.
#pragma once

// Registers the link label's class, creates the six pages, runs the
// dialog to its end and frees the pages.
void RunWizard();
