#include "interface/util/library_folder.h"

#include "interface/app/library_state.h"
#include "platform/base/module_folder.h"

std::string LibraryFolder() { return platform::ModuleFolder(LibraryInstance()); }
