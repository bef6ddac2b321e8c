// The maker's home page in the system's web browser, as the information page's
// link to it opens it.
#pragma once

// The maker's home page.
extern const char kMakerWebSite[];

// Starts the browser the machine registers for "http" links with the maker's
// home page: the address takes the place of the command's "%1", or is added
// as one more argument when the command has none. Nothing is started when no
// browser is registered; a start that fails is not reported.
void OpenMakerWebSite();
