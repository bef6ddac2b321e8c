// Help for a page or dialog of the driver, named by the dialog template id of
// the page that asks. The help file lies beside this library: a WinHelp file is
// opened at the topic's context id, a compiled help file at the topic's page.
#pragma once

#include "platform/base/types.h"

struct HelpTopic {
  UINT topic;           // dialog template id; 0 in the row for every other id
  ULONG_PTR contextId;  // WinHelp context id
  const char* page;     // compiled help page, "%s" standing for the help file name
};

// The row of a topic; ids not in the table get the driver's overview.
const HelpTopic& FindHelpTopic(UINT topic);

// A name shorter than 5 characters opens nothing; so does one that holds a
// double quote, which could not be passed to the viewer as one argument.
void ShowContextHelp(const char* helpFile, UINT topic);
