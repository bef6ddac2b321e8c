// The model's identity texts from its model description ("General"), as the about
// and general pages show them.
#pragma once

#include <type_traits>

#include "platform/base/types.h"

struct ModelIdentity {
  char modelName[64];      // "ModelName"
  char company[64];        // "Company"
  char webSite[64];        // "WebSite"
  char logo[256];          // "Logo"
  char oemCopyright[128];  // "OEMCopyright"
  char copyright[128];     // "Copyright"
};
static_assert(sizeof(ModelIdentity) == 704);
static_assert(std::is_trivially_copyable_v<ModelIdentity>);

// Fills the block (zeroed first); a text that cannot be read stays empty, one
// longer than its field is cut at a character boundary. Answers 1; 0 for a null
// printer or block.
int LoadModelIdentity(HANDLE printer, ModelIdentity* identity);
