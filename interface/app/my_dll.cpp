#include "interface/app/my_dll.h"

#include "interface/app/diagnostics.h"
#include "interface/app/drv_trace.h"
#include "interface/app/library_state.h"
#include "interface/app/settings_library.h"
#include "interface/pages/pcl_font_cache.h"
#include "model/model_cache.h"
#include "platform/base/modules.h"
#include "platform/base/sync.h"
#include "query/query_settings.h"

namespace {

CMyDLL theApp;

}  // namespace

ZEL_LIBRARY_APP_ENTRY(theApp)

CMyDLL& TheLibraryApp() { return theApp; }

CMyDLL::CMyDLL() : CWinApp("drvcore.dll") {}

BOOL CMyDLL::InitInstance() {
  SetLibraryInstance(m_hInstance);

  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(m_hInstance, path, MAX_PATH);
  // A path cut to the buffer would name another folder: no start without the whole path.
  if (length == 0 || length >= MAX_PATH) {
    m_hSettingsModule = 0;
    DrvTrace("InitInstance: no module path\n");
    return FALSE;
  }

  // A reference that is never given back: once started, the library stays in the
  // process whatever the spooler unloads, so its caches and locks stay valid for
  // every thread still inside it.
  if (!LoadLibraryA(path)) DrvTrace("InitInstance: the library could not reference itself\n");

  m_hSettingsModule = LoadSettingsLibraryBeside(path, &LibrarySettings());
  if (!m_hSettingsModule) DrvTrace("InitInstance: zeldb5.dll not loaded; settings calls will fail\n");

  InitializeCriticalSection(JobContextLock());
  InitializeCriticalSection(FontListLock());
  ModelCacheStart(&LibrarySettings());
  // The printer query library carried in this module reads the same store.
  SetQuerySettings(LibrarySettings());

  return CWinApp::InitInstance();
}

int CMyDLL::ExitInstance() {
  FreePclFontLists(nullptr, 0);
  ModelCacheStop();
  ReportLibraryExit(m_hSettingsModule);
  DeleteCriticalSection(FontListLock());
  DeleteCriticalSection(JobContextLock());

  SetQuerySettings(SettingsFunctions{});
  UnloadSettingsLibrary(m_hSettingsModule, &LibrarySettings());
  m_hSettingsModule = 0;
  return CWinApp::ExitInstance();
}
