// The library's application object: started when the spooler or an application
// loads the library and stopped when it is unloaded. Its start binds the settings
// library from the library's own folder and creates the locks of the process-wide
// caches; its exit frees those caches and unloads the settings library.
#pragma once

#include "platform/ui/winapp.h"

class CMyDLL : public CWinApp {
 public:
  CMyDLL();

  BOOL InitInstance() override;
  int ExitInstance() override;

  // zeldb5.dll, or 0 when it could not be loaded.
  HMODULE m_hSettingsModule = 0;
};

// The one application object of the library.
CMyDLL& TheLibraryApp();
